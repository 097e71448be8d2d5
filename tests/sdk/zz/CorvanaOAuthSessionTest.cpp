#include "BuiltResourcesSupport.h"
#include "ScriptPackageSupport.h"
#include "ShareTestSupport.h"

#include "platform/controls/AlertView.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/Pasteboard.h"
#include "platform/foundation/Reachability.h"
#include "platform/foundation/RunLoop.h"
#include "platform/script/ScriptContext.h"
#include "sdk/zz/CVOSDKJSBridge.h"
#include "sdk/zz/CVOSDKServers.h"
#include "sdk/zz/CorvanaJSRunEnv.h"
#include "sdk/zz/CorvanaOAuth.h"
#include "sdk/zz/OpenApi.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>

namespace {

struct Heard : CorvanaSessionDelegate {
    std::vector<std::string> calls;
    void corvanaDidLogin() override { calls.push_back("login"); }
    void corvanaDidNotLogin(bool cancelled) override { calls.push_back(cancelled ? "cancelled" : "not"); }
    void corvanaDidNotNetWork() override { calls.push_back("no network"); }
    void corvanaDidLogout() override { calls.push_back("logout"); }
};

constexpr std::uint32_t kReachable = 1u << 1;

// A session on the real script runtime, the build's resources as the main
// bundle and a device folder of its own.
class Session : public ShareDeviceFixture {
protected:
    void SetUp() override
    {
        ShareDeviceFixture::SetUp();
        ASSERT_NO_FATAL_FAILURE(m_resources.enter());
        OpenApi::resetForTesting();
        m_oldProfile = pf::DeviceProfile::current();
    }
    void TearDown() override
    {
        closeSession(session);
        pf::setReachabilityTargetProvider({});
        pf::DeviceProfile::setCurrent(m_oldProfile);
        OpenApi::resetForTesting();
        m_resources.leave();
        ShareDeviceFixture::TearDown();
    }
    void create()
    {
        session = quietSession("101452831", heard);
        ASSERT_TRUE(session);
    }
    std::string script(const std::string& text) { return session->webView()->stringByEvaluatingJavaScriptFromString(text); }

    std::shared_ptr<Heard> heard = std::make_shared<Heard>();
    std::shared_ptr<CorvanaOAuth> session;

private:
    BuiltResourcesHome m_resources;
    pf::DeviceProfile m_oldProfile;
};

}

TEST_F(Session, CreationRegistersAndInitialisesTheScripts)
{
    create();
    EXPECT_EQ(CorvanaOAuth::currentSession(), session);
    EXPECT_EQ(OpenApi::appScheme(), "corvana101452831");
    EXPECT_EQ(CVOSDKJSBridge::shareInstance()->webView(), session->webView());
    EXPECT_TRUE(CVOSDKJSBridge::shareInstance()->JSRunEnv()->registeredObject("oauth"));
    EXPECT_EQ(script("corvana.oauth.appId"), "101452831");
    EXPECT_EQ(script("corvana.config.oauthOrigin"), CVOSDKServers::origin(CVOSDKServers::Row::OAuth) + "/oauth2.0")
        << "the scripts follow the server table";
}

