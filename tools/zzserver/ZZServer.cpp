#include "tools/zzserver/ZZServer.h"

#include "tools/zzserver/ZZCertificates.h"

#include <httplib.h>

#include <algorithm>
#include <cctype>
#include <fstream>

namespace zmr {

namespace {

bool sameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

ZZServer::Pairs parsePairs(const std::string& text)
{
    ZZServer::Pairs pairs;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = std::min(text.find('&', start), text.size());
        std::string pair = text.substr(start, end - start);
        if (!pair.empty()) {
            auto equals = pair.find('=');
            std::string key = pair.substr(0, equals);
            std::string value = equals == std::string::npos ? std::string() : pair.substr(equals + 1);
            pairs.emplace_back(httplib::detail::decode_url(key, true), httplib::detail::decode_url(value, true));
        }
        start = end + 1;
    }
    return pairs;
}

bool startsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

}

struct ZZServer::Listener {
    std::unique_ptr<httplib::Server> server;
    std::thread thread;

    // Binds and serves; the port, or 0.
    int start()
    {
        server->set_keep_alive_max_count(1); // every connection serves one request, so a stop is prompt
        server->set_tcp_nodelay(true);
        // A sanitized client on a busy machine can take seconds between its
        // connect and its first TLS bytes (it loads its trust store then);
        // the default five-second wait cut it off as a lost connection.
        server->set_read_timeout(20, 0);
        int port = server->bind_to_any_port("127.0.0.1");
        if (port <= 0)
            return 0;
        thread = std::thread([this] { server->listen_after_bind(); });
        // A stop() before the listening loop runs would be lost.
        for (int i = 0; i < 5000 && !server->is_running(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return port;
    }
    ~Listener()
    {
        if (thread.joinable()) {
            server->stop();
            thread.join();
        }
    }
};

std::optional<std::string> ZZServer::Received::header(const std::string& name) const
{
    for (const auto& [key, value] : headers)
        if (sameText(key, name))
            return value;
    return std::nullopt;
}

std::optional<std::string> ZZServer::Received::param(const std::string& name) const
{
    for (const Pairs* list : {&query, &form})
        for (const auto& [key, value] : *list)
            if (key == name)
                return value;
    for (const auto& part : parts)
        if (part.name == name && !part.filename)
            return part.content;
    return std::nullopt;
}

ZZServer::ZZServer(std::string policyJson) : m_policy(std::move(policyJson))
{
    m_certificates = ZZCertificates::create();
    if (!m_certificates)
        return;
    m_caPem = m_certificates->caPem();
    m_http = std::make_unique<Listener>();
    m_http->server = std::make_unique<httplib::Server>();
    install(*m_http->server, false);
    m_https = std::make_unique<Listener>();
    m_https->server = std::make_unique<httplib::SSLServer>(m_certificates->leafCertificate, m_certificates->leafKey);
    if (!m_https->server->is_valid())
        return;
    install(*m_https->server, true);
    m_httpPort = m_http->start();
    m_httpsPort = m_https->start();
}

ZZServer::~ZZServer()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_stopped.notify_all();
    m_http.reset();
    m_https.reset();
}

std::string ZZServer::httpOrigin() const
{
    return "http://127.0.0.1:" + std::to_string(m_httpPort);
}

std::string ZZServer::httpsOrigin() const
{
    return "https://127.0.0.1:" + std::to_string(m_httpsPort);
}

bool ZZServer::writeCA(const std::string& path) const
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << m_caPem;
    out.close();
    return !m_caPem.empty() && out.good();
}

void ZZServer::setPolicy(std::string json)
{
    std::lock_guard lock(m_mutex);
    m_policy = std::move(json);
}

void ZZServer::queue(const std::string& path, Answer answer)
{
    std::lock_guard lock(m_mutex);
    m_answers[path].push_back(std::move(answer));
}

std::vector<ZZServer::Received> ZZServer::received() const
{
    std::lock_guard lock(m_mutex);
    return m_received;
}

std::vector<ZZServer::Received> ZZServer::received(const std::string& path) const
{
    auto all = received();
    std::erase_if(all, [&](const Received& r) { return r.path != path; });
    return all;
}

bool ZZServer::pause(std::chrono::milliseconds duration)
{
    std::unique_lock lock(m_mutex);
    return !m_stopped.wait_for(lock, duration, [&] { return m_stopping; });
}

