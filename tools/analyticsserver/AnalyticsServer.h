#pragma once

// The local analytics collector: takes the POSTs of the analytics upload on
// "/zzconnectutil/sdk", deciphers them with the fixed key, reads a raw body
// (below 256 bytes) or a big-endian length plus gzip (256 and more; the
// length must match), checks headers and events, logs each accepted event
// as one JSON line, and answers as a test scripts it: an empty 200, a "cfg"
// reply (plain or enciphered), status 500 or a dropped connection. Without
// a script it answers an empty 200. Listens on 127.0.0.1 only.
//
// Checks: "Content-Type" "json"; the body a JSON array of objects, each with
// "ts", "si", "et" (2, 1000 or 1001); session events ("et" 2) carry "ev",
// with "ut" and "cfg" beside it, and only one per "si". A request that fails
// a check is answered 400 and logged as {"error": …}.

#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace zmr {

class AnalyticsServer {
public:
    enum class AnswerKind { Empty, Config, ConfigEnciphered, Status500, Drop };
    struct Answer {
        AnswerKind kind = AnswerKind::Empty;
        std::string body; // the reply JSON for the two "cfg" kinds
    };
    static constexpr std::size_t kMaxBody = 4u << 20;

    explicit AnalyticsServer(std::string logPath = {});
    ~AnalyticsServer();

    // Returns once it serves (false when the port cannot be bound), so a
    // stop() at any moment after ends it.
    bool start(int port);
    void stop();
    int port() const { return m_port; }
    std::string baseURL() const { return "http://127.0.0.1:" + std::to_string(m_port); }

    // Answers for the coming requests, in order.
    void script(Answer answer);
    // Accepted events (JSON texts) in arrival order, and the count of requests.
    std::vector<std::string> events() const;
    std::size_t requestCount() const;
    std::vector<std::string> errors() const;

    // The JSON text of one upload body, or nothing with `error` set.
    static std::optional<std::string> decodeBody(const std::string& contentEncoding, const std::string& body,
                                                 std::string* error);

    AnalyticsServer(const AnalyticsServer&) = delete;
    AnalyticsServer& operator=(const AnalyticsServer&) = delete;

private:
    // Checks the events of one upload; their texts (and the sessions they
    // begin), or an error. Sessions count as seen once the upload is accepted.
    std::optional<std::vector<std::string>> checkEvents(const std::string& json, std::string* error,
                                                        std::vector<long long>* newSessions);
    void log(const std::string& line);

    std::string m_logPath;
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex; // guards the members below
    std::deque<Answer> m_script;
    std::vector<std::string> m_events;
    std::vector<std::string> m_errors;
    std::set<long long> m_sessions;
    std::size_t m_requests = 0;
};

}