TEST_F(Session, TokenStateLivesInTheScripts)
{
    create();
    struct Row {
        const char* name;
        std::optional<std::string> value;
        const char* scriptReads;
    } rows[] = {
        { "quotes and a line separator", std::string("t'o\"k\u2028\\n"), "'string'" },
        { "empty stays a value", std::string(), "'string'" },
        { "nil is written as null", std::nullopt, "'null'" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        session->setAccessToken(row.value);
        session->setOpenId(row.value);
        EXPECT_EQ(session->accessToken(), row.value);
        EXPECT_EQ(session->openId(), row.value);
        EXPECT_EQ(script(std::string("(corvana.oauth.accessToken === null ? 'null' : typeof corvana.oauth.accessToken) === ") + row.scriptReads),
                  "true");
    }
    script("delete corvana.oauth.openId; corvana.oauth.accessToken = 12;");
    EXPECT_EQ(session->openId(), std::nullopt) << "missing";
    EXPECT_EQ(session->accessToken(), std::nullopt) << "not a text";
    EXPECT_FALSE(session->isOpenIdValid());

    session->setExpirationDate(pf::Date { 1.5e9 });
    EXPECT_EQ(script("corvana.oauth.expirationDate"), "1500000000000");
    EXPECT_DOUBLE_EQ(session->expirationDate()->seconds, 1.5e9);
    session->setExpirationDate(std::nullopt);
    EXPECT_EQ(script("String(corvana.oauth.expirationDate)"), "null");
    EXPECT_DOUBLE_EQ(session->expirationDate()->seconds, 0) << "null reads as the start of 1970";

    session->setAccessToken(std::string("T"));
    EXPECT_FALSE(session->isSessionValid()) << "expired in 1970";
    session->setExpirationDate(pf::Date { pf::Date::now().seconds + 600 });
    EXPECT_TRUE(session->isSessionValid());
    session->setOpenId(std::string("O"));
    session->logout();
    EXPECT_EQ(session->accessToken(), std::nullopt);
    EXPECT_EQ(session->openId(), std::nullopt);
    EXPECT_FALSE(session->isSessionValid());
    EXPECT_EQ(heard->calls, std::vector<std::string> { "logout" });
}

TEST_F(Session, LogoutWithoutSessionDelegateTellsTheArgument)
{
    create();
    auto other = std::make_shared<Heard>();
    heard.reset();
    session->logout(other);
    EXPECT_EQ(other->calls, std::vector<std::string> { "logout" });
}

TEST_F(Session, TheEleventhLoginRebuildsTheRuntime)
{
    create();
    // The counter is the process's: bring it to the point before a rebuild.
    while (CorvanaOAuth::loginCounter() != 10)
        session->authorize({ "get_user_info" }, false);
    auto before = session->webView();
    script("corvana.oauth.marker = 1;");
    session->authorize({ "get_user_info" }, true);
    EXPECT_NE(session->webView(), before) << "a new runtime";
    EXPECT_EQ(CorvanaOAuth::loginCounter(), 1);
    session->webView()->scriptContext()->setConsoleSink([](const std::string&) {});
    EXPECT_EQ(script("String(corvana.oauth.marker)"), "undefined");
    EXPECT_EQ(script("corvana.oauth.appId"), "101452831") << "initialised again";
    EXPECT_EQ(script("corvana.cauth.permissions"), "get_user_info");
    auto rebuilt = session->webView();
    session->authorize({ "a", "b" }, false);
    EXPECT_EQ(session->webView(), rebuilt);
    EXPECT_EQ(script("corvana.cauth.permissions"), "a,b");

    pf::DeviceProfile old = pf::DeviceProfile::current();
    pf::DeviceProfile four = old;
    four.systemVersion = "4.3";
    pf::DeviceProfile::setCurrent(four);
    int counted = CorvanaOAuth::loginCounter();
    session->authorize({ "a" }, false);
    EXPECT_EQ(CorvanaOAuth::loginCounter(), counted) << "older systems do not count";
}

TEST_F(Session, AFourProfileLoadsTheEmptyDocument)
{
    pf::DeviceProfile four = pf::DeviceProfile::current();
    four.systemVersion = "4.2";
    pf::DeviceProfile::setCurrent(four);
    auto web = std::make_shared<pf::WebView>();
    auto runEnv = CorvanaJSRunEnv::initWithWebView(web, "", {});
    ASSERT_TRUE(runEnv);
    EXPECT_EQ(web->htmlString(),
              "<!DOCTYPE html><html><head><meta content='text/html' charset='utf-8'/></head><body></body></html>");
    four.systemVersion = "5.0";
    pf::DeviceProfile::setCurrent(four);
    auto other = std::make_shared<pf::WebView>();
    ASSERT_TRUE(CorvanaJSRunEnv::initWithWebView(other, "", {}));
    EXPECT_EQ(other->htmlString(), std::nullopt);
}

TEST_F(Session, TheNetworkWatchAlertsOncePerOutage)
{
    std::atomic<std::uint32_t> flags { 0 };
    pf::setReachabilityTargetProvider([&](const pf::ReachabilityTarget&) { return flags.load(); });
    create();
    EXPECT_FALSE(session->StartNotifyNetWork());
    EXPECT_EQ(heard->calls, std::vector<std::string> { "no network" });
    EXPECT_FALSE(session->isWatchingNetwork());

    flags = kReachable;
    ASSERT_TRUE(session->StartNotifyNetWork());
    EXPECT_TRUE(session->isWatchingNetwork());
    auto alerts = [] { return pf::AlertView::visibleAlerts().size(); };
    auto run = [](double seconds) {
        auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        pf::RunLoop::main().runUntil([&] { return std::chrono::steady_clock::now() >= until; }, pf::Seconds(seconds + 5));
    };
    flags = 0;
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return alerts() == 1; }, pf::Seconds(30)));
    EXPECT_EQ(pf::AlertView::visibleAlerts()[0]->message(), "网络连接不可用。");
    run(2.5);
    EXPECT_EQ(alerts(), 1u) << "polls during the outage add none";
    pf::AlertView::visibleAlerts()[0]->dismissWithClickedButtonIndex(0, false);
    run(1.5);
    EXPECT_EQ(alerts(), 0u) << "dismissed, the same outage is not told again";
    flags = kReachable;
    run(1.5);
    flags = 0;
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return alerts() == 1; }, pf::Seconds(30))) << "a new outage";
    session->StopNotifyNetWork();
    EXPECT_FALSE(session->isWatchingNetwork());
}

