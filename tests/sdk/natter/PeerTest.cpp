#include "NatterTestSupport.h"
#include "tests/sdk/PeerAppSupport.h"

#include "platform/foundation/FileSystem.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageCodec.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "sdk/natter/NTMediaMessage.h"
#include "sdk/natter/NTReqResp.h"

namespace natter::test {
namespace {

int runNatterApp(std::vector<std::string> arguments)
{
    return sdk::test::runPeerApp(NATTERAPP_PATH, std::move(arguments));
}

class Answers final : public NTApiDelegate, public pf::ApplicationDelegate {
public:
    void onReq(const std::shared_ptr<BaseReq>& request) override { requests.push_back(request); }
    void onResp(const std::shared_ptr<BaseResp>& response) override { responses.push_back(response); }
    bool applicationOpenURL(pf::Application&, const pf::URL& url, const std::string&, const pf::Value&) override
    {
        ++urls;
        return NTApi::handleOpenURL(url, self.lock());
    }
    std::weak_ptr<Answers> self;
    std::vector<std::shared_ptr<BaseReq>> requests;
    std::vector<std::shared_ptr<BaseResp>> responses;
    int urls = 0;
};

class NatterPeer : public NatterTest {
protected:
    void SetUp() override
    {
        NatterTest::SetUp();
        answers = std::make_shared<Answers>();
        answers->self = answers;
        pf::Application::shared().setDelegate(answers);
        ASSERT_TRUE(sdk::test::receiveURLsAsApp(kAppID));
        ASSERT_TRUE(NTApi::registerApp(std::string(kAppID)));
    }
    void TearDown() override
    {
        pf::Application::shared().stopReceivingURLs();
        pf::Application::shared().setDelegate({});
        NatterTest::TearDown();
    }
    std::shared_ptr<Answers> answers;
};

TEST_F(NatterPeer, SharesReachTheInboxAndAnswersComeBack)
{
    std::string inbox = root() + "/inbox";
    struct Row {
        const char* script;
        bool picture;
        const char* answer; // "2020/0", "2020/-2", "ask", "deny", "none"
    } rows[] = {
        {"ok", false, "2020/0"}, {"ok", true, "2020/0"}, {"error", false, "2020/-2"},
        {"ask", false, "ask"},   {"deny", false, "deny"}, {"garbage", false, "none"},
    };
    int n = 0;
    for (const auto& row : rows) {
        std::string label = std::string(row.script) + (row.picture ? " picture" : " text");
        ASSERT_EQ(runNatterApp({"--install", "--script", row.script, "--inbox", inbox}), 0) << label;
        EXPECT_TRUE(NTApi::isNTAppInstalled());
        EXPECT_EQ(NTApi::getNTAppSupportMaxApiVersion(), "1.2");
        auto request = std::make_shared<SendMessageToNTReq>();
        request->scene = 1;
        pf::Bytes jpeg;
        if (row.picture) {
            jpeg = *pf::encodeJpeg(**pf::Bitmap::create(320, 480), 0.8);
            auto message = NTMediaMessage::message();
            message->title = "Zomaru";
            message->description = "body";
            message->thumbData = *pf::encodeJpeg(**pf::Bitmap::create(160, 240), 0.6);
            auto image = NTImageObject::object();
            image->imageData = jpeg;
            message->mediaObject = image;
            request->message = message;
        } else {
            request->bText = true;
            request->text = "Zomaru\nbody";
        }
        answers->urls = 0;
        answers->responses.clear();
        answers->requests.clear();
        ASSERT_TRUE(NTApi::sendReq(request)) << label;
        ASSERT_TRUE(waitFor([&] { return answers->urls > 0; })) << label;
        pf::RunLoop::main().runUntilIdle();
        char stem[8];
        std::snprintf(stem, sizeof stem, "%03d", ++n);
        auto text = pf::readFile(inbox + "/" + stem + ".txt");
        ASSERT_TRUE(text) << label;
        EXPECT_EQ(std::string(text->begin(), text->end()), "Zomaru\nbody") << label;
        if (row.picture) {
            EXPECT_EQ(pf::readFile(inbox + "/" + stem + ".jpg"), jpeg);
        }
        std::string answer = row.answer;
        if (answer == "none") {
            EXPECT_TRUE(answers->responses.empty() && answers->requests.empty()) << label;
        } else if (answer == "ask") {
            ASSERT_EQ(answers->requests.size(), 1u) << label;
            EXPECT_TRUE(std::dynamic_pointer_cast<GetMessageFromNTReq>(answers->requests[0]));
        } else if (answer == "deny") {
            ASSERT_EQ(answers->responses.size(), 1u) << label;
            EXPECT_EQ(answers->responses[0]->errCode, -4);
        } else {
            ASSERT_EQ(answers->responses.size(), 1u) << label;
            EXPECT_TRUE(std::dynamic_pointer_cast<SendMessageToNTResp>(answers->responses[0])) << label;
            EXPECT_EQ(answers->responses[0]->errCode, answer == "2020/0" ? 0 : -2) << label;
        }
    }
}

}
}
