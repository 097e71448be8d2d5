#pragma once

// An asynchronous exchange: an operation that runs one HttpConnection on a
// worker thread of the queue it is added to and reports, on that thread, the
// response, data chunks and body-sent progress, then exactly one of finished
// or failed; or nothing more once cancelled.
//
// cancel() may be called from any thread, also from inside a callback: once it
// has returned no callback is running and none will start.

#include "platform/net/HttpConnection.h"
#include "platform/net/OperationQueue.h"

namespace pf {

struct HttpExchangeCallbacks : HttpConnectionCallbacks {
    std::function<void()> finished;
    std::function<void(const Error&)> failed;
};

class HttpExchange final : public Operation {
public:
    // `deadline`, when given, bounds the whole exchange (HttpConnection::run).
    HttpExchange(HttpRequest request, HttpExchangeCallbacks callbacks,
                 std::optional<HttpConnection::Clock::time_point> deadline = {});

    void main() override; // worker thread
    void cancel() override;

private:
    HttpConnection m_connection;
    HttpExchangeCallbacks m_callbacks;
    std::optional<HttpConnection::Clock::time_point> m_deadline;
    std::recursive_mutex m_endMutex; // held while finished or failed runs
};

}