TEST_F(Session, UrlEncodingIsFormEncoding)
{
    EXPECT_EQ(CorvanaOAuth::urlencode("a b/ü"), "a+b%2F%C3%BC");
    EXPECT_EQ(CorvanaOAuth::urlencode("-._~"), "-._~");
    EXPECT_EQ(CorvanaOAuth::urlencode(""), "");
}

TEST_F(Session, TheScriptsLogInThroughTheNewestAppAndTheAnswerSignsIn)
{
    struct Row {
        const char* name;
        const char* bundle;
        std::vector<std::string> schemes;
        const char* opens; // the start of the URL the app is opened with
        bool general;
        const char* answer;
    } rows[] = {
        { "Plaza 5 alone", "com.plaza.v5", { "mplazaopensdkapiV2", "mplazaopensdkapi" },
          "mplazaopensdkapi://pzapp/corvana101452831/", true, "corvana101452831://sso/x/0?generalpastboard=1" },
        // Escapes of the URL's own survive the scripts' decoding.
        { "ZZ 3 before Plaza", "com.zz.v3", { "mzzopensdkapiV2", "mzzOpensdkSSoLogin" },
          "mzzOpensdkSSoLogin://SSoLogin/corvana101452831/", true,
          "corvana101452831://sso/x/0?generalpastboard=1&n=%25zz+%2B" },
    };
    create();
    // The scripts hand app answers to the app switch; it must never hand one
    // back to them and so come round again.
    script("(function () { var o = window.oauth, f = o.jsCallHandleOpenUrlByOpenApi;"
           "  window.depth = 0; window.deepest = 0;"
           "  o.jsCallHandleOpenUrlByOpenApi = function (a) {"
           "    window.deepest = Math.max(window.deepest, ++window.depth);"
           "    try { return f.call(o, a); } finally { window.depth--; } }; })()");
    std::size_t opened = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        heard->calls.clear();
        installApp(row.bundle, row.schemes);
        EXPECT_TRUE(session->authorize({ "get_user_info", "add_share" }, false));
        auto urls = openedURLs(++opened);
        ASSERT_EQ(urls.size(), opened);
        const std::string& url = urls.back();
        ASSERT_TRUE(url.starts_with(row.opens)) << url;
        EXPECT_TRUE(url.ends_with(row.general ? "?generalpastboard=1" : "?generalpastboard=0")) << url;
        // The app answers in the slot the URL names, then opens our scheme.
        std::string path = url.substr(std::strlen(row.opens));
        std::string slot = path.substr(0, path.find_first_of("/?"));
        auto answer = pf::Dictionary::create({ { "openid", "O" + std::to_string(opened) },
                                               { "access_token", "T'\u2028" }, { "expires_in", "600" } });
        auto data = pf::KeyedArchiver::archivedDataWithRootObject(pf::Value(answer)).value_or(pf::Bytes());
        pf::Pasteboard::general()->setData(data, slot);
        // Answers whose path says nothing are refused; the login waits on.
        for (const char* unplaced : { "corvana101452831://sso/x", "corvana101452831://pzapp/x" }) {
            EXPECT_FALSE(CorvanaOAuth::HandleOpenURL(*pf::URL::create(unplaced))) << unplaced;
            EXPECT_EQ(script("window.deepest"), "1") << unplaced;
        }
        EXPECT_TRUE(heard->calls.empty());
        EXPECT_TRUE(CorvanaOAuth::HandleOpenURL(*pf::URL::create(row.answer)));
        EXPECT_EQ(heard->calls, std::vector<std::string> { "login" });
        EXPECT_EQ(session->accessToken(), "T'\u2028");
        EXPECT_EQ(session->openId(), "O" + std::to_string(opened));
        EXPECT_TRUE(session->isSessionValid());
        CorvanaOAuth::HandleOpenURL(*pf::URL::create("corvana101452831://sso/x/0?generalpastboard=1"));
        EXPECT_EQ(heard->calls.size(), 1u) << "a second answer counts no more";
    }
}

