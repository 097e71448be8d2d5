// The application's start-up end to end: the shipped configuration against
// the local application server in this process, on the headless host.

#include "ServicesTestSupport.h"

#include "app/screens/shared/ZMRWindow.h"
#include "app/services/ZMRShell.h"
#include "framework/core/IKRUIViewController.h"
#include "framework/core/KRJSON.h"
#include "framework/ui/KRFoldViewController.h"
#include "framework/ui/KRPopWindow.h"
#include "platform/controls/NavigationController.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/host/ApplicationMain.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"
#include "tools/appserver/AppServer.h"
#include "tools/appserver/AppStore.h"

#include <gtest/gtest.h>

#include <future>
#include <stdexcept>

namespace {

class StartupRoad : public testing::Test {
protected:
    void SetUp() override
    {
        std::unique_ptr<zmr::AppStore> made;
        ASSERT_FALSE(zmr::AppStore::open(":memory:", made));
        store = std::move(made);
        server = std::make_unique<zmr::AppServer>(store);
        ASSERT_TRUE(server->start(0));
        zmr::AppUser user;
        ASSERT_EQ(store->addUser("demo", "demo-password", "演示用户", user), zmr::AppStore::Outcome::Ok);
        uid = user.uid;

        const char* source = std::getenv("ZMR_SOURCE_DIR");
        pf::Bundle::setMain(std::make_shared<pf::Bundle>(std::string(source ? source : ".") + "/resources"));
        shell = ZMRShell::create(server->url());
        ASSERT_TRUE(shell);
        // A sign-in stored by an earlier run.
        shell->setAuth(pf::Value(uid), store->issueToken(uid));
        shell->setAccount(user.account);
        shell->setNick(user.nick);

        auto& application = pf::Application::shared();
        application.setDelegate(shell);
        application.injectDeviceToken({0xde, 0xad, 0xbe, 0xef});
        ASSERT_TRUE(application.launch());
        application.injectDeviceToken({});
        ASSERT_TRUE(pf::waitUntilSettled(host, *shell, 60));
    }
    void TearDown() override
    {
        pf::Application::shared().setDelegate({});
        if (shell && shell->window())
            shell->window()->setHidden(true);
        if (server)
            server->stop();
    }

    TemporaryHome home;
    pf::HeadlessHost host;
    std::shared_ptr<zmr::AppStore> store;
    std::unique_ptr<zmr::AppServer> server;
    std::shared_ptr<ZMRShell> shell;
    long long uid = 0;
};

TEST_F(StartupRoad, LaunchShowsHomeWithTheNicknameInTheMenuAndForegroundClosesPopWindows)
{
    auto root = std::dynamic_pointer_cast<pf::NavigationController>(shell->rootViewController());
    ASSERT_TRUE(root);
    auto fold = std::dynamic_pointer_cast<KRFoldViewController>(root->topViewController());
    ASSERT_TRUE(fold) << "the signed-in start page is the drawer";
    auto shown = shell->rootViewController()->topController();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->url()->absoluteString(), "root:///root/fold/center/home");
    auto menu = fold->leftViewController();
    ASSERT_TRUE(menu);
    fold->focusLeft(false);
    ASSERT_TRUE(pf::waitUntilSettled(host, *shell, 30));
    EXPECT_TRUE(host.findViewWithText("演示用户")) << "the side menu shows the stored nickname";
    fold->focusCenter(false);
    auto first = KRPopWindow::popWindow(), second = KRPopWindow::popWindow();
    first->showAnimated(false);
    second->showAnimated(true); // still animating when the program leaves
    host.enterBackground();
    host.enterForeground();
    EXPECT_FALSE(KRPopWindow::topPopWindow());
    EXPECT_TRUE(first->isHidden() && second->isHidden());
    EXPECT_TRUE(shell->window()->isKeyWindow());
    EXPECT_TRUE(std::dynamic_pointer_cast<ZMRWindow>(shell->window())) << "MainWindow's window is the application's";
}

// Every string of `value` and the collections inside it.
void collectStrings(const pf::Value& value, std::vector<std::string>& into)
{
    if (const std::string* text = value.string())
        into.push_back(*text);
    else if (auto dict = value.dictionary())
        for (const auto& [key, member] : *dict)
            collectStrings(member, into);
    else if (auto array = value.array())
        for (const pf::Value& member : *array)
            collectStrings(member, into);
}

TEST_F(StartupRoad, ServerRepointsEveryDefaultAddressAndARefusedRootUrlSaysWhy)
{
    std::vector<std::string> strings;
    collectStrings(pf::Value(shell->config()), strings);
    std::string root = server->url().substr(0, server->url().rfind('/'));
    int repointed = 0;
    for (const std::string& text : strings) {
        EXPECT_NE(text.rfind("http://127.0.0.1:8080", 0), 0u) << text;
        repointed += text.rfind(root + "/", 0) == 0;
    }
    EXPECT_GE(repointed, 3) << "the API, upload and crash addresses at least";

    auto& application = pf::Application::shared();
    auto refused = shell->applicationOpenRootURL(application, *pf::URL::create("zomaru:///no-such-screen"));
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->find("no-such-screen"), std::string::npos) << *refused;
    auto root2 = std::dynamic_pointer_cast<pf::NavigationController>(shell->rootViewController());
    ASSERT_TRUE(root2);
    EXPECT_TRUE(std::dynamic_pointer_cast<KRFoldViewController>(root2->topViewController()))
        << "the start screen stays";
    // A step deeper down that names no screen is as much a refusal.
    refused = shell->applicationOpenRootURL(application, *pf::URL::create("root:///root/fold/center/nosuch"));
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->find("\"nosuch\""), std::string::npos) << *refused;
}

TEST_F(StartupRoad, InjectedDeviceTokenReachesServerAndCoinPushStoresThePoints)
{
    EXPECT_TRUE(runMainUntil([&] { return countOf(server->deviceTokens(), "deadbeef") == 1; }, 30));
    ASSERT_TRUE(store->addPoints(uid, 25));
    long long points = store->points(uid);
    ASSERT_GT(points, 0);
    host.receiveRemoteNotification(KRJSON::decodeText(R"({"aps":{"alert":{"body":"积分到账"}},"data":{"type":"coin"}})"));
    EXPECT_TRUE(host.findViewWithText("积分到账"));
    EXPECT_TRUE(runMainUntil([&] { return shell->integral() == points; }, 30));
}

TEST_F(StartupRoad, ExceptionOnQueueThreadLeavesCrashReportAtServer)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_DEATH(
        {
            auto queue = pf::DispatchQueue::create("crashing");
            queue->async([] { throw std::runtime_error("queue thread crash"); });
            std::promise<void>().get_future().wait(); // the handler ends the process
        },
        "");
    auto reports = server->crashReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(zmr::item(reports[0], "exception").value_or("").find("queue thread crash"), std::string::npos);
}

}
