#include "tools/zzserver/ZZServer.h"

#include "platform/net/HttpConnection.h"

#include <gtest/gtest.h>

using zmr::ZZServer;

namespace {

const std::string kSdkInfo = "format=json&sdkv=2.0.1&sdkp=i&status_os=12.0&status_machine=x86_64&status_version=12";
const std::string kBoundary = ZZServer::multipartBoundary;

std::string multipart(const std::string& boundary)
{
    std::string body = "--" + boundary + "\r\nContent-Disposition: form-data; name=\"format\"\r\n\r\njson";
    body += "\r\n--" + boundary + "\r\nContent-Disposition: form-data; name=\"photo\"; filename=\"picture\"\r\n"
            "Content-Type: image/jpeg\r\n\r\n\xFF\xD8\r\n--x";
    return body + "\r\n--" + boundary + "--\r\n";
}

}

TEST(ZZServer, ChecksCallsAndRecordsWhatItParsed)
{
    ZZServer server(R"({"ret":0,"Common_ta_enable":1})");
    ASSERT_TRUE(server.isRunning());
    server.queue("/oauth2.0/get_user_info", {200, R"({"ret":0,"n":1})", "application/json", "gb18030", {}});
    server.queue("/user/set_user_face", {200, R"({"ret":0})", "application/json", "", {}});
    struct Row {
        const char* name;
        std::string method;
        std::string target;
        std::string body;
        std::string contentType;
        bool corvanaAgent;
        int status;
        std::string answer; // checked when not empty
    };
    const Row rows[] = {
        {"policy with the SDK information", "GET", std::string(ZZServer::policyPath) + "?" + kSdkInfo, "", "", true, 200, R"({"ret":0,"Common_ta_enable":1})"},
        {"policy without the agent", "GET", std::string(ZZServer::policyPath) + "?" + kSdkInfo, "", "", false, 400, ""},
        {"form call answers the queue in order", "POST", "/oauth2.0/get_user_info", kSdkInfo + "&x=a%26b+c", "", true, 200, R"({"ret":0,"n":1})"},
        {"nothing queued", "POST", "/oauth2.0/get_vip_info", kSdkInfo, "", true, 404, ""},
        {"multipart with the call layer's boundary", "POST", "/user/set_user_face?" + kSdkInfo, multipart(kBoundary), "multipart/form-data; boundary=" + kBoundary, true, 200, ""},
        {"multipart with another boundary", "POST", "/anything", multipart("other"), "multipart/form-data; boundary=other", true, 400, ""},
        {"report with its own parameters", "GET", std::string(ZZServer::reportPath) + "?strValue=1&nValue=10654&qver=ios.SDK.1.8&elt=12&tag=0", "", "", false, 200, R"({"ret":0})"},
        {"report with a foreign parameter", "GET", std::string(ZZServer::reportPath) + "?tag=0&format=json", "", "", true, 400, ""},
        // Every road's token of the one person names one open id; a server asks without the SDK.
        {"the SDK's lookup of the page's token", "GET", "/oauth2.0/m_me?access_token=ZZT77&" + kSdkInfo, "", "", true, 200, R"({"client_id":"77","openid":"OID77"})"},
        {"the SDK's lookup without the SDK information", "GET", "/oauth2.0/m_me?access_token=ZZT77", "", "", true, 400, ""},
        {"a server's lookup of the ZZ app's token", "GET", "/oauth2.0/me?access_token=ZZA77", "", "", false, 200, R"({"client_id":"77","openid":"OID77"})"},
        {"a server's lookup of ZZ Browser's token", "POST", "/oauth2.0/me", "access_token=ZZB77", "", false, 200, R"({"client_id":"77","openid":"OID77"})"},
        {"a token granted by hand", "GET", "/oauth2.0/me?access_token=zz-granted", "", "", false, 200, R"({"client_id":"101452831","openid":"OID101452831"})"},
        {"a token no stand-in issued", "GET", "/oauth2.0/me?access_token=zz-made-up", "", "", false, 200, R"({"error":100016,"error_description":"access token check failed"})"},
        {"a page token of no app", "GET", "/oauth2.0/m_me?access_token=ZZT&" + kSdkInfo, "", "", true, 200, R"({"error":100016,"error_description":"access token check failed"})"},
    };
    server.grant("zz-granted", "101452831");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        pf::HttpRequest request(server.httpOrigin() + row.target);
        request.setHttpMethod(row.method);
        if (row.corvanaAgent)
            request.setValue("CorvanaConnect", "User-Agent");
        if (!row.contentType.empty())
            request.setValue(row.contentType, "Content-Type");
        if (row.method == "POST")
            request.setHttpBody(pf::Bytes(row.body.begin(), row.body.end()));
        auto result = pf::HttpConnection::sendSynchronousRequest(request);
        ASSERT_TRUE(result.ok()) << result.error().description;
        EXPECT_EQ(result->response.statusCode(), row.status);
        if (!row.answer.empty()) {
            EXPECT_EQ(std::string(result->body.begin(), result->body.end()), row.answer);
        }
        EXPECT_EQ(server.received().back().status, row.status);
    }
    auto form = server.received("/oauth2.0/get_user_info").at(0);
    EXPECT_EQ(form.param("x"), "a&b c");
    EXPECT_EQ(form.form.back(), (ZZServer::Pairs::value_type{"x", "a&b c"}));
    auto parts = server.received("/user/set_user_face").at(0).parts;
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0].name, "format");
    EXPECT_EQ(parts[1].name, "photo");
    EXPECT_EQ(parts[1].filename, "picture");
    EXPECT_EQ(parts[1].contentType, "image/jpeg");
    EXPECT_EQ(parts[1].content, "\xFF\xD8\r\n--x");
}