namespace {

// A delegate that may hear updates and answers the session's questions.
struct Asker : CorvanaSessionDelegate {
    bool hears = false;
    int asked = 0;
    std::vector<std::string> calls;
    std::optional<std::vector<std::string>> replacement;
    pf::DictionaryRef extraSeen;
    bool hasCorvanaDidUpdate() const override { return hears; }
    void corvanaDidUpdate(const pf::ObjectRef&) override { calls.push_back("update"); }
    void corvanaFailedUpdate(const pf::Error& error) override { calls.push_back("failed " + error.description); }
    bool corvanaNeedPerformIncrAuth(const pf::ObjectRef&, const pf::ArrayRef&) override { return ++asked, false; }
    bool corvanaNeedPerformReAuth(const pf::ObjectRef&) override { return ++asked, false; }
    std::optional<std::vector<std::string>> getAuthorizedPermissions(const std::vector<std::string>&,
                                                                     const pf::DictionaryRef& extra) override
    {
        extraSeen = extra;
        return replacement;
    }
};

}

TEST(SessionQuestions, TheDelegateIsAskedOnlyWhenItHearsUpdates)
{
    struct Row {
        const char* name;
        bool delegate;
        bool hears;
        std::size_t permissions;
        bool incremental, reauth;
        int asked;
    } rows[] = {
        { "no delegate", false, false, 1, true, true, 0 },
        { "does not hear updates", true, false, 1, true, true, 0 },
        { "no permissions", true, true, 0, true, false, 1 },
        { "asked both", true, true, 1, false, false, 2 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto asker = std::make_shared<Asker>();
        asker->hears = row.hears;
        auto session = std::make_shared<CorvanaOAuth>("101452831", row.delegate ? asker : nullptr);
        auto permissions = pf::Array::create();
        for (std::size_t i = 0; i < row.permissions; ++i)
            permissions->add("get_user_info");
        EXPECT_EQ(session->corvanaNeedPerformIncrAuth(nullptr, permissions), row.incremental);
        EXPECT_EQ(session->corvanaNeedPerformReAuth(nullptr), row.reauth);
        EXPECT_EQ(asker->asked, row.asked);
        session->corvanaDidUpdate(session);
        session->corvanaFailedUpdate(pf::Error { "d", 1, "gone" });
        const std::vector<std::string> forwarded = { "update", "failed gone" };
        EXPECT_EQ(asker->calls, row.delegate ? forwarded : std::vector<std::string>());
    }
}

TEST_F(Session, ALoginDelegateMayReplaceThePermissions)
{
    create();
    auto asker = std::make_shared<Asker>();
    auto extra = pf::Dictionary::create({ { "isadd", "1" } });
    EXPECT_TRUE(session->authorizeWithPermissions({ "a" }, extra, asker, false));
    EXPECT_EQ(script("corvana.cauth.permissions"), "a");
    EXPECT_EQ(asker->extraSeen, extra) << "the extra parameters are handed over";
    asker->replacement = std::vector<std::string> { "x", "y" };
    EXPECT_TRUE(session->authorizeWithPermissions({ "a" }, nullptr, asker, false));
    EXPECT_EQ(script("corvana.cauth.permissions"), "x,y");
    EXPECT_TRUE(session->authorize({ "b" }, false)) << "the session as its own login delegate keeps them";
    EXPECT_EQ(script("corvana.cauth.permissions"), "b");
}
