#include "CallLayerTestSupport.h"

#include "framework/util/KRMD5String.h"
#include "platform/net/URLConnection.h"
#include "sdk/zz/CVAPIRequest.h"
#include "sdk/zz/CorvanaOAuth.h"

#include <gtest/gtest.h>

#include <algorithm>

using zmr::ZZServer;

namespace {

struct Recorder : CVAPIRequestDelegate, CorvanaSessionDelegate {
    std::vector<std::shared_ptr<APIResponse>> answers;
    std::vector<std::int64_t> progress;
    void cgiRequestDidResponse(CVAPIRequest&, const std::shared_ptr<APIResponse>& response) override
    {
        answers.push_back(response);
    }
    void corvanaOAuthDidSendBodyData(CorvanaOAuth&, std::int64_t, std::int64_t total, std::int64_t,
                                     const pf::Value&) override
    {
        progress.push_back(total);
    }
};

std::shared_ptr<CorvanaOAuth> signedInSession(std::weak_ptr<CorvanaSessionDelegate> delegate = {})
{
    auto session = std::make_shared<CorvanaOAuth>("101452831", std::move(delegate));
    session->setAccessToken(std::string("tok"));
    session->setOpenId(std::string("oid"));
    session->setExpirationDate(pf::Date { pf::Date::now().seconds + 3600 });
    return session;
}

}

TEST(CorvanaOAuthCGI, AnswerReachesTheCallbackAndLeavesTheTable)
{
    ZZServerFixture zz;
    zz.server.queue("/user/get_info", { 200, R"({"ret":0,"nick":"z"})", "application/json", "", {} });
    auto recorder = std::make_shared<Recorder>();
    auto session = signedInSession();
    auto request = session->cgiRequestWithURL(zz.server.httpsOrigin() + "/user/get_info", "get",
                                              pf::Dictionary::create({ { "x", "1" } }), recorder);
    ASSERT_TRUE(request);
    EXPECT_EQ(session->liveRequestCount(), 1u);
    EXPECT_EQ(request->state(), CVAPIRequest::Loading);
    ASSERT_TRUE(ZZServerFixture::waitFor([&] { return !recorder->answers.empty(); }));
    EXPECT_EQ(recorder->answers[0]->jsonResponse()->get("nick"), pf::Value("z"));
    EXPECT_EQ(session->liveRequestCount(), 0u);
    EXPECT_TRUE(request->requestKey().isNil());
    auto sent = zz.server.received("/user/get_info");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].method, "GET");
    EXPECT_EQ(sent[0].param("x"), "1");
    EXPECT_EQ(sent[0].param("oauth_consumer_key"), "101452831");
    EXPECT_EQ(sent[0].param("openid"), "oid");
}

TEST(CorvanaOAuthCGI, RefusedRequestsSendNothing)
{
    ZZServerFixture zz;
    std::string url = zz.server.httpOrigin() + "/user/refused";
    struct Row {
        const char* name;
        std::function<void(CorvanaOAuth&)> session;
        std::string url;
        std::string method;
        bool loadFirst;
    } rows[] = {
        { "no token", [](CorvanaOAuth& s) { s.setAccessToken(std::nullopt); }, url, "GET", false },
        { "expired", [](CorvanaOAuth& s) { s.setExpirationDate(pf::Date { 1 }); }, url, "GET", false },
        { "no open id", [](CorvanaOAuth& s) { s.setOpenId(std::nullopt); }, url, "GET", false },
        { "empty url", {}, "", "GET", false },
        { "relative url", {}, "/user/refused", "GET", false },
        { "PUT", {}, url, "PUT", false },
        { "already loading", {}, url, "POST", true },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto session = signedInSession();
        if (row.session)
            row.session(*session);
        auto request = std::make_shared<CVAPIRequest>(row.url, row.method);
        if (row.loadFirst)
            request->tryLoad();
        EXPECT_FALSE(session->sendAPIRequest(request, {}));
        EXPECT_EQ(session->liveRequestCount(), 0u);
        EXPECT_EQ(request->state(), row.loadFirst ? CVAPIRequest::Loading : CVAPIRequest::Idle)
            << "a refused request can still be sent later";
    }
    auto session = signedInSession();
    session->setOpenId(std::string());
    EXPECT_TRUE(session->cgiRequestWithURL(url, "POST", nullptr, {})) << "an empty open id is an open id";
    pf::RunLoop::main().runUntil([&] { return session->liveRequestCount() == 0; }, pf::Seconds(60));
    EXPECT_EQ(zz.server.received("/user/refused").size(), 1u);
}

TEST(CorvanaOAuthCGI, CancelDropsTheRequestAndItsAnswer)
{
    ZZServerFixture zz;
    for (const char* how : { "user data", "request key" }) {
        SCOPED_TRACE(how);
        zz.server.queue("/user/late", { 200, R"({"ret":0})", "application/json", "", std::chrono::milliseconds(300) });
        auto recorder = std::make_shared<Recorder>();
        auto session = signedInSession();
        auto mark = std::make_shared<pf::Object>();
        auto request = std::make_shared<CVAPIRequest>(zz.server.httpOrigin() + "/user/late", "GET");
        request->setParamUserData(pf::Value(mark));
        ASSERT_TRUE(session->sendAPIRequest(request, recorder));
        EXPECT_FALSE(session->cancel(pf::Value(std::make_shared<pf::Object>()))) << "no request carries it";
        EXPECT_EQ(session->liveRequestCount(), 1u);
        if (std::string(how) == "user data")
            EXPECT_TRUE(session->cancel(pf::Value(mark)));
        else
            session->cancelWithRequestKey(request->requestKey());
        EXPECT_EQ(session->liveRequestCount(), 0u);
        ASSERT_TRUE(ZZServerFixture::waitFor([] { return pf::URLConnection::sharedQueue().operationCount() == 0; }));
        pf::RunLoop::main().runUntilIdle();
        EXPECT_TRUE(recorder->answers.empty());
    }
    auto session = signedInSession();
    auto plain = std::make_shared<CVAPIRequest>(zz.server.httpOrigin() + "/user/late", "GET");
    ASSERT_TRUE(session->sendAPIRequest(plain, {}));
    session->cancelWithRequestKey(pf::Value());
    session->cancelWithRequestKey(pf::Value("12"));
    EXPECT_FALSE(session->cancel(pf::Value())) << "nil matches no request, not every one without user data";
    EXPECT_EQ(session->liveRequestCount(), 1u);
    session->cancelWithRequestKey(plain->requestKey());
    EXPECT_EQ(session->liveRequestCount(), 0u);
}