TEST(ZZServer, TheLoginPageAnswersAsTheRealOneWould)
{
    ZZServer server;
    ASSERT_TRUE(server.isRunning());
    auto get = [&](const std::string& target) {
        pf::HttpRequest request(server.httpOrigin() + target);
        return pf::HttpConnection::sendSynchronousRequest(request);
    };
    std::string query = "?client_id=77&redirect_uri=auth%3A%2F%2Fwww.zz.example&token_key=k";
    auto page = get(std::string("/oauth2.0/m_authorize") + query);
    ASSERT_TRUE(page.ok());
    std::string html(page->body.begin(), page->body.end());
    EXPECT_NE(html.find("授权"), std::string::npos);
    EXPECT_NE(html.find("corvana77://cancel"), std::string::npos);
    EXPECT_EQ(html.find("auth://browser"), std::string::npos) << "only when switched on";
    struct Row {
        ZZServer::LoginSwitches switches;
        std::string extra;
        std::string location;
    } rows[] = {
        { {}, "", "auth://www.zz.example#access_token=ZZT77&openid=OID77&expires_in=7776000" },
        { { .noOpenId = true }, "", "auth://www.zz.example#access_token=ZZT77&expires_in=7776000" },
        { { .deny = true }, "", "auth://www.zz.example#error=access_denied" },
        // "Z" ^ "k" = 0x31, "T" ^ "k" = 0x3f, "7" ^ "k" = 0x5c
        { {}, "&browser=1&serial=1001",
          "corvana77://openmobile.zz.example/#access_token=31313f5c5c&openid=OID77&expires_in=7776000&serial=1001" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.location);
        server.setLoginSwitches(row.switches);
        auto approve = get("/oauth2.0/m_authorize/approve" + query + row.extra);
        ASSERT_TRUE(approve.ok());
        EXPECT_EQ(approve->response.statusCode(), 302);
        EXPECT_EQ(approve->response.valueForHTTPHeaderField("Location"), row.location);
    }
    // A browser approval without a key still answers (with an empty token).
    server.setLoginSwitches({});
    auto keyless = get("/oauth2.0/m_authorize/approve?client_id=77&redirect_uri=auth%3A%2F%2Fwww.zz.example&browser=1");
    ASSERT_TRUE(keyless.ok());
    EXPECT_EQ(keyless->response.statusCode(), 302);
    std::string location = keyless->response.valueForHTTPHeaderField("Location").value_or("");
    EXPECT_NE(location.find("#access_token=&openid=OID77"), std::string::npos) << location;
}
