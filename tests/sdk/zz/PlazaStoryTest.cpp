// A story and an invitation sent to the stand-in Plaza app as a real
// process: what it read, and its answer back through the app switch.

#include "BuiltResourcesSupport.h"
#include "ScriptPackageSupport.h"
#include "tests/sdk/PeerAppSupport.h"

#include "platform/controls/AlertView.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/host/HeadlessHost.h"
#include "platform/script/ScriptContext.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "sdk/zz/APIResponse.h"
#include "sdk/zz/CVOSDKJSBridge.h"
#include "sdk/zz/CorvanaOAuth.h"
#include "sdk/zz/OpenApi.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

const std::string kAppId = "101452831";

struct Answers : CorvanaSessionDelegate {
    std::vector<std::string> calls;
    void sendStoryResponse(const Response& r) override { calls.push_back("story " + describe(r)); }
    void responseDidReceived(const Response& r, const std::string& message) override
    {
        calls.push_back(message + " " + describe(r));
    }
    static std::string describe(const Response& r)
    {
        return std::to_string(r->retCode()) + " " + std::to_string(r->detailRetCode()) + " "
            + (r->jsonResponse() ? r->jsonResponse()->get("ret").stringOr("-") : "-");
    }
};

struct Forwarder final : pf::ApplicationDelegate {
    bool applicationOpenURL(pf::Application&, const pf::URL& url, const std::string&, const pf::Value&) override
    {
        return CorvanaOAuth::HandleOpenURL(url);
    }
};

class PlazaStory : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zmr-plaza-XXXXXX";
        m_root = mkdtemp(pattern);
        setenv("ZMR_DEVICE_DIR", (m_root + "/device").c_str(), 1);
        ASSERT_NO_FATAL_FAILURE(m_resources.enter());
        OpenApi::resetForTesting();
        host.emplace();
        appWindow = pf::Window::create();
        appWindow->makeKeyAndVisible();
        pf::Application::shared().setDelegate(forwarder);
        ASSERT_TRUE(sdk::test::receiveURLsAsApp("corvana" + kAppId));
        session = quietSession(kAppId, answers);
        ASSERT_TRUE(session);
        session->setAccessToken(std::string("tok"));
        session->setOpenId(std::string("OPEN1"));
        session->setExpirationDate(pf::Date { pf::Date::now().seconds + 3600 });
        log = m_root + "/plaza.log";
    }
    void TearDown() override
    {
        pf::Application::shared().stopReceivingURLs();
        for (auto& alert : pf::AlertView::visibleAlerts())
            alert->dismissWithClickedButtonIndex(0, false);
        session.reset();
        CVOSDKJSBridge::deinit();
        appWindow = nullptr;
        pf::Screen::main().removeAllWindows();
        pf::RunLoop::main().runUntilIdle();
        pf::Application::shared().setDelegate({});
        host.reset();
        OpenApi::resetForTesting();
        m_resources.leave();
        unsetenv("ZMR_DEVICE_DIR");
        fs::remove_all(m_root);
    }
    bool waitAnswers(std::size_t count)
    {
        return pf::RunLoop::main().runUntil([&] {
            host->advance(0.05);
            return answers->calls.size() >= count;
        }, pf::Seconds(60));
    }
    std::vector<std::string> logLines() const
    {
        std::vector<std::string> lines;
        std::ifstream file(log);
        for (std::string line; std::getline(file, line);)
            lines.push_back(line);
        return lines;
    }

    std::optional<pf::HeadlessHost> host;
    pf::WindowRef appWindow;
    std::shared_ptr<Forwarder> forwarder = std::make_shared<Forwarder>();
    std::shared_ptr<Answers> answers = std::make_shared<Answers>();
    std::shared_ptr<CorvanaOAuth> session;
    std::string log;

private:
    std::string m_root;
    BuiltResourcesHome m_resources;
};

}

TEST_F(PlazaStory, PlazaReadsTheStoryAndInvitationAndAnswersByScript)
{
    struct Row {
        const char* script;
        bool story; // else an invitation
        const char* read;
        const char* heard;
    } rows[] = {
        { "approve", true, "read story \"标题\" to F1,F2 of 101452831", "story 0 0 0" },
        { "cancel", true, "read story \"标题\" to F1,F2 of 101452831", "story 1 2 1" },
        { "deny", false, "read AppInvitation \"来玩\" to  of 101452831", "AppInvitation 1 12 1" },
        { "approve", false, "read AppInvitation \"来玩\" to  of 101452831", "AppInvitation 0 0 0" },
    };
    std::size_t count = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.script) + (row.story ? " story" : " invitation"));
        ASSERT_EQ(sdk::test::runPeerApp(ZZAPP_PATH, { "--install", "--plaza", "--script", row.script, "--log", log }), 0);
        ASSERT_EQ(OpenApi::plazaVersion(), 5);
        if (row.story) {
            auto params = pf::Dictionary::create({ { "title", " 标题 " }, { "summary", "s" } });
            ASSERT_TRUE(session->sendStory(params, pf::Array::create({ pf::Value("F1"), pf::Value(3), pf::Value("F2") })));
        } else {
            ASSERT_TRUE(session->sendAppInvitationWithDescription(std::string("来玩"), std::nullopt, std::nullopt));
        }
        ++count;
        ASSERT_TRUE(waitAnswers(count));
        EXPECT_EQ(answers->calls.back(), row.heard);
        auto lines = logLines();
        ASSERT_EQ(lines.size(), count);
        EXPECT_EQ(lines.back(), row.read);
    }
    EXPECT_FALSE(session->cvUiKit()) << "no page: Plaza took everything";
}
