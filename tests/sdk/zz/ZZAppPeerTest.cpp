// App switching with the stand-in ZZ, Plaza and browser apps as real
// processes: the scripts' route, the answers by script, and the browser
// variant of the web login.

#include "CallLayerTestSupport.h"
#include "BuiltResourcesSupport.h"
#include "ScriptPackageSupport.h"
#include "ZZShellSupport.h"
#include "tests/sdk/PeerAppSupport.h"

#include "platform/foundation/Device.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "platform/web/WebViewPages.h"
#include "sdk/zz/CVLoginViewKit.h"
#include "sdk/zz/CVOSDKJSBridge.h"
#include "sdk/zz/CorvanaOAuth.h"
#include "sdk/zz/OpenApi.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

const std::string kAppId = "101452831";

struct Heard : CorvanaSessionDelegate {
    std::vector<std::string> calls;
    void corvanaDidLogin() override { calls.push_back("login"); }
    void corvanaDidNotLogin(bool cancelled) override { calls.push_back(cancelled ? "cancelled" : "not"); }
    void corvanaDidNotNetWork() override { calls.push_back("no network"); }
};

struct Forwarder final : pf::ApplicationDelegate {
    std::vector<std::string> urls;
    bool applicationOpenURL(pf::Application&, const pf::URL& url, const std::string&, const pf::Value&) override
    {
        urls.push_back(url.absoluteString());
        return CorvanaOAuth::HandleOpenURL(url);
    }
};

int runZZApp(std::vector<std::string> arguments) { return sdk::test::runPeerApp(ZZAPP_PATH, std::move(arguments)); }

class ZZAppPeer : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zmr-zzapp-XXXXXX";
        m_root = mkdtemp(pattern);
        setenv("ZMR_DEVICE_DIR", (m_root + "/device").c_str(), 1);
        ASSERT_NO_FATAL_FAILURE(m_resources.enter());
        OpenApi::resetForTesting();
        zz.emplace();
        host.emplace();
        appWindow = pf::Window::create();
        appWindow->makeKeyAndVisible();
        pf::useHtmlDocumentsInWebViews();
        pf::Application::shared().setDelegate(forwarder);
        ASSERT_TRUE(sdk::test::receiveURLsAsApp("corvana" + kAppId));
        session = quietSession(kAppId, heard);
        ASSERT_TRUE(session);
    }
    void TearDown() override
    {
        pf::Application::shared().stopReceivingURLs();
        closeSession(session);
        appWindow = nullptr;
        pf::Screen::main().removeAllWindows();
        pf::RunLoop::main().runUntilIdle();
        pf::Application::shared().setDelegate({});
        host.reset();
        zz.reset();
        OpenApi::resetForTesting();
        m_resources.leave();
        unsetenv("ZMR_DEVICE_DIR");
        fs::remove_all(m_root);
    }
    // Waits until the session's login page has loaded.
    bool loginPageShows()
    {
        return pf::RunLoop::main().runUntil([&] { return loadedLoginPage(*session) != nullptr; }, pf::Seconds(60));
    }
    bool waitHeard(std::size_t count)
    {
        return pf::RunLoop::main().runUntil([&] {
            host->advance(0.05);
            return heard->calls.size() >= count;
        }, pf::Seconds(60));
    }
    // Lets answers that might still come arrive.
    void settle()
    {
        for (int i = 0; i < 20; i++) {
            host->advance(0.05);
            pf::RunLoop::main().runUntilIdle();
        }
    }

    std::optional<ZZServerFixture> zz;
    std::optional<pf::HeadlessHost> host;
    pf::WindowRef appWindow;
    std::shared_ptr<Forwarder> forwarder = std::make_shared<Forwarder>();
    std::shared_ptr<Heard> heard = std::make_shared<Heard>();
    std::shared_ptr<CorvanaOAuth> session;

private:
    std::string m_root;
    BuiltResourcesHome m_resources;
};

}

