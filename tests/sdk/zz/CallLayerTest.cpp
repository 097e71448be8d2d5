#include "CallLayerTestSupport.h"

#include "platform/foundation/Collections.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/net/URLConnection.h"
#include "sdk/zz/CVOpenSDKErrorUtil.h"
#include "sdk/zz/CorvanaOAuth.h"
#include "sdk/zz/CorvanaRequest.h"
#include "sdk/zz/OpenApi.h"
#include "sdk/zz/URLTools.h"

#include <chrono>
#include <thread>

using zmr::ZZServer;

namespace {

pf::Value bytes(std::string_view text) { return pf::Value::data(pf::Bytes(text.begin(), text.end())); }

class CallLayer : public ::testing::TestWithParam<bool> {
protected:
    std::string origin() const { return GetParam() ? zz.server.httpsOrigin() : zz.server.httpOrigin(); }
    ZZServerFixture zz;
};

struct Session : pf::Object, ICorvanaAPISession {
    bool allow = false;
    pf::ArrayRef asked;
    std::vector<std::string> deleted;
    bool corvanaNeedPerformIncrAuth(const pf::ObjectRef&, const pf::ArrayRef& permissions) override
    {
        asked = permissions;
        return allow;
    }
    void deleteAPIRequestBySeq(const std::string& seq) override { deleted.push_back(seq); }
    void cancelWithRequestKey(const pf::Value&) override {}
};

}

INSTANTIATE_TEST_SUITE_P(HttpAndHttps, CallLayer, ::testing::Bool());

TEST_P(CallLayer, SendsWhatTheServerParsesBack)
{
    auto get = zz.call(origin() + "/oauth2.0/m_me?x=1", "GET",
                       pf::Dictionary::create({ { "q", "a&b =é+" }, { "blob", bytes("raw") } }), {});
    ASSERT_TRUE(get);
    auto form = zz.call({}, "POST", nullptr, [&](APIBase& api) {
        api.openUrlBySkey(origin() + "/user/form", std::string("sk"), std::string("42"), std::string("app"),
                          pf::Dictionary::create({ { "n", "v+1&2" } }));
    });
    ASSERT_TRUE(form);
    auto image = pf::Image::create(*pf::Bitmap::create(4, 4));
    auto multipart = zz.call(origin() + "/user/upload", "POST",
                             pf::Dictionary::create({ { "photo", bytes("\xFF\xD8\r\n--x") }, { "title", "t" },
                                                      { "na\"me", "q" }, { "pic", pf::Value(image) } }), {});
    ASSERT_TRUE(multipart);

    auto received = zz.server.received();
    ASSERT_EQ(received.size(), 3u);
    for (const auto& seen : received) {
        EXPECT_EQ(seen.secure, GetParam());
        EXPECT_NE(seen.status, 400) << seen.path;
        EXPECT_EQ(seen.header("User-Agent"), "CorvanaConnect");
        EXPECT_EQ(seen.param("sdkv"), "2.0.1");
        EXPECT_EQ(seen.param("oauth_consumer_key"), "app");
    }
    EXPECT_EQ(received[0].param("x"), "1");
    EXPECT_EQ(received[0].param("q"), "a&b =é+");
    EXPECT_EQ(received[0].param("access_token"), "tok");
    EXPECT_EQ(received[0].param("openid"), "oid");
    EXPECT_FALSE(received[0].param("blob"));
    EXPECT_EQ(received[1].header("Cookie"), "_uin=42;_oskey=sk");
    EXPECT_EQ(received[1].form.at(0), (ZZServer::Pairs::value_type { "n", "v+1&2" }));

    const auto& parts = received[2].parts;
    ASSERT_GE(parts.size(), 4u);
    EXPECT_EQ(parts[0].name, "title");
    EXPECT_EQ(parts[1].name, "na%22me");
    const auto& photo = parts[parts.size() - 2];
    const auto& pic = parts.back();
    EXPECT_EQ(photo.name, "photo");
    EXPECT_EQ(photo.filename, "picture");
    EXPECT_EQ(photo.contentType, "image/jpeg");
    EXPECT_EQ(photo.content, "\xFF\xD8\r\n--x");
    EXPECT_EQ(pic.name, "pic");
    EXPECT_TRUE(pic.content.starts_with("\xFF\xD8")) << "a picture travels as JPEG";
}

