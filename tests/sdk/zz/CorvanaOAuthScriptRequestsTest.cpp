#include "CallLayerTestSupport.h"
#include "BuiltResourcesSupport.h"
#include "ScriptPackageSupport.h"

#include "platform/net/URLCache.h"
#include "platform/script/ScriptLiteral.h"
#include "sdk/zz/CVOSDKJSBridge.h"
#include "sdk/zz/CorvanaOAuth.h"

#include <gtest/gtest.h>

namespace {

struct Heard : CorvanaSessionDelegate {
    std::vector<std::string> calls;
    void getUserInfoResponse(const Response& r) override { calls.push_back("user " + r->jsonResponse()->get("nick").stringOr()); }
    void getVipInfoResponse(const Response& r) override { calls.push_back("vip " + std::to_string(r->detailRetCode())); }
    void addShareResponse(const Response& r) override { calls.push_back("share " + r->jsonResponse()->get("id").stringOr()); }
    void cgiRequestDidResponse(CVAPIRequest&, const Response& r) override
    {
        calls.push_back("cgi " + std::to_string(r->retCode()));
    }
};

class SessionScripts : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(m_resources.enter());
        bridge = commandBridge();
        ASSERT_TRUE(bridge);
        session = std::make_shared<CorvanaOAuth>("101452831", heard);
        ASSERT_TRUE(session->jsRegister(*bridge->JSRunEnv()));
        // The scripts' requests go to the stand-in server.
        bridge->evaluateJavascript("corvana.config.oauthOrigin = " + pf::scriptStringLiteral(zz.server.httpOrigin() + "/oauth2.0"));
    }
    void TearDown() override
    {
        session.reset();
        bridge.reset();
        CVOSDKJSBridge::deinit();
        pf::URLCache::setShared(nullptr);
        m_resources.leave();
    }
    bool waitHeard(std::size_t count)
    {
        return ZZServerFixture::waitFor([&] { return heard->calls.size() >= count; });
    }

    ZZServerFixture zz;
    std::shared_ptr<Heard> heard = std::make_shared<Heard>();
    std::shared_ptr<CVOSDKJSBridge> bridge;
    std::shared_ptr<CorvanaOAuth> session;

private:
    BuiltResourcesHome m_resources;
};

}

TEST_F(SessionScripts, OperationsTravelThroughTheScriptsToTheDelegate)
{
    zz.server.queue("/oauth2.0/getUserInfo", { 200, R"({"ret":0,"nick":"小明"})", "application/json", "", {} });
    zz.server.queue("/oauth2.0/getVipUserInfo", { 200, R"({"ret":100031})", "application/json", "", {} });
    zz.server.queue("/oauth2.0/addShare", { 200, R"({"ret":0,"id":"s1"})", "application/json", "", {} });
    ASSERT_TRUE(session->getUserInfo());
    ASSERT_TRUE(waitHeard(1));
    ASSERT_TRUE(session->getVipInfo());
    ASSERT_TRUE(waitHeard(2));
    ASSERT_TRUE(session->addShareWithParams(pf::Dictionary::create({ { "title", "t" } })));
    ASSERT_TRUE(waitHeard(3));
    EXPECT_EQ(heard->calls, (std::vector<std::string> { "user 小明", "vip 0", "share s1" }))
        << "the plain delivery leaves the answer unconverted";
    EXPECT_EQ(session->liveRequestCount(), 0u) << "delivered answers leave the table";
    EXPECT_EQ(CVOSDKJSBridge::getUserDictionary("addShareResponse:").dictionary()->get("title"), pf::Value("t"));
}