TEST_F(ZZAppPeer, ProbesFindTheInstalledVersion)
{
    EXPECT_EQ(OpenApi::zzVersion(), 0);
    EXPECT_EQ(OpenApi::plazaVersion(), 0);
    for (int version = 1; version <= 3; version++) {
        ASSERT_EQ(runZZApp({ "--install", "--version", std::to_string(version) }), 0);
        EXPECT_EQ(OpenApi::zzVersion(), version);
    }
    for (int version = 1; version <= 5; version++) {
        ASSERT_EQ(runZZApp({ "--install", "--plaza", "--version", std::to_string(version) }), 0);
        EXPECT_EQ(OpenApi::plazaVersion(), version);
    }
    EXPECT_FALSE(CVLoginViewKit::isNewZZBrowserInstall());
    ASSERT_EQ(runZZApp({ "--install", "--browser" }), 0);
    EXPECT_TRUE(CVLoginViewKit::isNewZZBrowserInstall());
}

TEST_F(ZZAppPeer, AnswersByScript)
{
    struct Row {
        const char* script;
        bool plaza;
        const char* heard; // nullptr: nothing
    } rows[] = {
        { "approve", false, "login" },        { "cancel", false, "cancelled" },
        { "deny", false, "not" },             { "garbage-bytes", false, "not" },
        { "garbage-types", false, "not" },    { "approve", true, "login" },
        { "garbage-array", true, "not" },     { "silent", true, nullptr },
    };
    for (const Row& row : rows) {
        std::string label = std::string(row.script) + (row.plaza ? " plaza" : " zz");
        heard->calls.clear();
        session->logout();
        std::vector<std::string> install = { "--install", "--script", row.script };
        if (row.plaza) {
            // Plaza answers once the ZZ app is too old for the scripts.
            ASSERT_EQ(runZZApp({ "--install", "--version", "1" }), 0);
            install.push_back("--plaza");
        }
        ASSERT_EQ(runZZApp(install), 0) << label;
        session->authorize({ "get_user_info" }, false);
        if (!row.heard) {
            settle();
            EXPECT_TRUE(heard->calls.empty()) << label;
            continue;
        }
        ASSERT_TRUE(waitHeard(1)) << label;
        EXPECT_EQ(heard->calls, std::vector<std::string> { row.heard }) << label;
        std::string token = "ZZA" + kAppId;
        EXPECT_EQ(session->accessToken(), std::string(row.heard) == "login" ? std::optional(token) : std::nullopt) << label;
        // The same answer again counts no more.
        std::string again = forwarder->urls.empty() ? std::string() : forwarder->urls.back();
        if (!again.empty())
            CorvanaOAuth::HandleOpenURL(*pf::URL::create(again));
        settle();
        EXPECT_EQ(heard->calls.size(), 1u) << label << ": a second answer";
    }
}

TEST_F(ZZAppPeer, AnUnusableDeviceFolderFailsTheAppInsteadOfCrashingIt)
{
    // The device folder under a plain file: no board can be made or read.
    std::string scratch = makeScratch();
    std::string blocked = scratch + "/plain";
    std::ofstream(blocked) << "a file";
    std::string saved = std::getenv("ZMR_DEVICE_DIR");
    setenv("ZMR_DEVICE_DIR", (blocked + "/device").c_str(), 1);
    // Under the sanitizers a call on a missing board must end the app, not
    // just print.
    const char* oldUbsan = std::getenv("UBSAN_OPTIONS");
    std::optional<std::string> savedUbsan = oldUbsan ? std::optional<std::string>(oldUbsan) : std::nullopt;
    setenv("UBSAN_OPTIONS", "halt_on_error=1:abort_on_error=1", 1);
    for (const char* general : { "1", "0" })
        EXPECT_EQ(runZZApp({ "--open-url", "mzzOpensdkSSoLogin://SSoLogin/corvana" + kAppId + "/slot?generalpastboard=" + general }), 1)
            << "generalpastboard=" << general;
    setenv("ZMR_DEVICE_DIR", saved.c_str(), 1);
    if (savedUbsan)
        setenv("UBSAN_OPTIONS", savedUbsan->c_str(), 1);
    else
        unsetenv("UBSAN_OPTIONS");
    fs::remove_all(scratch);
}