TEST_P(CallLayer, AnswersBecomeResponses)
{
    struct Row {
        std::string body;
        std::string charset;
        int retCode;
        int detailRetCode;
        int convertedDetailRetCode; // after the session's conversion
        const char* nick; // jsonResponse's "nick" when not null
    } rows[] = {
        { R"({"ret":0,"nick":"a"})", "", 0, 0, 0, "a" },
        { "true", "", 0, 0, 0, nullptr },
        { "false", "", 1, 1, 1, nullptr },
        { R"({"error":"x"})", "", 1, 1, 1, nullptr },
        { R"({"error_code":7,"nick":"a"})", "", 1, 1, 1, nullptr },
        { R"({"ret":0,"error_msg":"no"})", "", 1, 1, 1, nullptr },
        // A server refusal stays a delivered answer until the session converts it.
        { R"({"ret":100031,"nick":"b"})", "", 0, 0, 4, "b" },
        { R"({"ret":100030})", "", 0, 0, 3, nullptr },
        { R"({"ret":-5})", "", 0, 0, 8, nullptr },
        { "{}", "", 1, 0, 0, nullptr },
        { "[1,2]", "", 1, 0, 0, nullptr },
        { "{\"nick\":\"\xD6\xD0\xCE\xC4\"}", "gb18030", 0, 0, 0, "中文" },
        { "\xFF\xFE\x80", "", 1, 1, 1, nullptr },
        { std::string(CorvanaRequest::kMaxAnswerSize + 1, ' '), "", 1, 11, 11, nullptr },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.body.substr(0, 40));
        zz.server.queue("/oauth2.0/answer", { 200, row.body, "application/json", row.charset, {} });
        auto response = zz.call(origin() + "/oauth2.0/answer", "POST", nullptr, {});
        ASSERT_TRUE(response);
        EXPECT_EQ(response->retCode(), row.retCode);
        EXPECT_EQ(response->detailRetCode(), row.detailRetCode);
        if (row.nick) {
            EXPECT_EQ(response->jsonResponse()->get("nick"), pf::Value(row.nick));
        }
        if (row.body == "{}") {
            EXPECT_EQ(response->errorMsg(), APIBase::kBadAnswerMessage);
        }
        CVOpenSDKErrorUtil::apiResponseConvert(*response);
        EXPECT_EQ(response->retCode(), row.retCode) << "the conversion leaves retCode alone";
        EXPECT_EQ(response->detailRetCode(), row.convertedDetailRetCode);
    }
}

