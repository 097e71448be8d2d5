// The shell and ZZ, end to end: the sign-in screen's road (zzLogin) through
// the SDK's scripts and the in-app login page of the ZZ stand-in, then the
// application server's sign-in or binding with the token.

#include "RoadTestSupport.h"
#include "ServicesTestSupport.h"
#include "tests/sdk/zz/ZZShellSupport.h"

#include "app/services/ZMRShell.h"
#include "framework/ui/KRAlertView.h"
#include "platform/controls/AlertView.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Reachability.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "platform/web/WebViewPages.h"
#include "tools/zzserver/ZZServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace {

// A launched shell over the build's resources (with the signed script
// package), the application server and the ZZ stand-in, trusted by its CA.
class ShellZZ : public RoadBus {
protected:
    void SetUp() override
    {
        RoadBus::SetUp();
        setenv("ZMR_DEVICE_DIR", (home.path() + "/device").c_str(), 1);
        zz.emplace();
        ASSERT_TRUE(zz->server().isRunning());
        pf::useHtmlDocumentsInWebViews();
        const char* built = std::getenv("ZMR_BUILT_RESOURCES");
        ASSERT_TRUE(built) << "the build's resources copy";
        m_oldBundle = pf::Bundle::main();
        auto bundle = std::make_shared<pf::Bundle>(built);
        pf::Bundle::setMain(bundle);
        ASSERT_NO_FATAL_FAILURE(launchShippedShell(built, bundle));
        host.advance(0);
        ASSERT_TRUE(shell->corvanaOAuth());
    }
    void TearDown() override
    {
        closeLaunchedShell();
        pf::setReachabilityTargetProvider({});
        zz.reset();
        if (m_oldBundle)
            pf::Bundle::setMain(m_oldBundle);
        unsetenv("ZMR_DEVICE_DIR");
        RoadBus::TearDown();
    }
    // zzLogin, then "授权" in the login page.
    void approveInThePage()
    {
        shell->zzLogin();
        ASSERT_TRUE(shell->corvanaOAuth()->loginViewKit()) << "the scripts chose the login page";
        std::shared_ptr<pf::WebView> page;
        ASSERT_TRUE(runMainUntil([&] { return (page = loadedLoginPage(*shell->corvanaOAuth())) != nullptr; }));
        host.advance(0.3);
        ASSERT_TRUE(page->followLinkWithText("授权"));
    }

    pf::HeadlessHost host;
    std::optional<ZZStandIn> zz;

private:
    std::shared_ptr<pf::Bundle> m_oldBundle;
};

}

TEST_F(ShellZZ, SignInThroughTheLoginPageShowsTheToastUntilTheServerSignsIn)
{
    ASSERT_TRUE(shell->uid().isNil());
    approveInThePage();
    // The page slides out, then the token is handed over.
    ASSERT_TRUE(runMainUntil([&] {
        host.advance(0.05);
        return shell->loadingView() != nullptr;
    }));
    ASSERT_TRUE(runMainUntil([&] {
        host.advance(0.05);
        return shell->uid().isNumber() && !shell->loadingView();
    }));
    EXPECT_EQ(shell->zzToken(), zmr::ZZServer::tokenFor("101452831"));
    EXPECT_TRUE(pf::AlertView::visibleAlerts().empty());
}

TEST_F(ShellZZ, ATokenWhileSignedInBindsAndPostsTheBindChange)
{
    signUp("zzbinder");
    int changes = 0;
    auto observer = std::make_shared<int>(0);
    pf::NotificationCenter::defaultCenter().addObserver("ZMRBindChangedNotification", observer,
                                                       [&changes](const pf::Notification&) { ++changes; });
    approveInThePage();
    ASSERT_TRUE(runMainUntil([&] {
        host.advance(0.05);
        return changes == 1 && !shell->loadingView();
    }));
    EXPECT_EQ(shell->zzToken(), zmr::ZZServer::tokenFor("101452831"));
}

TEST_F(ShellZZ, NoNetworkShowsTheAlertAndSendsNothing)
{
    pf::setReachabilityTargetProvider([](const pf::ReachabilityTarget&) { return 0u; });
    shell->zzLogin();
    auto alerts = pf::AlertView::visibleAlerts();
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts.back()->message(), "网络错误，请检查您的网络设置");
    EXPECT_FALSE(shell->loadingView());
}
