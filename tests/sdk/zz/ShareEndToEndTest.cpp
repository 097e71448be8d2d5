// The share side with the stand-in ZZ and Plaza apps (tools/zzapp) as real
// processes: what ZZ opens the application with, the ad items it writes, and
// a Plaza request answered back to Plaza.

#include "tests/sdk/PeerAppSupport.h"

#include "platform/foundation/Pasteboard.h"
#include "platform/ui/ApplicationDelegate.h"
#include "sdk/zz/CorvanaApiInterface.h"
#include "sdk/zz/CorvanaApiReq.h"
#include "sdk/zz/CorvanaOAuth.h"
#include "sdk/zz/OpenApi.h"
#include "sdk/zz/ZZApi.h"
#include "sdk/zz/ZZApiMessage.h"
#include "sdk/zz/ZZRegistration.h"
#include "tests/sdk/zz/ShareTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

constexpr const char* kPluginScheme = "ZZ060C0C1F";
constexpr const char* kContentScheme = "corvana101452831.content";

struct Incoming final : pf::ApplicationDelegate, CorvanaSessionDelegate, CorvanaApiInterfaceDelegate {
    bool applicationOpenURL(pf::Application&, const pf::URL& url, const std::string&, const pf::Value&) override
    {
        urls.push_back(url);
        return true;
    }
    bool onCorvanaReq(const std::shared_ptr<CorvanaApiReq>& request) override
    {
        requests.push_back(request);
        return true;
    }
    void onCorvanaResp(const std::shared_ptr<CorvanaApiResp>&) override {}
    std::vector<pf::URL> urls;
    std::vector<std::shared_ptr<CorvanaApiReq>> requests;
};

int runPeer(std::vector<std::string> arguments)
{
    return sdk::test::runPeerApp(ZZAPP_PATH, std::move(arguments));
}

class ZZShareEndToEnd : public ShareDeviceFixture {
protected:
    void SetUp() override
    {
        ShareDeviceFixture::SetUp();
        registerZZClasses();
        useBundle(std::string("<key>CFBundleIdentifier</key><string>com.zomaru.app</string>"
                              "<key>CFBundleURLTypes</key><array><dict><key>CFBundleURLName</key>"
                              "<string>corvanaApiIdentifier</string><key>CFBundleURLSchemes</key><array><string>")
                  + kContentScheme + "</string></array></dict></array>");
        incoming = std::make_shared<Incoming>();
        pf::Application::shared().setDelegate(incoming);
        pf::InstalledApp self{"com.zomaru.app", {kPluginScheme, kContentScheme},
                              {std::filesystem::canonical("/proc/self/exe").string()}};
        ASSERT_FALSE(pf::Application::shared().startReceivingURLs(self));
        pf::Application::shared().launch();
        pf::RunLoop::main().runUntilIdle();
    }
    void TearDown() override
    {
        pf::Application::shared().stopReceivingURLs();
        pf::Application::shared().setDelegate({});
        OpenApi::resetForTesting();
        ShareDeviceFixture::TearDown();
    }
    // The next URL another app opened this one with.
    std::optional<pf::URL> nextURL()
    {
        std::size_t wanted = ++m_taken;
        if (!pf::RunLoop::main().runUntil([&] { return incoming->urls.size() >= wanted; }, pf::Seconds(60)))
            return std::nullopt;
        return incoming->urls[wanted - 1];
    }
    std::shared_ptr<Incoming> incoming;

private:
    std::size_t m_taken = 0;
};

}

TEST_F(ZZShareEndToEnd, ZZsViewAndAnswersBecomeMessages)
{
    ASSERT_EQ(runPeer({"--send-view", "image", "--to", kPluginScheme}), 0);
    auto view = nextURL();
    ASSERT_TRUE(view);
    auto message = ZZApi::handleOpenURL(*view);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->type(), 1u);
    auto image = std::dynamic_pointer_cast<ZZApiImageObject>(message->object());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->title(), "标题");
    EXPECT_EQ(image->descriptionValue(), "描述");
    ASSERT_TRUE(image->data());
    ASSERT_EQ(image->data()->size(), 1048576u);
    EXPECT_EQ((*image->data())[1048575], std::uint8_t(1048575 * 7));
    EXPECT_EQ(image->previewImageData(), (pf::Bytes{0xff, 0xd8, 0xff}));

    struct Row {
        const char* error;
        std::optional<std::string> code, description;
    } rows[] = {{"0", "0", "done"}, {"-4", "-4", "done"}, {"garbage", "%FF%FE", std::nullopt}};
    for (const Row& row : rows) {
        ASSERT_EQ(runPeer({"--send-response", row.error, "--to", kPluginScheme}), 0) << row.error;
        auto url = nextURL();
        ASSERT_TRUE(url) << row.error;
        auto answer = ZZApi::handleOpenURL(*url);
        ASSERT_TRUE(answer) << row.error;
        EXPECT_EQ(answer->type(), 6u);
        auto result = std::dynamic_pointer_cast<ZZApiResultObject>(answer->object());
        ASSERT_TRUE(result) << row.error;
        EXPECT_EQ(result->error(), row.code) << row.error;
        EXPECT_EQ(result->errorDescription(), row.description) << row.error;
        EXPECT_FALSE(result->extendInfo()) << row.error;
    }

    ASSERT_EQ(runPeer({"--write-ad-items", "2"}), 0);
    auto items = ZZApi::getAdItemArray();
    ASSERT_TRUE(items && items->size() == 2u);
    auto second = (*items)[1].objectAs<ZZApiAdItem>();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->title(), "ad 2");
}

TEST_F(ZZShareEndToEnd, APlazaRequestIsTakenOffTheBoardAndTheAnswerReachesPlaza)
{
    std::string log = m_dir + "/plaza.log";
    ASSERT_EQ(runPeer({"--install", "--plaza", "--log", log}), 0);
    OpenApi::registerApp("101452831", incoming, {});
    ASSERT_EQ(runPeer({"--send-request", "--to", kContentScheme}), 0);
    auto url = nextURL();
    ASSERT_TRUE(url);
    EXPECT_TRUE(CorvanaOAuth::CanHandleOpenURL(*url));
    EXPECT_TRUE(CorvanaOAuth::HandleOpenURL(*url));
    ASSERT_EQ(incoming->requests.size(), 1u);
    EXPECT_EQ(incoming->requests[0]->nSeq(), 7);
    EXPECT_FALSE(pf::Pasteboard::general()->dataForPasteboardType("example.plaza.app.request"));

    auto response = CorvanaApiResp::respFromReq(pf::Value(incoming->requests[0]));
    ASSERT_TRUE(response);
    response->setNRetCode(2);
    EXPECT_EQ(CorvanaOAuth::sendRespMessageToCorvanaApp(response), 0);
    std::string line;
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] {
        std::ifstream file(log);
        return bool(std::getline(file, line));
    }, pf::Seconds(60)));
    EXPECT_EQ(line, "answer seq=7 ret=2");
}