TEST_F(SessionScripts, DeliveriesByName)
{
    struct Row {
        const char* name;
        const char* delivery;
        const char* callback;
        int retCode;
        std::vector<std::string> heard;
        std::size_t liveAfter;
    } rows[] = {
        { "named answer", "httpJsResponseCallback", "getVipInfoResponse:", 0, { "vip 0" }, 0 },
        { "converted", "httpJsResponseCallbackType2", "getVipInfoResponse:", 0, { "vip 4" }, 0 },
        { "failure not converted", "httpJsResponseCallbackType2", "getVipInfoResponse:", 1, { "vip 0" }, 0 },
        { "name off the table", "httpJsResponseCallback", "dealloc", 0, {}, 0 },
        { "unknown key", "httpJsResponseCallback", nullptr, 0, {}, 1 },
        { "cgi answer", "httpJsResponseCallbackType3", nullptr, 0, { "cgi 0" }, 0 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        heard->calls.clear();
        zz.server.queue("/oauth2.0/raw", { 200, R"({"ret":100031})", "application/json", "", {} });
        // A script request whose answer the test delivers by hand.
        bridge->evaluateJavascript("window.__key = null; corvana.result.httpResponse = function (k) { window.__key = k; };");
        session->httpGet(pf::Dictionary::create({ { "url", zz.server.httpOrigin() + "/oauth2.0/raw" }, { "callback", "k1" } }));
        ASSERT_TRUE(ZZServerFixture::waitFor([&] { return bridge->evaluateJavascript("String(window.__key)") == "k1"; }));
        CVOSDKJSBridge::getResponseDictionary("k1").objectAs<APIResponse>()->setRetCode(row.retCode);
        CVOSDKJSBridge::addUserDictionary(pf::Value(std::make_shared<CVAPIRequest>("http://x/", "GET")), "onCGIRequestDidResponse:");
        auto args = pf::Dictionary::create({ { "key", row.liveAfter ? "other" : "k1" } });
        if (row.callback)
            args->set("callback", row.callback);
        if (std::string(row.delivery) == "httpJsResponseCallback")
            session->httpJsResponseCallback(args);
        else if (std::string(row.delivery) == "httpJsResponseCallbackType2")
            session->httpJsResponseCallbackType2(args);
        else
            session->httpJsResponseCallbackType3(args);
        EXPECT_EQ(heard->calls, row.heard);
        EXPECT_EQ(session->liveRequestCount(), row.liveAfter);
        session->httpJsResponseCallback(pf::Dictionary::create({ { "key", "k1" } }));
    }
}

TEST_F(SessionScripts, PostTakesItsParametersFromTheUserTable)
{
    zz.server.queue("/oauth2.0/post", { 200, R"({"ret":0})", "application/json", "", {} });
    CVOSDKJSBridge::addUserDictionary(pf::Value(pf::Dictionary::create({ { "a", "1" } })), "p1");
    session->httpPost(pf::Dictionary::create({ { "url", zz.server.httpOrigin() + "/oauth2.0/post" }, { "key", "p1" },
                                               { "params", pf::Dictionary::create({ { "b", "2" } }) },
                                               { "accesstoken", "t" }, { "openid", "o" }, { "appid", "9" }, { "callback", "cb" } }));
    ASSERT_TRUE(ZZServerFixture::waitFor([&] { return !zz.server.received("/oauth2.0/post").empty(); }));
    auto sent = zz.server.received("/oauth2.0/post")[0];
    EXPECT_EQ(sent.method, "POST");
    EXPECT_EQ(sent.param("a"), "1");
    EXPECT_EQ(sent.param("b"), std::nullopt);
    EXPECT_EQ(sent.param("access_token"), "t");
    EXPECT_EQ(sent.param("openid"), "o");
    std::size_t live = session->liveRequestCount();
    session->httpGet(pf::Dictionary::create({ { "callback", "none" } }));
    session->httpGet(pf::Dictionary::create({ { "url", zz.server.httpOrigin() + "/oauth2.0/post" } }));
    EXPECT_EQ(session->liveRequestCount(), live) << "a request without a URL or a callback name is not made";
}

TEST_F(SessionScripts, AppSwitchModulesAnswerTheScripts)
{
    struct Row {
        const char* script;
        const char* answer;
    } rows[] = {
        { "String(openapi.getSystemOSVersion())", "7" },
        { "String(openApi.isAppVersion(JSON.stringify({ a: 'mzz://zzapp' })))", "false" },
        { "String(openApi.handleOpenUrlJudge(JSON.stringify({ urlStr: 'not a url' })))", "NO" },
        { "String(openapi.openURL(JSON.stringify({ url: 'nobody://here' })))", "false" },
        { "String(openapi.saveDictionaryByGeneralPastboardWithSchema(JSON.stringify({ appid: '1' })))", "null" },
        { "String(oauth.convertAppIdJs(JSON.stringify({ appid: '101452831' })))", "101452831" },
        { "String(oauth.convertAppIdJs(JSON.stringify({ appid: 'x' })))", "" },
        { "String(oauth.authorizeInappWithParams(JSON.stringify({ firstCallapp: 'Plaza' })))", "0" },
        { "String(oauth.jsCallHandleOpenURLByOAuth(JSON.stringify({ urlStr: '%FF' })))", "NO" },
        { "String(oauth.jsCallHandleOpenUrlByOpenApi(JSON.stringify({ urlStr: 'corvana1%3A%2F%2Fpzapp' })))", "NO" },
        // The app-switch routes stay native: the scripts cannot reach them.
        { "typeof oauth.authorizeInZZWithParams + typeof oauth.authorizeInPlazaWithParams", "undefinedundefined" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.script);
        EXPECT_EQ(bridge->evaluateJavascript(row.script), row.answer);
    }
}

TEST_F(SessionScripts, UserInformationKeepsTheNickname)
{
    struct Row {
        bool show;
        const char* body;
        std::optional<std::string> nick;
        std::size_t heard;
    } rows[] = {
        { false, R"({"ret":0,"nickname":"&lt;小&#39;明&gt;"})", "<小'明>", 0 },
        { true, R"({"ret":0,"nickname":"阿红","nick":"x"})", "阿红", 1 },
        { false, R"({"ret":0,"nickname":7})", "阿红", 0 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.body);
        heard->calls.clear();
        zz.server.queue("/oauth2.0/getUserInfo", { 200, row.body, "application/json", "", {} });
        ASSERT_TRUE(row.show ? session->getUserInfo() : session->getUserInfoNotShow());
        ASSERT_TRUE(ZZServerFixture::waitFor([&] { return session->liveRequestCount() == 0; }));
        EXPECT_EQ(session->userNick(), row.nick);
        EXPECT_EQ(heard->calls.size(), row.heard);
    }
    EXPECT_EQ(bridge->JSuserGetUserInfo(), "false") << "every asked answer was delivered";

    // An answer the application did not ask for gives the nickname only,
    // whichever way it comes.
    heard->calls.clear();
    auto answer = std::make_shared<APIResponse>();
    answer->setJsonResponse(pf::Dictionary::create({ { "ret", 0 }, { "nickname", "晓" } }));
    CVOSDKJSBridge::addResponseDictionary(pf::Value(answer), "k");
    session->httpJsResponseCallbackUserInfo(pf::Dictionary::create({ { "key", "k" } }));
    EXPECT_EQ(session->userNick(), "晓");
    answer->setJsonResponse(pf::Dictionary::create({ { "ret", 0 }, { "nickname", "&quot;月&quot;" } }));
    session->getUserInfoNotUserResponse(answer);
    EXPECT_EQ(session->userNick(), "\"月\"");
    EXPECT_TRUE(heard->calls.empty());
}
