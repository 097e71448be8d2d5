#pragma once

// A loopback stand-in for the ZZ platform's servers, for tests and for running
// the program: one http and one https listener on 127.0.0.1, each on a port
// the system picks. The https side presents a leaf signed by a test CA made at
// start (see ZZCertificates); clients trust it only when given caPem().
//
// Routes (any method):
//   "/zzconnectopen/openapi/policy_conf"  the policy JSON (setPolicy())
//   "/report/report"                      {"ret":0}; 400 when a parameter is
//                                         not one a report carries
//   anything else                         the next answer queued for the path
//                                         (FIFO), else 404; among them the
//                                         preview upload (uploadPath) and the
//                                         online status ("/getonline")
// Calls of the call layer (paths under "/oauth2.0/" but the login page
// "/oauth2.0/m_authorize" and the servers' "/oauth2.0/me", "/user/" and
// "/zzconnectopen/" but the preview upload, which carries only
// "share_image") answer 400 unless they carry "User-Agent" "CorvanaConnect",
// "format" "json" and the SDK information ("sdkv", "sdkp", "status_os",
// "status_machine", "status_version"). Any multipart body whose
// boundary is not the call layer's answers 400. Every request is recorded,
// also refused ones.
//
// Thread-safe. Destroying the server stops both listeners, waking answers
// that are being delayed.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace httplib {
class Server;
}

namespace zmr {

struct ZZCertificates;

class ZZServer {
public:
    using Pairs = std::vector<std::pair<std::string, std::string>>;

    struct Answer {
        int status = 200;
        std::string body;
        std::string contentType = "application/json";
        std::string charset; // appended as "; charset=…" when set
        std::chrono::milliseconds delay{0};
    };
    // How the login page answers (see ZZServerLogin.cpp).
    struct LoginSwitches {
        bool deny = false;        // "授权" answers error=access_denied
        bool loop = false;        // the page redirects back to itself for good
        bool noOpenId = false;    // the token comes without open id ("m_me" gives it)
        bool browserLink = false; // the page offers "浏览器" (auth://browser, falling back to the page)
    };
    struct Part {
        std::string name;
        std::optional<std::string> filename;
        std::string contentType;
        std::string content;
    };
    struct Received {
        bool secure = false;
        std::string method;
        std::string path;
        Pairs headers;
        Pairs query; // decoded, in order
        Pairs form;  // a form-encoded body, decoded, in order
        std::vector<Part> parts; // a multipart body, in order
        std::string body;
        int status = 0; // what the server answered
        std::optional<std::string> header(const std::string& name) const;
        // The first of that name in the query, the form, or the parts.
        std::optional<std::string> param(const std::string& name) const;
    };

    static constexpr const char* policyPath = "/zzconnectopen/openapi/policy_conf";
    static constexpr const char* reportPath = "/report/report";
    static constexpr const char* uploadPath = "/zzconnectopen/upload_share_image";
    static constexpr const char* onlinePath = "/getonline";
    static constexpr const char* multipartBoundary = "od2ER5ioefd682HE14eh2n82n9M7rEu2nH85XQY1";

    explicit ZZServer(std::string policyJson = R"({"ret":0})");
    ~ZZServer();
    ZZServer(const ZZServer&) = delete;
    ZZServer& operator=(const ZZServer&) = delete;

    bool isRunning() const { return m_httpPort != 0 && m_httpsPort != 0; }
    // "http://127.0.0.1:<port>" and "https://127.0.0.1:<port>".
    std::string httpOrigin() const;
    std::string httpsOrigin() const;
    std::string caPem() const { return m_caPem; }
    // Writes caPem() to the file; false when it cannot.
    bool writeCA(const std::string& path) const;

    void setPolicy(std::string json);
    // Script packages (see ZZServerPackages.cpp): "/pub/check_bizup" over http
    // offers the package set here as {"type":1,"version":V,"url":…} unless
    // the query's "hver" is already V ({"type":0}); the offered URL,
    // "<https origin>/pub/js/V.zip", serves the bytes over https only.
    void setScriptPackage(std::string version, std::string zipBytes);
    // The login page "/oauth2.0/m_authorize" (over either listener) shows the
    // links "授权" and "取消" (and "浏览器" when switched on). "授权" redirects
    // to "auth://<redirect>#access_token=…&openid=…&expires_in=…", or, for a
    // browser login ("browser" 1), to "corvana<client_id>://<authorisation
    // host>/#…" with the token enciphered by the query's "token_key" and its
    // "serial"; "取消" leads to "corvana<client_id>://cancel". "/oauth2.0/m_me"
    // answers the client id and open id of the token it is given, and
    // {"error":100016,…} for a token no ZZ stand-in issued; "/oauth2.0/me"
    // is the same lookup for a server (the application server's), which
    // carries no SDK information. "/user/set_user_face" takes a multipart
    // "picture" ({"ret":0}); "/oauth2.0/getUserInfo" answers the nickname
    // "ZZ用户" unless an answer is queued.
    void setLoginSwitches(LoginSwitches switches);
    static constexpr const char* authorisationHost = "openmobile.zz.example";
    // The stand-ins have one person. Its tokens for the app `clientId`, as
    // the login page, ZZ Browser and the ZZ app stand-in (a process of its
    // own) issue them, have these forms, so that any stand-in knows them
    // without a word with the one that issued them.
    static std::string tokenFor(const std::string& clientId) { return "ZZT" + clientId; }
    static std::string browserTokenFor(const std::string& clientId) { return "ZZB" + clientId; }
    static std::string appTokenFor(const std::string& clientId) { return "ZZA" + clientId; }
    // The person's open id for the app a token of those forms was issued
    // to, the same for every form; empty for any other text.
    static std::string openIdFor(const std::string& token);
    // For tests: `token` counts as issued to the person for `clientId`, as a
    // real server might have issued it.
    void grant(const std::string& token, const std::string& clientId);
    static constexpr const char* checkPath = "/pub/check_bizup";
    void queue(const std::string& path, Answer answer);
    std::vector<Received> received() const;
    std::vector<Received> received(const std::string& path) const;

private:
    struct Listener;
    void install(httplib::Server& server, bool secure);
    // `location`: where a redirect answer points.
    Answer answer(Received& seen, std::string& location);
    std::optional<Answer> packageAnswer(const Received& seen) const; // with m_mutex held
    std::optional<Answer> loginAnswer(const Received& seen, std::string& location) const; // with m_mutex held
    std::optional<std::string> refusal(const Received& seen, const std::string& contentType) const;
    bool pause(std::chrono::milliseconds duration);

    std::unique_ptr<ZZCertificates> m_certificates;
    std::string m_caPem;
    std::unique_ptr<Listener> m_http;
    std::unique_ptr<Listener> m_https;
    int m_httpPort = 0;
    int m_httpsPort = 0;
    mutable std::mutex m_mutex; // guards everything below
    std::condition_variable m_stopped;
    bool m_stopping = false;
    std::string m_policy;
    std::map<std::string, std::deque<Answer>> m_answers;
    LoginSwitches m_login;
    std::string m_packageVersion;
    std::string m_package;
    std::map<std::string, std::string> m_granted; // token -> client id
    std::vector<Received> m_received;
};

// The token as a browser login carries it (the server's answer and the ZZ
// app's): each byte XOR the key's byte at its place, as two lower-case
// hexadecimal digits; empty for an empty key.
std::string encipherBrowserToken(const std::string& token, const std::string& key);

}
