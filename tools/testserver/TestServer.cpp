#include "tools/testserver/TestServer.h"

#include <httplib.h>
#include <zlib.h>

#include <cctype>
#include <cstdlib>

namespace zmr {

namespace {

bool sameText(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string gzipped(const std::string& text)
{
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    std::string out(deflateBound(&stream, text.size()) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return result == Z_STREAM_END ? out : std::string();
}

std::string patternBytes(std::size_t from, std::size_t count)
{
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<char>((from + i) % 251);
    return bytes;
}

long param(const httplib::Request& request, const char* name, long fallback)
{
    if (!request.has_param(name))
        return fallback;
    return std::strtol(request.get_param_value(name).c_str(), nullptr, 10);
}

}

std::optional<std::string> TestServer::Received::header(const std::string& name) const
{
    for (const auto& [key, value] : headers) {
        if (sameText(key, name))
            return value;
    }
    return std::nullopt;
}

TestServer::TestServer(KeepAlive keepAlive) : m_server(std::make_unique<httplib::Server>())
{
    m_server->new_task_queue = [] { return new httplib::ThreadPool(24); };
    m_server->set_keep_alive_max_count(keepAlive == KeepAlive::On ? 100000 : 1);
    m_server->set_keep_alive_timeout(1);
    m_server->set_tcp_nodelay(true); // otherwise every answer waits for a delayed acknowledgement
    installRoutes();
    int port = m_server->bind_to_any_port("127.0.0.1");
    if (port <= 0)
        return;
    m_port = port;
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // A stop() before the listening loop has started would be lost, and the
    // destructor would then wait for good.
    for (int i = 0; i < 5000 && !m_server->is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TestServer::~TestServer()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_stopped.notify_all();
    m_server->stop();
    if (m_thread.joinable())
        m_thread.join();
}

std::string TestServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void TestServer::script(const std::string& path, Reply reply)
{
    std::lock_guard lock(m_mutex);
    m_scripts[path] = std::move(reply);
}

std::vector<TestServer::Received> TestServer::received() const
{
    std::lock_guard lock(m_mutex);
    return m_received;
}

std::vector<TestServer::Received> TestServer::received(const std::string& path) const
{
    std::vector<Received> matching;
    for (auto& request : received()) {
        if (request.path == path)
            matching.push_back(request);
    }
    return matching;
}

std::size_t TestServer::count(const std::string& path) const
{
    return received(path).size();
}

bool TestServer::pause(std::chrono::milliseconds duration)
{
    std::unique_lock lock(m_mutex);
    return !m_stopped.wait_for(lock, duration, [&] { return m_stopping; });
}

void TestServer::installRoutes()
{
    auto handler = [this](const httplib::Request& request, httplib::Response& response) {
        Received seen;
        seen.method = request.method;
        seen.path = request.path;
        auto question = request.target.find('?');
        if (question != std::string::npos)
            seen.query = request.target.substr(question + 1);
        for (const auto& [name, value] : request.headers)
            seen.headers.emplace_back(name, value);
        seen.body = request.body;
        seen.remotePort = request.remote_port;
        std::optional<Reply> scripted;
        {
            std::lock_guard lock(m_mutex);
            m_received.push_back(seen);
            if (auto it = m_scripts.find(request.path); it != m_scripts.end())
                scripted = it->second;
        }
        const std::string& path = request.path;

        if (scripted) {
            if (scripted->delay.count() > 0 && !pause(scripted->delay))
                return;
            response.status = scripted->status;
            for (const auto& [name, value] : scripted->headers)
                response.set_header(name, value);
            response.set_content(scripted->body, scripted->contentType);
        } else if (path == "/json") {
            response.set_content(R"({"error-code":0,"value":"ok"})", "application/json");
        } else if (path == "/array") {
            response.set_content("[1,2,3]", "application/json");
        } else if (path == "/text") {
            response.set_content("plain text", "text/plain");
        } else if (path == "/gbk") {
            response.set_content(std::string("\xD6\xD0\xCE\xC4"), "text/html; Charset=GBK");
        } else if (path == "/gzip") {
            std::string text;
            for (int i = 0; i < 200; ++i)
                text += "compressed text ";
            auto accepts = request.get_header_value("Accept-Encoding");
            if (accepts.find("gzip") != std::string::npos) {
                response.set_header("Content-Encoding", "gzip");
                response.set_content(gzipped(text), "application/octet-stream");
            } else {
                response.set_content(text, "application/octet-stream");
            }
        } else if (path == "/slow") {
            long chunks = param(request, "chunks", 5), ms = param(request, "ms", 100), size = param(request, "size", 10);
            response.set_chunked_content_provider("application/octet-stream",
                [this, chunks, ms, size](size_t offset, httplib::DataSink& sink) {
                    long index = size > 0 ? static_cast<long>(offset) / size : chunks;
                    if (index >= chunks) {
                        sink.done();
                        return true;
                    }
                    if (index > 0 && !pause(std::chrono::milliseconds(ms)))
                        return false;
                    std::string chunk(static_cast<std::size_t>(size), 's');
                    return sink.write(chunk.data(), chunk.size());
                });
        } else if (path == "/stall") {
            pause(std::chrono::hours(1));
            response.status = 503;
        } else if (path == "/stall-body") {
            response.set_content_provider(100, "application/octet-stream", [this](size_t offset, size_t, httplib::DataSink& sink) {
                if (offset == 0)
                    return sink.write("0123456789", 10);
                pause(std::chrono::hours(1));
                return false;
            });
        } else if (path == "/redirect") {
            response.status = static_cast<int>(param(request, "status", 302));
            response.set_header("Location", request.get_param_value("to"));
            response.set_content("<html><body>moved</body></html>", "text/html");
        } else if (path == "/loop") {
            response.status = 302;
            response.set_header("Location", "/loop");
        } else if (path == "/resource") {
            auto size = static_cast<std::size_t>(param(request, "size", 1000));
            if (request.has_param("lastModified"))
                response.set_header("Last-Modified", request.get_param_value("lastModified"));
            if (param(request, "notModified", 0) == 1 && request.has_header("If-Modified-Since")) {
                response.status = 304;
                return;
            }
            response.set_content_provider(size, "application/octet-stream", [](size_t offset, size_t length, httplib::DataSink& sink) {
                std::string bytes = patternBytes(offset, length);
                return sink.write(bytes.data(), bytes.size());
            });
        } else if (path == "/norange") {
            // The request object is ours to change: forgetting its ranges makes
            // the library send the whole body with 200.
            const_cast<httplib::Request&>(request).ranges.clear();
            response.status = 200;
            response.set_content(patternBytes(0, static_cast<std::size_t>(param(request, "size", 1000))), "application/octet-stream");
        } else if (path == "/status") {
            response.status = static_cast<int>(param(request, "code", 500));
            response.set_content("<html><body><h1>Server Error</h1></body></html>", "text/html");
        } else if (path == "/truncated") {
            auto length = static_cast<std::size_t>(param(request, "length", 1000));
            auto send = static_cast<std::size_t>(param(request, "send", 999));
            response.set_content_provider(length, "application/octet-stream", [send](size_t offset, size_t, httplib::DataSink& sink) {
                if (offset >= send)
                    return false;
                std::string bytes = patternBytes(offset, send - offset);
                return sink.write(bytes.data(), bytes.size());
            });
        } else {
            response.status = 404;
            response.set_content("<html><body>not found</body></html>", "text/html");
        }
    };
    m_server->Get(".*", handler);
    m_server->Post(".*", handler);
    m_server->Put(".*", handler);
    m_server->Delete(".*", handler);
}

}
