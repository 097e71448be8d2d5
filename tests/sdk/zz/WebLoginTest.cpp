#include "CallLayerTestSupport.h"
#include "BuiltResourcesSupport.h"
#include "ScriptPackageSupport.h"
#include "ShareTestSupport.h"

#include "platform/foundation/Reachability.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "platform/web/WebViewPages.h"
#include "sdk/zz/CVLoginViewKit.h"
#include "sdk/zz/CVOSDKJSBridge.h"
#include "sdk/zz/CorvanaOAuth.h"
#include "sdk/zz/CvApiTool.h"
#include "sdk/zz/OpenApi.h"

#include <gtest/gtest.h>

namespace {

struct Heard : CorvanaSessionDelegate {
    std::vector<std::string> calls;
    void corvanaDidLogin() override { calls.push_back("login"); }
    void corvanaDidNotLogin(bool cancelled) override { calls.push_back(cancelled ? "cancelled" : "not"); }
    void corvanaDidNotNetWork() override { calls.push_back("no network"); }
};

const std::string kAppId = "101452831";

// A session on the real runtime whose scripts find no app and open the
// login page of the stand-in server, headless.
class WebLogin : public ShareDeviceFixture {
protected:
    void SetUp() override
    {
        ShareDeviceFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(m_resources.enter());
        OpenApi::resetForTesting();
        zz.emplace();
        host.emplace();
        appWindow = pf::Window::create();
        appWindow->makeKeyAndVisible();
        pf::useHtmlDocumentsInWebViews();
        session = quietSession(kAppId, heard);
        ASSERT_TRUE(session);
    }
    void TearDown() override
    {
        closeSession(session);
        pf::setReachabilityTargetProvider({});
        appWindow = nullptr;
        pf::Screen::main().removeAllWindows();
        host.reset();
        zz.reset();
        OpenApi::resetForTesting();
        m_resources.leave();
        ShareDeviceFixture::TearDown();
    }
    // Logs in and waits for the page to show.
    void openPage()
    {
        session->authorize({ "get_user_info" }, false);
        ASSERT_TRUE(session->loginViewKit()) << "the scripts chose the page";
        ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return pageShows("ZZ登录"); }, pf::Seconds(60))) << diagnosis();
        host->advance(CVWebViewKit::kSlideInSeconds + 0.05);
    }
    std::string diagnosis()
    {
        std::string text;
        for (auto& call : heard->calls)
            text += call + "; ";
        auto controller = session->loginViewKit()->webViewController();
        auto web = controller ? controller->webview() : nullptr;
        text += "controller " + std::to_string(bool(controller)) + " web " + std::to_string(bool(web));
        if (web)
            text += " loading " + std::to_string(web->isLoading()) + " url " + web->url() + " title " + web->title() + " error "
                + (controller->error() ? controller->error()->description : "none");
        text += " request " + session->loginViewKit()->requestUrl();
        return text;
    }
    bool pageShows(const char* link)
    {
        auto controller = session->loginViewKit()->webViewController();
        auto web = controller ? controller->webview() : nullptr;
        return web && !web->isLoading() && web->title() == link;
    }
    bool follow(const char* link)
    {
        return session->loginViewKit()->webViewController()->webview()->followLinkWithText(link);
    }
    bool waitHeard(std::size_t count)
    {
        return pf::RunLoop::main().runUntil([&] {
            host->advance(0.05);
            return heard->calls.size() >= count;
        }, pf::Seconds(60));
    }

    std::optional<ZZServerFixture> zz;
    std::optional<pf::HeadlessHost> host;
    pf::WindowRef appWindow;
    std::shared_ptr<Heard> heard = std::make_shared<Heard>();
    std::shared_ptr<CorvanaOAuth> session;

private:
    BuiltResourcesHome m_resources;
};

}

TEST_F(WebLogin, OutcomesOfThePage)
{
    struct Row {
        const char* name;
        zmr::ZZServer::LoginSwitches switches;
        const char* link;
        const char* heard;
        bool signedIn;
    } rows[] = {
        { "approve", {}, "授权", "login", true },
        { "no open id: m_me gives it", { .noOpenId = true }, "授权", "login", true },
        { "cancel", {}, "取消", "cancelled", false },
        { "deny", { .deny = true }, "授权", "cancelled", false },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        heard->calls.clear();
        session->logout();
        zz->server.setLoginSwitches(row.switches);
        openPage();
        EXPECT_TRUE(session->isWatchingNetwork());
        ASSERT_TRUE(follow(row.link));
        ASSERT_TRUE(waitHeard(1));
        EXPECT_EQ(heard->calls, std::vector<std::string> { row.heard });
        EXPECT_EQ(session->pendingLogins(), 0u) << "the login's delegate left";
        EXPECT_FALSE(session->isWatchingNetwork());
        std::string token = zmr::ZZServer::tokenFor(kAppId);
        if (row.signedIn) {
            EXPECT_EQ(session->accessToken(), token);
            EXPECT_EQ(session->openId(), zmr::ZZServer::openIdFor(token));
            EXPECT_TRUE(session->isSessionValid());
        } else {
            EXPECT_EQ(session->accessToken(), std::nullopt);
        }
        host->advance(CVWebViewKit::kSlideOutSeconds + 0.1);
        EXPECT_FALSE(session->loginViewKit()->window()) << "the page went";
    }
    EXPECT_EQ(zz->server.received("/oauth2.0/m_me").size(), 1u);
}