TEST(CorvanaOAuthText, HelpersRows)
{
    struct Unwrap {
        std::string message;
        std::string callback;
        std::string statis;
    } unwraps[] = {
        { "callback( {\"openid\":\"o\"} );\n", "{\"openid\":\"o\"}", "callback( {\"openid\":\"o\"} );\n" },
        { "_Callback({\"ret\":0});", "_Callback({\"ret\":0});", "{\"ret\":0}" },
        { "_Callback({\"m\":\");\"});", "_Callback({\"m\":\");\"});", "{\"m\":\");\"}" },
        { "callback(", "callback(", "callback(" },
        { "callback)", "callback)", "callback)" },
        { "callback()", "", "callback()" },
        { "", "", "" },
        { "{\"a\":1}", "{\"a\":1}", "{\"a\":1}" },
    };
    for (const Unwrap& row : unwraps) {
        SCOPED_TRACE(row.message);
        EXPECT_EQ(CorvanaOAuth::unwrapCallback(row.message), row.callback);
        EXPECT_EQ(CorvanaOAuth::unwrapStatisCallback(row.message), row.statis);
    }

    struct Query {
        const char* query;
        std::vector<std::pair<std::string, std::string>> params;
    } queries[] = {
        { "a=1&b=%E4%B8%AD", { { "a", "1" }, { "b", "中" } } },
        { "a&b=&=c&d=1=2", { { "b", "" }, { "", "c" }, { "d", "1" } } },
        { "x=%FF&y=%zz&z=ok", { { "z", "ok" } } },
        { "a=1&a=2", { { "a", "2" } } },
        { "", {} },
    };
    for (const Query& row : queries) {
        SCOPED_TRACE(row.query);
        auto params = CorvanaOAuth::parseURLParams(row.query);
        EXPECT_EQ(params->count(), row.params.size());
        for (const auto& [key, value] : row.params)
            EXPECT_EQ(params->get(key), pf::Value(value)) << key;
    }

    EXPECT_EQ(CorvanaOAuth::stringByCVOSDKReplacingHtmlEscapes(std::string("a\\nb&#92;n&#39;&quot;&lt;&gt;&amp;")),
              "a\nb\\n'\"<>&amp;")
        << "an escaped backslash before n stays a backslash and n";
    EXPECT_EQ(CorvanaOAuth::stringByCVOSDKReplacingHtmlEscapes(std::nullopt), std::nullopt);

    auto session = signedInSession();
    std::string digest = krMD5String(std::string_view("orchids&kit&plmok***30517%%tok101452831oidlupin7.2"));
    std::transform(digest.begin(), digest.end(), digest.begin(), [](unsigned char c) { return std::tolower(c); });
    EXPECT_EQ(session->localEncrytedToken(), digest);
    EXPECT_EQ(session->localEncrytedToken()->find_first_not_of("0123456789abcdef"), std::string::npos);
    session->setRedirectURI("www.zz.test");
    EXPECT_EQ(session->getOwnBaseUrl(), "corvana101452831://www.zz.test");
    session->setOpenId(std::nullopt);
    EXPECT_EQ(session->localEncrytedToken(), std::nullopt);
}

TEST(CorvanaOAuthStatistics, TheKeptSignInIsCheckedFirst)
{
    struct Heard : CorvanaSessionDelegate {
        int logins = 0;
        void corvanaDidLogin() override { ++logins; }
    };
    struct Row {
        const char* body;
        int logins;
        int fullLogins; // authorize() counted by the login counter
    } rows[] = {
        { "_Callback({\"ret\":0});", 1, 0 },
        { "_Callback( {\"ret\":\"0\"} );\n", 1, 0 },
        { "{\"ret\":0}", 1, 0 },
        { "{\"ret\":-0}", 1, 0 },
        { "{\"ret\":false}", 1, 0 },
        { "{\"ret\":true}", 0, 1 },
        { "{\"ret\":\"-0\"}", 0, 1 },
        { "_Callback({\"ret\":100016});", 0, 1 },
        { "_Callback({\"ret\":", 0, 0 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.body);
        ZZServerFixture zz;
        auto heard = std::make_shared<Heard>();
        auto session = signedInSession(heard);
        zz.server.queue("/user/user_login_statis", { 200, row.body, "application/json", "", {} });
        int counted = CorvanaOAuth::loginCounter();
        EXPECT_TRUE(session->authorize({ "get_user_info" }));
        ASSERT_TRUE(ZZServerFixture::waitFor([&] { return session->liveRequestCount() == 0; }));
        EXPECT_EQ(heard->logins, row.logins);
        EXPECT_EQ(CorvanaOAuth::loginCounter() != counted, row.fullLogins == 1);
        auto sent = zz.server.received("/user/user_login_statis");
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].param("encrytoken"), session->localEncrytedToken());
        EXPECT_EQ(sent[0].param("oauth_consumer_key"), "101452831");
    }
}
