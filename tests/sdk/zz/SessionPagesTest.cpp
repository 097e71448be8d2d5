#include "BuiltResourcesSupport.h"
#include "CallLayerTestSupport.h"
#include "ScriptPackageSupport.h"
#include "ShareTestSupport.h"

#include "platform/controls/AlertView.h"
#include "platform/foundation/Reachability.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/host/HeadlessHost.h"
#include "platform/script/ScriptContext.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "platform/web/WebViewPages.h"
#include "sdk/zz/CVLoginViewKit.h"
#include "sdk/zz/CVOSDKJSBridge.h"
#include "sdk/zz/CorvanaOAuth.h"
#include "sdk/zz/JSZZApi.h"
#include "sdk/zz/OpenApi.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A signed-in session on the real script runtime and the build's resources,
// headless; the device has no Plaza app unless a test installs one.
class SessionPages : public ShareDeviceFixture {
protected:
    void SetUp() override
    {
        ShareDeviceFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(m_resources.enter());
        OpenApi::resetForTesting();
        host.emplace();
        appWindow = pf::Window::create();
        appWindow->makeKeyAndVisible();
        pf::useHtmlDocumentsInWebViews();
        session = quietSession("101452831", heard);
        ASSERT_TRUE(session);
        session->setAccessToken(std::string("tok"));
        session->setOpenId(std::string("OPEN1"));
        session->setExpirationDate(pf::Date { pf::Date::now().seconds + 3600 });
    }
    void TearDown() override
    {
        dismissAlerts();
        pf::setReachabilityTargetProvider({});
        if (session && session->loginViewKit())
            session->loginViewKit()->closeWindow();
        if (session)
            closePage();
        session.reset();
        CVOSDKJSBridge::deinit();
        appWindow = nullptr;
        pf::Screen::main().removeAllWindows();
        host.reset();
        OpenApi::resetForTesting();
        m_resources.leave();
        ShareDeviceFixture::TearDown();
    }
    static std::vector<std::string> alertTitles()
    {
        std::vector<std::string> titles;
        for (auto& alert : pf::AlertView::visibleAlerts())
            titles.push_back(alert->title());
        return titles;
    }
    static void dismissAlerts()
    {
        for (auto& alert : pf::AlertView::visibleAlerts())
            alert->dismissWithClickedButtonIndex(0, false);
    }
    std::shared_ptr<CVWebViewKit> pageKit() const
    {
        return session->cvUiKit() ? session->cvUiKit()->webViewKit() : nullptr;
    }
    // The page window is up.
    bool pageOpen() const
    {
        auto kit = pageKit();
        return kit && kit->window();
    }
    void closePage()
    {
        if (auto kit = pageKit())
            kit->closeWindow();
    }
    bool story(const std::string& title, pf::ArrayRef friends)
    {
        auto params = pf::Dictionary::create();
        params->set("title", title);
        params->set("summary", std::string(" 摘要\n"));
        return session->sendStory(params, friends);
    }

    struct Heard : CorvanaSessionDelegate {
        std::vector<std::string> calls;
        void corvanaDidNotNetWork() override { calls.push_back("no network"); }
    };
    std::shared_ptr<Heard> heard = std::make_shared<Heard>();
    std::optional<pf::HeadlessHost> host;
    pf::WindowRef appWindow;
    std::shared_ptr<CorvanaOAuth> session;

private:
    BuiltResourcesHome m_resources;
};