TEST_P(CallLayer, FailuresCarryTheMappedCode)
{
    std::string deadOrigin;
    {
        ZZServer gone;
        deadOrigin = GetParam() ? gone.httpsOrigin() : gone.httpOrigin();
    }
    zz.server.queue("/oauth2.0/slow", { 200, "{\"ret\":0}", "application/json", "", std::chrono::seconds(30) });
    struct Row {
        const char* name;
        std::string url;
        pf::DictionaryRef params;
        double timeout;
        int detailRetCode;
    } rows[] = {
        { "dead server", deadOrigin + "/oauth2.0/m_me", nullptr, 60, 5 },
        { "time-out", origin() + "/oauth2.0/slow", nullptr, 0.5, 9 },
        { "line break in a name", origin() + "/oauth2.0/m_me", pf::Dictionary::create({ { "a\r\nX: y", "1" } }), 60, 1 },
        { "line break in the skey", origin() + "/oauth2.0/m_me", pf::Dictionary::create({ { "skey", "s\nCookie: z" }, { "uin", "1" } }), 60, 1 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto response = zz.call(row.url, "POST", row.params, [&](APIBase& api) {
            api.setTimeoutInterval(pf::Seconds(row.timeout));
            api.openUrl(row.url, std::nullopt, std::nullopt, std::nullopt, row.params);
        });
        ASSERT_TRUE(response);
        EXPECT_EQ(response->retCode(), 1);
        EXPECT_EQ(response->detailRetCode(), row.detailRetCode);
    }
    EXPECT_TRUE(zz.server.received("/oauth2.0/m_me").empty()) << "unsafe requests are never sent";
}

TEST(CallLayerTrust, HttpsFailsWithoutTheTestCA)
{
    ZZServerFixture zz;
    pf::setExtraCAFile(std::string());
    auto response = zz.call(zz.server.httpsOrigin() + "/oauth2.0/m_me", "GET", nullptr, {});
    ASSERT_TRUE(response);
    EXPECT_EQ(response->retCode(), 1);
    EXPECT_EQ(response->detailRetCode(), 10) << response->errorMsg().value_or("");
}

TEST(CallLayerSession, IncrementalAuthorisationMayHoldTheAnswerBack)
{
    ZZServerFixture zz;
    for (bool allow : { false, true }) {
        SCOPED_TRACE(allow);
        zz.server.queue("/oauth2.0/get_vip_info", { 200, R"({"ret":100030})", "application/json", "", {} });
        auto session = std::make_shared<Session>();
        session->allow = allow;
        int delivered = 0;
        auto api = std::make_shared<APIBase>(
            session,
            [&](pf::Object&, const std::shared_ptr<APIResponse>& r) {
                CVOpenSDKErrorUtil::apiResponseConvert(*r);
                delivered += r->detailRetCode() == 3;
            },
            "GET", pf::Value());
        api->openUrl(zz.server.httpOrigin() + "/oauth2.0/get_vip_info", std::nullopt, std::nullopt, std::nullopt,
                     nullptr);
        ASSERT_TRUE(ZZServerFixture::waitFor([&] { return session->asked != nullptr; }));
        pf::RunLoop::main().runUntilIdle();
        EXPECT_EQ(session->asked->at(0), pf::Value("get_vip_info"));
        EXPECT_EQ(delivered, allow ? 1 : 0);
        EXPECT_EQ(session->deleted, allow ? std::vector<std::string> {} : std::vector<std::string> { std::to_string(api->seq()) });
    }
}

TEST(CallLayerCancel, NothingArrivesAfterCancel)
{
    ZZServerFixture zz;
    zz.server.queue("/oauth2.0/late", { 200, R"({"ret":0})", "application/json", "", std::chrono::milliseconds(200) });
    auto sink = std::make_shared<ResponseSink>();
    auto api = std::make_shared<APIBase>(sink, sink->selector(), "GET", pf::Value());
    api->openUrl(zz.server.httpOrigin() + "/oauth2.0/late", std::nullopt, std::nullopt, std::nullopt, nullptr);
    // Waits without turning the main loop, so an answer that comes meanwhile
    // is still queued behind the cancel rather than delivered before it.
    for (int i = 0; i < 60000 && zz.server.received("/oauth2.0/late").empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_FALSE(zz.server.received("/oauth2.0/late").empty());
    api->cancel();
    ASSERT_TRUE(ZZServerFixture::waitFor([] { return pf::URLConnection::sharedQueue().operationCount() == 0; }));
    pf::RunLoop::main().runUntilIdle();
    EXPECT_TRUE(sink->responses.empty());
}

TEST(CallLayerText, SerialisationAndAnswerParsing)
{
    auto params = pf::Dictionary::create({ { "a", "x y/é" }, { "d", bytes("z") }, { "b", 2 } });
    EXPECT_EQ(CorvanaRequest::serializeURL("http://h/p", pf::Dictionary::create()), "http://h/p?");
    EXPECT_EQ(CorvanaRequest::serializeURL("http://h/p?k=1", params), "http://h/p?k=1&a=x%20y%2F%C3%A9&b=2");
    EXPECT_EQ(URLTools::GetURLWithParam(std::string("u"), pf::Dictionary::create({ { "m", "'@’" } })),
              "u?m='@%E2%80%99");
    // The one escaper under each of its writers' rules.
    const std::string text = "a b%/?&=+'~\x7f\n中";
    EXPECT_EQ(URLTools::escape(text), "a%20b%25%2F%3F%26%3D%2B%27~%7F%0A%E4%B8%AD");
    EXPECT_EQ(CorvanaOAuth::urlencode(text), "a+b%25%2F%3F%26%3D%2B%27~%7F%0A%E4%B8%AD");
    EXPECT_EQ(OpenApi::addPercentEscapes(text), "a%20b%25/?&=+'~%7F%0A%E4%B8%AD");
    EXPECT_EQ(OpenApi::addPercentEscapes("x://h/p?q=\"<>\\^`{|}#[]@!$()*,;:"), "x://h/p?q=%22%3C%3E%5C%5E%60%7B%7C%7D#[]@!$()*,;:");
    EXPECT_EQ(APIBase::parsePermissionFromURL(" https://h/oauth2.0/get_info/ "), "get_info");
    EXPECT_EQ(APIBase::parsePermissionFromURL("//"), std::nullopt);

    struct Row {
        std::string body;
        bool result;        // with an error slot
        long long errorCode; // 0: no error
        bool resultWithoutSlot;
    } rows[] = {
        { "false", false, 10000, false },
        { R"({"error_code":"77"})", false, 77, false },
        { R"({"error_reason":"r"})", true, 10000, true },
        { "[1]", true, 0, true },
        { "not json", false, 0, false },
        { std::string(CorvanaRequest::kMaxAnswerSize + 1, ' '), false, 10000, false },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.body.substr(0, 20));
        pf::Bytes data(row.body.begin(), row.body.end());
        CorvanaError error;
        EXPECT_EQ(!CorvanaRequest::parseJsonResponse(data, &error).isNil(), row.result);
        EXPECT_EQ(error.error.code, row.errorCode);
        EXPECT_EQ(!CorvanaRequest::parseJsonResponse(data, nullptr).isNil(), row.resultWithoutSlot);
    }
}
