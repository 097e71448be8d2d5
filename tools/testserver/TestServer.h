#pragma once

// A loopback HTTP server for tests. It listens on 127.0.0.1 on a port the
// system picks, serves on its own threads, and stops (waking any handler that
// is stalling on purpose) when destroyed.
//
// Built-in routes (GET and POST):
//   /json            {"error-code":0,"value":"ok"}       (application/json)
//   /array           [1,2,3]
//   /text            "plain text"                         (text/plain)
//   /gbk             the GB 18030 bytes of U+4E2D U+6587  (text/html; Charset=GBK)
//   /gzip            gzip-compressed text, "Content-Encoding: gzip"; only
//                    when the request accepts gzip, plain text otherwise
//   /slow?chunks=N&ms=M&size=K  N chunks of K bytes, M ms apart
//   /stall           never answers
//   /stall-body      answers the head and 10 bytes of 100, then stalls
//   /redirect?to=L&status=S    S (302) with "Location: L"
//   /loop            302 to itself
//   /resource?size=N&lastModified=T  N bytes (byte i is i % 251) with a
//                    "Content-Length"; honours "Range" (206); answers 304 to
//                    "If-Modified-Since" when notModified=1
//   /norange?size=N  the same bytes with 200, ignoring "Range"
//   /status?code=C   status C with an HTML body
//   /truncated?length=L&send=S  declares L bytes, sends S, closes
// Anything scripted with script() wins over these.

#include <chrono>
#include <condition_variable>
#include <cstdint>
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

class TestServer {
public:
    struct Reply {
        int status = 200;
        std::string contentType = "application/json";
        std::string body;
        std::vector<std::pair<std::string, std::string>> headers;
        std::chrono::milliseconds delay{0};

        static Reply with(int status, std::string contentType, std::string body)
        {
            Reply reply;
            reply.status = status;
            reply.contentType = std::move(contentType);
            reply.body = std::move(body);
            return reply;
        }
    };
    struct Received {
        std::string method;
        std::string path;
        std::string query; // as sent, without "?"
        std::vector<std::pair<std::string, std::string>> headers;
        std::string body;
        int remotePort = 0; // tells connections apart
        // First value of the field, case-insensitive.
        std::optional<std::string> header(const std::string& name) const;
    };

    // Without keep-alive every connection serves one request, so that the
    // server stops at once; with it a lingering client connection may delay
    // the stop by up to a second.
    enum class KeepAlive { Off, On };

    explicit TestServer(KeepAlive keepAlive = KeepAlive::Off);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    bool isRunning() const { return m_port != 0; }
    int port() const { return m_port; }
    // "http://127.0.0.1:<port>" followed by the path (which starts with "/").
    std::string url(const std::string& path) const;

    // Any thread. Serves `reply` for every request to `path` from now on.
    void script(const std::string& path, Reply reply);
    std::vector<Received> received() const;
    std::vector<Received> received(const std::string& path) const;
    std::size_t count(const std::string& path) const;

private:
    void installRoutes();
    // Sleeps up to `duration`; false when the server is stopping.
    bool pause(std::chrono::milliseconds duration);

    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex; // guards m_scripts, m_received, m_stopping
    std::condition_variable m_stopped;
    std::map<std::string, Reply> m_scripts;
    std::vector<Received> m_received;
    bool m_stopping = false;
};

}
