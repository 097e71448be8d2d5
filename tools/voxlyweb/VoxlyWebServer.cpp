#include "tools/voxlyweb/VoxlyWebServer.h"

#include "tools/zzserver/ZZCertificates.h"

#include "platform/foundation/PercentEncode.h"
#include "platform/security/Digest.h"

#include <httplib.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <fstream>
#include <optional>
#include <random>

namespace zmr {

namespace {

// An http or https URL without control characters or spaces, its fragment cut.
std::optional<std::string> redirectTarget(const httplib::Request& request)
{
    if (!request.has_param("redirect_uri"))
        return std::nullopt;
    std::string uri = request.get_param_value("redirect_uri");
    if (uri.rfind("http://", 0) != 0 && uri.rfind("https://", 0) != 0)
        return std::nullopt;
    for (unsigned char c : uri)
        if (c <= 0x20 || c == 0x7F)
            return std::nullopt;
    return uri.substr(0, uri.find('#'));
}

const char kHex[] = "0123456789abcdef";
constexpr const char* kTokenPrefix = "2.00";
constexpr std::size_t kNonceDigits = 12, kTagDigits = 16;

std::string randomHex(std::size_t digits)
{
    static thread_local std::mt19937_64 random{std::random_device{}()};
    std::string out;
    for (std::size_t i = 0; i < digits; ++i)
        out += kHex[random() % 16];
    return out;
}

// The tag of a token's nonce: the start of a digest of the stand-ins' key
// and the nonce, in hexadecimal.
std::string tagOf(const std::string& nonce)
{
    return pf::sha1Hex("voxly stand-in token:" + nonce).substr(0, kTagDigits);
}

bool isMinted(const std::string& token)
{
    std::size_t prefix = std::char_traits<char>::length(kTokenPrefix);
    if (token.size() != prefix + kNonceDigits + kTagDigits || token.compare(0, prefix, kTokenPrefix) != 0)
        return false;
    return token.compare(prefix + kNonceDigits, kTagDigits, tagOf(token.substr(prefix, kNonceDigits))) == 0;
}

void page(httplib::Response& response, int status, const std::string& title, const std::string& body)
{
    response.status = status;
    response.set_content("<!DOCTYPE html><html><head><meta charset='utf-8'><title>" + title + "</title></head>"
                             "<body style='margin:12px;font-size:16px'>" + body + "</body></html>",
                         "text/html; charset=utf-8");
}

}

VoxlyWebServer::VoxlyWebServer()
{
    m_certificates = ZZCertificates::create();
    if (!m_certificates)
        return;
    m_caPem = m_certificates->caPem();
    m_server = std::make_unique<httplib::SSLServer>(m_certificates->leafCertificate, m_certificates->leafKey);
    if (!m_server->is_valid())
        return;
    install(*m_server);
    m_server->set_keep_alive_max_count(1); // every connection serves one request, so a stop is prompt
    m_server->set_tcp_nodelay(true);
    int port = m_server->bind_to_any_port("127.0.0.1");
    if (port <= 0)
        return;
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // A stop before the listening loop runs would be lost.
    for (int i = 0; i < 5000 && !m_server->is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    m_port = port;
}

VoxlyWebServer::~VoxlyWebServer()
{
    if (m_thread.joinable()) {
        m_server->stop();
        m_thread.join();
    }
}

std::string VoxlyWebServer::origin() const
{
    return "https://127.0.0.1:" + std::to_string(m_port);
}

bool VoxlyWebServer::writeCA(const std::string& path) const
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << m_caPem;
    out.close();
    return !m_caPem.empty() && out.good();
}

std::vector<VoxlyWebServer::Received> VoxlyWebServer::received() const
{
    std::lock_guard lock(m_mutex);
    return m_received;
}

std::vector<std::string> VoxlyWebServer::grantedTokens() const
{
    std::lock_guard lock(m_mutex);
    return m_tokens;
}

std::string VoxlyWebServer::freshToken()
{
    std::string nonce = randomHex(kNonceDigits);
    return kTokenPrefix + nonce + tagOf(nonce);
}

std::optional<std::string> VoxlyWebServer::tokenOwner(const std::string& token) const
{
    if (isMinted(token))
        return uid();
    std::lock_guard lock(m_mutex);
    if (!token.empty() && std::find(m_granted.begin(), m_granted.end(), token) != m_granted.end())
        return uid();
    return std::nullopt;
}

std::string VoxlyWebServer::grant(std::string token)
{
    if (token.empty())
        token = freshToken();
    std::lock_guard lock(m_mutex);
    m_granted.push_back(token);
    return token;
}

void VoxlyWebServer::record(Received received)
{
    std::lock_guard lock(m_mutex);
    m_received.push_back(std::move(received));
}

void VoxlyWebServer::install(httplib::Server& server)
{
    server.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
        Received in{request.path, {}, request.target};
        for (const auto& [key, value] : request.params)
            in.query.emplace_back(key, value);
        record(std::move(in));
        return httplib::Server::HandlerResponse::Unhandled;
    });
    server.Get("/oauth2/authorize", [](const httplib::Request& request, httplib::Response& response) {
        auto target = redirectTarget(request);
        if (!target)
            return page(response, 400, "Voxly", "<p>redirect_uri</p>");
        std::string query = "?redirect_uri=" + pf::percentEncode(*target);
        response.set_header("Set-Cookie", "voxly_session=" + randomHex(28) + "; Path=/; Secure; HttpOnly");
        page(response, 200, "Voxly",
             "<p>Zomaru</p><p><a href='/oauth2/authorize/grant" + query + "'>授权</a></p>"
             "<p><a href='/oauth2/authorize/deny" + query + "'>拒绝</a></p>");
    });
    server.Get("/oauth2/authorize/grant", [this](const httplib::Request& request, httplib::Response& response) {
        auto target = redirectTarget(request);
        if (!target)
            return page(response, 400, "Voxly", "<p>redirect_uri</p>");
        std::string token = freshToken();
        {
            std::lock_guard lock(m_mutex);
            m_tokens.push_back(token);
        }
        response.set_redirect(*target + "#access_token=" + token + "&expires_in=" + std::to_string(kExpiresIn)
                              + "&uid=" + uid());
    });
    server.Get("/oauth2/authorize/deny", [](const httplib::Request& request, httplib::Response& response) {
        auto target = redirectTarget(request);
        if (!target)
            return page(response, 400, "Voxly", "<p>redirect_uri</p>");
        response.set_redirect(*target + (target->find('?') == std::string::npos ? "?" : "&")
                              + "error=access_denied&error_code=21330");
    });
    server.Get(redirectPath(), [](const httplib::Request&, httplib::Response& response) {
        page(response, 200, "Voxly", "<p>OK</p>");
    });
    auto result = [](const httplib::Request&, httplib::Response& response) {
        response.set_content(R"({"result":true})", "application/json");
    };
    auto tokenInfo = [this](const httplib::Request& request, httplib::Response& response) {
        auto uid = tokenOwner(request.get_param_value("access_token"));
        if (!uid) {
            response.status = 400;
            response.set_content(R"({"error":"invalid_access_token","error_code":21332,"request":"/oauth2/get_token_info"})",
                                 "application/json");
            return;
        }
        response.set_content(R"({"uid":)" + *uid + R"(,"scope":"","expire_in":)" + std::to_string(kExpiresIn) + "}",
                             "application/json");
    };
    server.Get("/oauth2/get_token_info", tokenInfo);
    server.Post("/oauth2/get_token_info", tokenInfo);
    server.Get("/oauth2/revokeoauth2", result);
    server.Get("/2/direct_messages/invite", result);
}

}