TEST_F(ZZAppPeer, AnAnswerWithNothingPendingIsIgnored)
{
    ASSERT_EQ(runZZApp({ "--install" }), 0);
    CorvanaOAuth::HandleOpenURL(*pf::URL::create("corvana" + kAppId + "://sso/zz/0?generalpastboard=1"));
    settle();
    EXPECT_TRUE(heard->calls.empty());
    EXPECT_EQ(session->accessToken(), std::nullopt);
}

TEST_F(ZZAppPeer, TheLoginPageHandsOverToZZBrowser)
{
    zz->server.setLoginSwitches({ .browserLink = true });
    ASSERT_EQ(runZZApp({ "--install", "--browser" }), 0);
    session->authorize({ "get_user_info" }, false);
    auto kit = session->loginViewKit();
    ASSERT_TRUE(kit);
    ASSERT_TRUE(loginPageShows());
    host->advance(0.3);
    ASSERT_TRUE(kit->webViewController()->webview()->followLinkWithText("浏览器"));
    ASSERT_TRUE(waitHeard(1));
    EXPECT_EQ(heard->calls, std::vector<std::string> { "login" });
    EXPECT_EQ(session->accessToken(), "ZZB" + kAppId) << "deciphered with the login's key";
    EXPECT_EQ(kit->browserLoginsInFlight(), 0u);
}

TEST_F(ZZAppPeer, WithoutZZBrowserTheSystemsOrThePageItselfTakesOver)
{
    zz->server.setLoginSwitches({ .browserLink = true });
    struct Row {
        const char* name;
        bool multitasking;
    } rows[] = { { "the system's browser", true }, { "the page again", false } };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        pf::DeviceProfile profile = pf::DeviceProfile::current();
        profile.multitaskingSupported = row.multitasking;
        pf::DeviceProfile::setCurrent(profile);
        session->authorize({ "get_user_info" }, false);
        auto kit = session->loginViewKit();
        ASSERT_TRUE(kit);
        ASSERT_TRUE(loginPageShows());
        std::size_t pages = zz->server.received("/oauth2.0/m_authorize").size();
        std::size_t opened = host->openedURLs().size();
        std::size_t inFlight = kit->browserLoginsInFlight();
        ASSERT_TRUE(kit->webViewController()->webview()->followLinkWithText("浏览器"));
        if (row.multitasking) {
            ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return host->openedURLs().size() > opened; }, pf::Seconds(60)));
            EXPECT_TRUE(host->openedURLs().back().starts_with(CVLoginViewKit::authorizeAddress())) << host->openedURLs().back();
            EXPECT_NE(host->openedURLs().back().find("browser=1"), std::string::npos);
            EXPECT_EQ(kit->browserLoginsInFlight(), inFlight + 1);
        } else {
            ASSERT_TRUE(pf::RunLoop::main().runUntil(
                [&] { return zz->server.received("/oauth2.0/m_authorize").size() > pages; }, pf::Seconds(60)));
            EXPECT_EQ(zz->server.received("/oauth2.0/m_authorize").back().param("browser_error"), "1");
            EXPECT_EQ(kit->browserLoginsInFlight(), inFlight) << "a failed switch leaves nothing in flight";
        }
        EXPECT_TRUE(heard->calls.empty());
        kit->doCloseWithNotAnimation();
        heard->calls.clear();
    }
    pf::DeviceProfile profile = pf::DeviceProfile::current();
    profile.multitaskingSupported = true;
    pf::DeviceProfile::setCurrent(profile);
}