void ZZServer::install(httplib::Server& server, bool secure)
{
    auto handle = [this, secure](const httplib::Request& request, httplib::Response& response, std::string body,
                                 std::optional<std::vector<Part>> parts) {
        Received seen;
        seen.secure = secure;
        seen.method = request.method;
        seen.path = request.path;
        for (const auto& [name, value] : request.headers)
            seen.headers.emplace_back(name, value);
        if (auto question = request.target.find('?'); question != std::string::npos)
            seen.query = parsePairs(request.target.substr(question + 1));
        seen.body = std::move(body);
        std::string contentType = request.get_header_value("Content-Type");
        std::optional<std::string> refused;
        if (startsWith(contentType, "multipart/form-data")) {
            if (parts)
                seen.parts = std::move(*parts);
            else
                refused = "multipart body without the call layer's boundary";
        } else if (!seen.body.empty() && (contentType.empty() || startsWith(contentType, "application/x-www-form-urlencoded"))) {
            seen.form = parsePairs(seen.body);
        }
        if (!refused)
            refused = refusal(seen, contentType);
        Answer reply;
        std::string location;
        if (refused) {
            reply.status = 400;
            reply.body = R"({"ret":-1,"msg":")" + *refused + "\"}";
        } else {
            reply = answer(seen, location);
        }
        seen.status = reply.status;
        {
            std::lock_guard lock(m_mutex);
            m_received.push_back(seen);
        }
        if (reply.delay.count() > 0 && !pause(reply.delay))
            return;
        response.status = reply.status;
        std::string type = reply.contentType;
        if (!reply.charset.empty())
            type += "; charset=" + reply.charset;
        if (!location.empty())
            response.set_header("Location", location);
        response.set_content(reply.body, type.c_str());
    };
    server.Get(".*", [handle](const httplib::Request& request, httplib::Response& response) { handle(request, response, {}, {}); });
    server.Post(".*", [handle](const httplib::Request& request, httplib::Response& response, const httplib::ContentReader& reader) {
        std::string body;
        auto append = [&](const char* data, size_t length) {
            body.append(data, length);
            return true;
        };
        if (!request.is_multipart_form_data()) {
            reader(append);
            handle(request, response, std::move(body), {});
            return;
        }
        // The library parses multipart bodies itself; the parts come in order.
        std::optional<std::vector<Part>> parts;
        std::string type = request.get_header_value("Content-Type");
        auto marker = type.find("boundary=");
        if (marker != std::string::npos && type.substr(marker + 9) == multipartBoundary) {
            parts.emplace();
            bool read = reader(
                [&](const httplib::MultipartFormData& head) {
                    parts->push_back({head.name, head.filename.empty() ? std::nullopt : std::optional(head.filename), head.content_type, {}});
                    return true;
                },
                [&](const char* data, size_t length) {
                    parts->back().content.append(data, length);
                    return true;
                });
            if (!read)
                parts.reset();
        }
        handle(request, response, std::move(body), std::move(parts));
    });
}

std::optional<std::string> ZZServer::refusal(const Received& seen, const std::string&) const
{
    if (seen.path == reportPath) {
        for (const Pairs* list : {&seen.query, &seen.form})
            for (const auto& [key, value] : *list)
                if (key != "strValue" && key != "nValue" && key != "qver" && key != "elt" && key != "tag")
                    return "unexpected report parameter " + key;
        return std::nullopt;
    }
    // The login page is opened in a web view, not sent by the call layer;
    // the preview upload is a bare request carrying only its picture; a
    // server asks who a token belongs to without the SDK.
    bool apiCall = (startsWith(seen.path, "/oauth2.0/") && !startsWith(seen.path, "/oauth2.0/m_authorize") && seen.path != "/oauth2.0/me")
        || startsWith(seen.path, "/user/") || (startsWith(seen.path, "/zzconnectopen/") && seen.path != uploadPath);
    if (!apiCall)
        return std::nullopt;
    if (seen.header("User-Agent") != "CorvanaConnect")
        return "User-Agent is not CorvanaConnect";
    if (seen.param("format") != "json")
        return "format is not json";
    for (const char* key : {"sdkv", "sdkp", "status_os", "status_machine", "status_version"})
        if (!seen.param(key))
            return std::string("no ") + key;
    return std::nullopt;
}

ZZServer::Answer ZZServer::answer(Received& seen, std::string& location)
{
    std::lock_guard lock(m_mutex);
    if (auto queued = m_answers.find(seen.path); queued != m_answers.end() && !queued->second.empty()) {
        Answer next = std::move(queued->second.front());
        queued->second.pop_front();
        return next;
    }
    if (std::optional<Answer> package = packageAnswer(seen))
        return *package;
    if (std::optional<Answer> login = loginAnswer(seen, location))
        return *login;
    Answer reply;
    if (seen.path == policyPath) {
        reply.body = m_policy;
    } else if (seen.path == reportPath) {
        reply.body = R"({"ret":0})";
    } else {
        reply.status = 404;
        reply.body = R"({"ret":-1,"msg":"nothing queued"})";
    }
    return reply;
}

}
