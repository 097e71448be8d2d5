#pragma once

// A loopback stand-in for the Voxly web servers, for tests and for running
// the program: one https listener on 127.0.0.1 on a port the system picks,
// presenting a leaf signed by a test CA made at start (see ZZCertificates);
// clients trust it only when given caPem().
//
// Routes (GET):
//   "/oauth2/authorize"          the authorisation page: sets a session cookie
//                                and links "授权" and "拒绝"; 400 without a
//                                "redirect_uri" of http or https
//   "/oauth2/authorize/grant"    302 to the redirect URI with
//                                "#access_token=…&expires_in=…&uid=…"
//   "/oauth2/authorize/deny"     302 to the redirect URI with
//                                "?error=access_denied&error_code=21330"
//   redirectPath()               the redirect page, a short HTML page
//   "/oauth2/revokeoauth2"       {"result":true}
//   "/2/direct_messages/invite"  {"result":true}
// and (GET or POST, "access_token" in the query or the form):
//   "/oauth2/get_token_info"     {"uid":…,"scope":"","expire_in":…} for a
//                                token of the stand-ins' person; 400 with
//                                {"error":"invalid_access_token",
//                                "error_code":21332,…} for any other
// Anything else is 404. Every request is recorded. The stand-ins have one
// person, uid(); every grant issues it a fresh token (freshToken()).
//
// Thread-safe. Destroying the server stops the listener.

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

class VoxlyWebServer {
public:
    struct Received {
        std::string path;
        std::vector<std::pair<std::string, std::string>> query; // decoded, in order
        std::string target; // the request target as sent
    };

    VoxlyWebServer();
    ~VoxlyWebServer();
    VoxlyWebServer(const VoxlyWebServer&) = delete;
    VoxlyWebServer& operator=(const VoxlyWebServer&) = delete;

    bool isRunning() const { return m_port != 0; }
    // "https://127.0.0.1:<port>".
    std::string origin() const;
    static std::string redirectPath() { return "/voxly/authorized"; }
    std::string redirectURL() const { return origin() + redirectPath(); }
    static std::string uid() { return "5800213946"; }
    static constexpr long long kExpiresIn = 2592000;
    const std::string& caPem() const { return m_caPem; }
    bool writeCA(const std::string& path) const;

    std::vector<Received> received() const;
    // The tokens granted so far, oldest first.
    std::vector<std::string> grantedTokens() const;

    // A new token of the person, as a grant here or the Voxly app stand-in
    // (a process of its own) issues it: its form carries a tag made with
    // the stand-ins' key, so that any stand-in server knows it without a
    // word with the one that issued it. Any thread.
    static std::string freshToken();
    // The uid of the person `token` was issued to; nothing for a token no
    // stand-in issued.
    std::optional<std::string> tokenOwner(const std::string& token) const;
    // For tests: `token` (a fresh one when empty) counts as granted to the
    // person, as a real server might have issued it; the token.
    std::string grant(std::string token = {});

private:
    void install(httplib::Server& server);
    void record(Received received);

    std::unique_ptr<ZZCertificates> m_certificates;
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    std::string m_caPem;
    int m_port = 0;
    mutable std::mutex m_mutex; // guards m_received, m_tokens and m_granted
    std::vector<Received> m_received;
    std::vector<std::string> m_tokens;
    std::vector<std::string> m_granted; // by grant(), of any form
};

}
