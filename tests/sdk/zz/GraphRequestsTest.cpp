#include "CallLayerTestSupport.h"

#include "sdk/zz/CorvanaOAuth.h"

#include <gtest/gtest.h>

using zmr::ZZServer;

namespace {

struct Outcomes : CorvanaSessionDelegate, CorvanaRequestDelegate {
    std::vector<std::string> heard;
    void corvanaDidLogin() override { heard.push_back("login"); }
    void corvanaDidNotLogin(bool cancelled) override { heard.push_back(cancelled ? "cancelled" : "not"); }
    void requestDidLoad(CorvanaRequest&, const pf::Value&, const pf::Bytes& data) override
    {
        heard.push_back("loaded " + std::string(data.begin(), data.end()));
    }
    void requestDidFailWithError(CorvanaRequest&, const CorvanaError&) override { heard.push_back("failed"); }
};

}

TEST(CorvanaOAuthGraph, RequestsCarryTheAccountAndLeaveTheCallersParameters)
{
    ZZServerFixture zz;
    auto outcomes = std::make_shared<Outcomes>();
    auto session = std::make_shared<CorvanaOAuth>("101452831", outcomes);
    EXPECT_FALSE(session->requestWithParams(pf::Dictionary::create({ { "x", "1" } }), outcomes)) << "no method";

    // Signed out: only the app's own keys go along.
    zz.server.queue("/user/get_info", { 200, R"({"ret":0})", "application/json", "", {} });
    auto params = pf::Dictionary::create({ { "method", "user/get_info" }, { "x", "1" } });
    ASSERT_TRUE(session->requestWithParams(params, outcomes));
    EXPECT_EQ(params->string("method"), "user/get_info");
    ASSERT_TRUE(ZZServerFixture::waitFor([&] { return outcomes->heard.size() == 1; }));
    EXPECT_EQ(outcomes->heard[0], R"(loaded {"ret":0})");

    session->setAccessToken(std::string("tok"));
    session->setOpenId(std::string("oid"));
    session->setExpirationDate(pf::Date { pf::Date::now().seconds + 3600 });
    zz.server.queue("/oauth2.0/list_album", { 200, R"({"ret":0})", "application/json", "", {} });
    ASSERT_TRUE(session->requestWithGraphPath("list_album", nullptr, "POST", outcomes));
    EXPECT_EQ(session->request()->httpMethod(), "POST");
    ASSERT_TRUE(ZZServerFixture::waitFor([&] { return outcomes->heard.size() == 2; }));

    auto first = zz.server.received("/user/get_info");
    auto second = zz.server.received("/oauth2.0/list_album");
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    struct Row {
        const ZZServer::Received& seen;
        const char* name;
        std::optional<std::string> value;
    } rows[] = {
        { first[0], "x", "1" },
        { first[0], "method", std::nullopt },
        { first[0], "format", "json" },
        { first[0], "oauth_consumer_key", "101452831" },
        { first[0], "access_token", std::nullopt },
        { first[0], "openid", std::nullopt },
        { second[0], "access_token", "tok" },
        { second[0], "openid", "oid" },
        { second[0], "format", "json" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.seen.param(row.name), row.value);
    }
    EXPECT_EQ(second[0].method, "POST");
}

TEST(CorvanaOAuthGraph, ADialogLoginEndsInOneOutcomeByItsOpenIdAnswer)
{
    struct Row {
        const char* name;
        std::optional<ZZServer::Answer> answer; // nothing: the server's own
        const char* heard;
        std::optional<std::string> openId; // nothing: none set
    } rows[] = {
        { "the server names the user", std::nullopt, "login", ZZServer::openIdFor(ZZServer::appTokenFor("101452831")) },
        { "a JSONP answer", ZZServer::Answer { 200, "callback( {\"openid\":\"Q1\"} );\n", "text/plain", "", {} }, "login", "Q1" },
        { "no open id", ZZServer::Answer { 200, R"({"client_id":"1"})", "application/json", "", {} }, "not", std::nullopt },
        { "an empty open id", ZZServer::Answer { 200, R"({"openid":""})", "application/json", "", {} }, "not", std::nullopt },
        { "an error answer", ZZServer::Answer { 200, R"({"error":100016})", "application/json", "", {} }, "not", std::nullopt },
        { "not JSON", ZZServer::Answer { 200, "callback(oops);", "text/plain", "", {} }, "not", std::nullopt },
        { "a server failure", ZZServer::Answer { 500, "", "text/plain", "", {} }, "not", std::nullopt },
    };
    // A login the ZZ app made: the stand-in knows its token.
    const std::string token = ZZServer::appTokenFor("101452831");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ZZServerFixture zz;
        if (row.answer)
            zz.server.queue("/oauth2.0/m_me", *row.answer);
        auto outcomes = std::make_shared<Outcomes>();
        auto session = std::make_shared<CorvanaOAuth>("101452831", outcomes);
        session->corvanaDialogLogin(token, pf::Date { pf::Date::now().seconds + 60 });
        EXPECT_EQ(session->accessToken(), token);
        ASSERT_TRUE(ZZServerFixture::waitFor([&] { return !outcomes->heard.empty(); }));
        EXPECT_EQ(outcomes->heard, std::vector<std::string> { row.heard });
        EXPECT_EQ(zz.server.received("/oauth2.0/m_me").at(0).param("access_token"), token);
        if (!row.openId)
            EXPECT_FALSE(session->openId());
        else
            EXPECT_EQ(session->openId(), row.openId);
    }
}