using namespace std::string_literals;
const std::optional<std::string> no;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(SessionPages, WithoutPlazaTheBundlePageShowsEachOperation)
{
    struct Row {
        const char* name;
        std::function<bool()> send;
        bool sent;
        const char* windowTitle; // nullptr: no page
        std::vector<std::string> inURL;
        const char* alert; // nullptr: none
    } rows[] = {
        { "story: title trimmed, only text receivers",
          [&] { return story("  标题 ", std::make_shared<pf::Array>(pf::Array { "a"s, 7, "b"s })); },
          true, "分享",
          { "iface=SendStory", "receiver=a%2Cb", "title=%E6%A0%87%E9%A2%98&", "summary=%E6%91%98%E8%A6%81&",
            "source=4", "access_token=tok", "openid=OPEN1", "keytype=21", "oauth_consumer_key=101452831" },
          nullptr },
        { "story without title", [&] { return story(" \n", nullptr); }, false, nullptr, {}, "分享失败" },
        { "invitation", [&] { return session->sendAppInvitationWithDescription(" 来玩 "s, no, "src"s); },
          true, "应用邀请",
          { "iface=AppInvitation", "desc=%E6%9D%A5%E7%8E%A9&", "picurl=&", "source=src",
            "encrytoken=" + session->localEncrytedToken().value_or("?") },
          nullptr },
        { "challenge pk", [&] { return session->sendChallenge("F1"s, "pk"s, "p.png"s, "msg"s, no); },
          true, "发送挑战", { "iface=AppChallenge", "receiver=F1", "type=pk", "img=p.png", "msg=msg" }, nullptr },
        { "brag", [&] { return session->sendChallenge("F1"s, "brag"s, no, no, no); },
          true, "向TA炫耀", { "type=brag" }, nullptr },
        { "challenge without receiver", [&] { return session->sendChallenge(std::string(), "pk"s, no, no, no); },
          false, nullptr, {}, "挑战炫耀" },
        { "challenge of another type", [&] { return session->sendChallenge("F1"s, "duel"s, no, no, no); },
          false, nullptr, {}, "挑战炫耀" },
        { "gift request", [&] { return session->sendGiftRequest("F1"s, "X"s, no, 3, "request"s, " 礼 "s, no, no, no); },
          true, "请求礼物", { "iface=AppGiftRequest", "type=request", "only=3", "exclude=X", "title=%E7%A4%BC&" }, nullptr },
        { "free gift", [&] { return session->sendGiftRequest(no, no, no, 0, "freegift"s, no, no, no, no); },
          true, "赠送礼物", { "type=freegift", "only=0" }, nullptr },
        { "gift of another type", [&] { return session->sendGiftRequest(no, no, no, 0, "loan"s, no, no, no, no); },
          false, nullptr, {}, "请求/赠送礼物" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        closePage();
        EXPECT_EQ(row.send(), row.sent);
        EXPECT_EQ(alertTitles(), row.alert ? std::vector<std::string> { row.alert } : std::vector<std::string> {});
        dismissAlerts();
        EXPECT_EQ(pageOpen(), row.windowTitle != nullptr);
        if (!row.windowTitle)
            continue;
        auto kit = pageKit();
        ASSERT_TRUE(kit);
        EXPECT_EQ(kit->webTitle().value_or(""), row.windowTitle);
        EXPECT_TRUE(contains(kit->requestUrl(), "/CorvanaOpenApi_IOS_Bundle.bundle/local.html?")) << kit->requestUrl();
        for (const std::string& part : row.inURL)
            EXPECT_TRUE(contains(kit->requestUrl() + "&", part)) << part << " in " << kit->requestUrl();
    }
}

TEST_F(SessionPages, NothingIsSentWithoutASignedInUser)
{
    session->setOpenId(no);
    EXPECT_FALSE(story("标题", nullptr));
    EXPECT_FALSE(session->sendAppInvitationWithDescription("d"s, no, no));
    EXPECT_FALSE(session->sendChallenge("F1"s, "pk"s, no, no, no));
    EXPECT_FALSE(session->sendGiftRequest(no, no, no, 0, "request"s,
                                          no, no, no, no));
    EXPECT_FALSE(pageOpen());
    EXPECT_TRUE(alertTitles().empty());
}

TEST_F(SessionPages, APlazaAppTakesTheStoryFromVersion3AndTheOthersFrom4)
{
    struct Row {
        const char* scheme;
        int version;
        bool storyToApp;
        bool invitationToApp;
    } rows[] = {
        { "mplazaopensdk", 2, false, false },
        { "mplazaopensdkapi", 3, true, false },
        { "mplazaopensdkapiV2", 5, true, true },
    };
    int n = 0;
    std::size_t opened = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.scheme);
        installApp("com.plaza.p" + std::to_string(++n), { row.scheme });
        ASSERT_EQ(OpenApi::plazaVersion(), row.version);
        closePage();
        EXPECT_TRUE(story("标题", std::make_shared<pf::Array>(pf::Array { "a"s })));
        EXPECT_TRUE(session->sendAppInvitationWithDescription("d"s, no, no));
        std::size_t expected = opened + (row.storyToApp ? 1 : 0) + (row.invitationToApp ? 1 : 0);
        auto urls = openedURLs(expected);
        ASSERT_EQ(urls.size(), expected);
        if (row.storyToApp)
            EXPECT_TRUE(contains(urls[opened], "mplazaopensdkapi://pzapp/")) << urls[opened];
        if (row.storyToApp)
            EXPECT_TRUE(contains(urls[opened], "/1?generalpastboard=")) << urls[opened];
        if (row.invitationToApp)
            EXPECT_TRUE(contains(urls.back(), "/AppInvitation?generalpastboard=")) << urls.back();
        // What the app did not take, the bundle page shows.
        bool pageShown = !row.storyToApp || !row.invitationToApp;
        EXPECT_EQ(pageOpen(), pageShown);
        opened = expected;
    }
}