TEST_F(WebLogin, ARedirectLoopEndsTheLogin)
{
    zz->server.setLoginSwitches({ .loop = true });
    session->authorize({ "get_user_info" }, false);
    ASSERT_TRUE(waitHeard(1));
    EXPECT_EQ(heard->calls, std::vector<std::string> { "not" });
    EXPECT_EQ(session->pendingLogins(), 0u);
}

TEST_F(WebLogin, OfflineTellsTwiceAndOpensNothing)
{
    pf::setReachabilityTargetProvider([](const pf::ReachabilityTarget&) { return 0u; });
    session->authorize({ "get_user_info" }, false);
    EXPECT_EQ(heard->calls, (std::vector<std::string> { "no network", "no network" }));
    EXPECT_FALSE(session->loginViewKit()) << "no page";
    EXPECT_EQ(session->pendingLogins(), 0u);
}

TEST_F(WebLogin, OnlyTheRedirectAtTheStartOfAURLCounts)
{
    openPage();
    auto kit = session->loginViewKit();
    struct Row {
        std::string url;
        bool loads;
    } rows[] = {
        { zz->server.httpsOrigin() + "/x?next=auth://www.zz.example#access_token=EVIL&openid=E&expires_in=60", true },
        { "http://evil.example/auth://www.zz.example#access_token=EVIL", true },
        { "corvana" + kAppId + "://openmobile.zz.example/#access_token=41&serial=999", false },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        EXPECT_EQ(kit->webViewKitShouldStartLoadWithRequest(*kit, row.url), row.loads);
        EXPECT_EQ(kit->accessToken(), std::nullopt);
    }
    EXPECT_FALSE(kit->handleOpenURL(*pf::URL::create("corvana" + kAppId + "://openmobile.zz.example/#access_token=41&serial=999")))
        << "no browser login in flight";
    EXPECT_TRUE(heard->calls.empty());
}

TEST_F(WebLogin, TwentyOneNavigationsWithoutAnOutcomeAreALoop)
{
    openPage();
    auto kit = session->loginViewKit();
    while (kit->loginCount() < CVLoginViewKit::kMaxNavigations)
        ASSERT_TRUE(kit->webViewKitShouldStartLoadWithRequest(*kit, kit->requestUrl()));
    EXPECT_FALSE(kit->webViewKitShouldStartLoadWithRequest(*kit, kit->requestUrl()));
    EXPECT_EQ(kit->loginCount(), 0u) << "starts again";
}

TEST_F(WebLogin, OpeningWithItsOwnDataReplacesTheLoginsDataAndDelegate)
{
    struct Failures : CVLoginViewDelegate {
        int heard = 0;
        void loginViewKitDidFailuredWithError(CVLoginViewKit&, const std::optional<pf::Error>&, const std::string&) override
        {
            ++heard;
        }
    };
    auto first = std::make_shared<Failures>(), second = std::make_shared<Failures>();
    auto kit = CVLoginViewKit::create(kAppId, std::string("www.zz.example"), { "get_user_info" }, first);
    EXPECT_FALSE(kit->openWithAppId("", std::nullopt, {}, second)) << "no app id";
    ASSERT_TRUE(kit->openWithAppId("7", std::string("https://www.other.example"), { "add_share", "all" }, second));
    EXPECT_EQ(kit->appId(), "7");
    EXPECT_EQ(kit->redirectURI(), "www.other.example");
    for (const char* part : { "client_id=7", "scope=add_share%2Call", "redirect_uri=auth%3A%2F%2Fwww.other.example" })
        EXPECT_NE(kit->requestUrl().find(part), std::string::npos) << part << " in " << kit->requestUrl();
    kit->webViewKitDidLoadWithNetworkError(*kit, pf::Error { "NSURLErrorDomain", -1009, "offline" });
    EXPECT_EQ(first->heard, 0);
    EXPECT_EQ(second->heard, 1) << "the new delegate hears the outcome";
    kit->doCloseWithNotAnimation();
}

