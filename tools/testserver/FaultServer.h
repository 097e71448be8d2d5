#pragma once

// A loopback HTTP server that misbehaves on purpose, for tests of what a
// client makes of an answer that is lost, cut or refused. It listens on
// 127.0.0.1 on a port the system picks and reads requests itself (no HTTP
// library, so that it can stop anywhere in an exchange); every request is
// treated as the current fault says. Destroying it closes every connection
// and joins its threads at once, whatever a connection was waiting for.
//
// Requests are read with their "Content-Length" body (heads up to 64 KiB,
// bodies up to 64 MiB; anything larger closes the connection).
//
// Put in front of a real server (setAnswerer), it breaks one server task
// only (setTarget): every request reaches the real server, so a broken
// answer comes after the server acted; requests outside the target get the
// real server's answer.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zmr {

class FaultServer {
public:
    enum class Fault {
        None,              // answers the reply; the connection stays open for more
        ResetUnread,       // resets the connection once the request's first bytes arrive, reading none
        CloseAfterRequest, // reads the whole request, then closes without a word
        ResetAfterRequest, // reads the whole request, then resets the connection
        CutAnswer,         // reads the request, sends the head and half the body, then closes
        Silent,            // reads the whole request and never answers
        DropReused,        // answers a connection's first request; closes on a later one unanswered
        Oversized,         // reads the request, then answers 200 with JSON over 16 MiB
        Held,              // answers as None, but only once release() is called (or never, at the stop)
    };
    // The JSON answer of the real server to a request body.
    using Answerer = std::function<std::string(const std::string& body)>;

    explicit FaultServer(Fault fault = Fault::None);
    ~FaultServer();
    FaultServer(const FaultServer&) = delete;
    FaultServer& operator=(const FaultServer&) = delete;

    bool isRunning() const { return m_port != 0; }
    int port() const { return m_port; }
    // "http://127.0.0.1:<port>" followed by the path (which starts with "/").
    std::string url(const std::string& path) const;

    // Any thread; for requests read from now on.
    void setFault(Fault fault);
    // The answer's status and body (200 and {"error-code":0} at first); a
    // body that starts with "<" goes as an HTML page, any other as JSON.
    void setReply(int status, std::string body);

    // Any thread; for requests read from now on. The fault and the scripted
    // reply are for requests whose body holds `bodyPart` (all when empty);
    // the others are answered as Fault::None.
    void setTarget(std::string bodyPart);
    // Any thread: every request body read from now on goes to `answerer`
    // first, and its answer (status 200) is the reply of requests outside
    // the target, of every request while no target is set. Called on the
    // server's threads.
    void setAnswerer(Answerer answerer);

    // Any thread: sends the answers Fault::Held holds for every request
    // counted so far (count()), once the server has acted on it.
    void release();

    // Whole requests read for the path (without the query), answered or
    // not; with `bodyPart`, only those whose body holds it.
    std::size_t count(const std::string& path, const std::string& bodyPart = "") const;

private:
    struct Reply {
        int status = 200;
        std::string body = R"({"error-code":0})";
    };

    void acceptLoop();
    void serve(int socket);
    // Waits until the socket is readable; false when stopping or on an error.
    bool waitReadable(int socket);

    int m_listener = -1;
    int m_wake[2] = {-1, -1}; // written once at the stop; every wait watches it
    int m_port = 0;
    std::thread m_acceptThread;
    std::atomic<bool> m_stopping = false;

    mutable std::mutex m_mutex; // guards the seven fields below
    Fault m_fault;
    Reply m_reply;
    std::string m_target;
    Answerer m_answerer;
    std::vector<std::pair<std::string, std::string>> m_requests; // path and body
    std::vector<std::thread> m_connections;
    unsigned m_releases = 0; // calls of release(); a held answer waits for the next after its request was counted
    std::condition_variable m_released; // with m_mutex: release() and the stop
};

}