TEST_F(SessionPages, TheBrowserLoginEntryUsesTheSessionsOwnSchemeAndAppId)
{
    ZZServerFixture zz;
    struct Row {
        const char* name;
        std::function<void()> arrange;
        bool opened;
        std::vector<std::string> heard;
        std::vector<std::string> alerts;
    } rows[] = {
        { "offline", [] { pf::setReachabilityTargetProvider([](const pf::ReachabilityTarget&) { return 0u; }); },
          false, { "no network", "no network" }, {} }, // as session and as login delegate
        { "online", [] { pf::setReachabilityTargetProvider({}); }, true, {}, {} },
        { "the scheme is not the application's", [&] { useBundle(""); }, false, {}, { "配置错误" } },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        heard->calls.clear();
        row.arrange();
        EXPECT_EQ(session->authorizeWithCorvanaAppAuthInSafari({ "get_user_info" }, nullptr, heard), row.opened);
        EXPECT_EQ(heard->calls, row.heard);
        EXPECT_EQ(alertTitles(), row.alerts);
        dismissAlerts();
        if (row.opened) {
            ASSERT_TRUE(session->loginViewKit());
            EXPECT_EQ(session->loginViewKit()->appId(), "101452831");
            EXPECT_EQ(session->pendingLogins(), 1u);
        }
    }
}

class BrowserProbes : public ShareDeviceFixture {};

TEST_F(BrowserProbes, TheScriptsAndTheLoginPageSeeTheSameBrowsers)
{
    struct Row {
        const char* scheme; // nullptr: nothing installed
        bool newBrowser;
        bool oldBrowser;
    } rows[] = {
        { nullptr, false, false },
        { "mttbrowser", false, true },
        { "mzzbrowser", true, true },
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.scheme ? row.scheme : "none");
        if (row.scheme)
            installApp("com.browser.b" + std::to_string(++n), { row.scheme });
        EXPECT_EQ(JSZZApi::isNewZZBrowserInstall(), row.newBrowser);
        EXPECT_EQ(JSZZApi::isOldZZBrowserInstall(), row.oldBrowser);
        EXPECT_EQ(CVLoginViewKit::isNewZZBrowserInstall(), row.newBrowser);
        EXPECT_EQ(CVLoginViewKit::isOldZZBrowserInstall(), row.oldBrowser);
    }
}

} // namespace