TEST(LoginViewKitText, QueryAndPageHelpers)
{
    auto params = CVLoginViewKit::parseURLParams(std::string("a=1&b=x%20y=z&c&d=%FF&e="));
    ASSERT_TRUE(params);
    EXPECT_EQ(params->get("a").stringOr(), "1");
    EXPECT_EQ(params->get("b").stringOr(), "x y") << "the first two parts";
    EXPECT_FALSE(params->contains("c"));
    EXPECT_FALSE(params->contains("d")) << "not UTF-8";
    EXPECT_EQ(params->get("e").stringOr("?"), "");
    EXPECT_FALSE(CVLoginViewKit::parseURLParams(std::nullopt));
    EXPECT_EQ(CVLoginViewKit::generateUrlString("https://h/p", pf::Dictionary::create({ { "k", "a b&c" }, { "s", "x%2Fy" } })),
              "https://h/p?k=a%20b%26c&s=x%2Fy");
    EXPECT_EQ(CVLoginViewKit::generateUrlString("https://h/p", nullptr), "https://h/p");
    EXPECT_EQ(CvApiTool::decodeAccessToken(std::string("0f"), std::string("k")), std::string("d")) << "0x0f ^ 'k'";
}

TEST_F(WebLogin, WindowsOfTheScriptsAndOfTheBundlePages)
{
    struct Answers : CorvanaSessionDelegate {
        std::vector<std::string> calls;
        void sendStoryResponse(const Response& r) override
        {
            calls.push_back("story " + std::to_string(r->retCode()) + " " + r->jsonResponse()->get("id").stringOr());
        }
        void responseDidReceived(const Response& r, const std::string& message) override
        {
            calls.push_back(message + " " + std::to_string(r->retCode()) + " " + std::to_string(r->detailRetCode()));
        }
    };
    auto answers = std::make_shared<Answers>();
    session->setSessionDelegate(answers);
    ASSERT_TRUE(session->openPageWebView(zz->server.httpsOrigin() + "/oauth2.0/m_authorize?client_id=1", "分享"));
    auto kit = session->cvUiKit()->webViewKit();
    ASSERT_TRUE(kit);
    struct Row {
        std::string url;
        bool loads;
        const char* heard; // nullptr: nothing
    } rows[] = {
        { "corvana101452831://SendStory/success?id=s1", false, "story 0 s1" },
        { "corvana101452831://SendStory/cancel", false, "story 1 " },
        { "corvana101452831://AppInvitation/fail?x=1", false, "AppInvitation 1 12" },
        { "corvana101452831://AppInvitation/later", false, nullptr },
        { "https://127.0.0.1/other", true, nullptr },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        answers->calls.clear();
        EXPECT_EQ(session->webViewKitShouldStartLoadWithRequest(*kit, row.url), row.loads);
        EXPECT_EQ(answers->calls, row.heard ? std::vector<std::string> { row.heard } : std::vector<std::string> {});
    }

    auto script = [&](const std::string& text) { return session->webView()->stringByEvaluatingJavaScriptFromString(text); };
    script("window.appUtils = { nativeWebViewCallback: function (u) { window.seen = u; return u.indexOf('ok') >= 0 ? 'true' : 'false'; } };");
    EXPECT_EQ(script("String(oauth.openNativeWebView('" + zz->server.httpsOrigin() + "/oauth2.0/m_authorize', '标题'))"), "true");
    EXPECT_EQ(script("String(oauth.openNativeWebView('', 't'))"), "false");
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return session->cvJSUiKit() && session->cvJSUiKit()->webViewKit(); },
                                             pf::Seconds(30)));
    auto jsKit = session->cvJSUiKit()->webViewKit();
    EXPECT_TRUE(session->webViewKitShouldStartLoadWithRequest(*jsKit, "https://127.0.0.1/ok"));
    EXPECT_FALSE(session->webViewKitShouldStartLoadWithRequest(*jsKit, "https://127.0.0.1/no"));
    EXPECT_EQ(script("window.seen"), "https://127.0.0.1/no");
    script("oauth.closeNativeWebView()");
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] {
        host->advance(0.1);
        return !jsKit->window();
    }, pf::Seconds(30)));
}

TEST_F(WebLogin, ABrowserAnswerAlwaysEndsItsLogin)
{
    struct Row {
        const char* answer;
        const char* heard;
    } rows[] = {
        { "access_token=abc", "not" },           // does not decode with the key
        { "access_token=0a0b&expires_in=0", "not" }, // no lifetime
        { "error=access_denied", "cancelled" },
        { "error=access_denied&error_code=7", "not" },
    };
    openPage();
    auto kit = session->loginViewKit();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.answer);
        heard->calls.clear();
        std::size_t pending = session->pendingLogins();
        // A browser login in flight (the headless host takes the page).
        session->authorizeWithCorvanaAppAuthInappId(kAppId, { "all" }, "corvana" + kAppId, std::nullopt, nullptr, heard);
        std::string inFlight = kit->serial();
        ASSERT_TRUE(kit->openWithSafari());
        std::string url = "corvana" + kAppId + "://openmobile.zz.example/#" + row.answer + "&serial=" + inFlight;
        EXPECT_TRUE(kit->handleOpenURL(*pf::URL::create(url)));
        EXPECT_EQ(heard->calls, std::vector<std::string> { row.heard });
        EXPECT_EQ(session->pendingLogins(), pending) << "the login's delegate left";
        EXPECT_FALSE(kit->handleOpenURL(*pf::URL::create(url))) << "once";
        kit->doCloseWithNotAnimation();
    }
}
