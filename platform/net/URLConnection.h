#pragma once

// A URL connection: one HttpConnection run on a worker of the process-wide
// shared queue, whose events come back on the main run loop.
//
// Main thread only. start() never calls back synchronously: every callback is
// posted to the main run loop, in the order the exchange produced it: the
// response head, data chunks and body-sent progress, then exactly one of
// finished or failed. After cancel() (also from inside a callback) no callback
// runs, not even one already posted; the callbacks are released then, and
// after finished or failed, so whatever they capture is freed.
//
// The connection keeps itself alive until it finishes, fails or is cancelled,
// so callers may drop their reference once it has started.

#include "platform/net/HttpExchange.h"

#include <memory>

namespace pf {

struct URLConnectionCallbacks {
    std::function<void(const HttpResponse&)> response;
    std::function<void(const Bytes&)> data;
    std::function<void(std::int64_t bytesWritten, std::int64_t totalBytesWritten, std::int64_t totalExpected)> bodySent;
    std::function<void()> finished;
    std::function<void(const Error&)> failed;
};

class URLConnection : public std::enable_shared_from_this<URLConnection> {
public:
    // Creates the connection and starts the exchange. The request's time-out
    // bounds each wait for the server; `deadline`, when given, bounds the
    // whole exchange, time waiting for a worker included (failing with
    // -1001 in the URL-error domain).
    using Deadline = std::optional<HttpConnection::Clock::time_point>;
    static std::shared_ptr<URLConnection> start(HttpRequest request, URLConnectionCallbacks callbacks,
                                                Deadline deadline = {});

    const HttpRequest& request() const { return m_request; }
    void cancel();
    bool isCancelled() const { return m_cancelled; }
    // Started and neither finished, failed nor cancelled.
    bool isLoading() const { return m_loading; }

    // The queue every URL connection runs on (four workers).
    static OperationQueue& sharedQueue();

    URLConnection(HttpRequest request, URLConnectionCallbacks callbacks, Deadline deadline = {}); // use start()

private:
    void begin();
    void deliver(std::function<void(URLConnectionCallbacks&)> event, bool last);

    HttpRequest m_request;
    URLConnectionCallbacks m_callbacks;
    Deadline m_deadline;
    std::shared_ptr<HttpExchange> m_exchange;
    std::shared_ptr<URLConnection> m_keepAlive; // until the end
    bool m_cancelled = false;
    bool m_loading = false;
};

// The URL-error code of a connection failure: -999 cancelled, -1000 bad URL,
// -1001 timed out, -1002 unsupported URL, -1003 host not found, -1004 cannot
// connect, -1005 connection lost, -1007 too many redirects, -1009 not
// connected, -1011 bad server response, -1016 cannot decode the content,
// -1103 too much data, -1200 secure connection failed, -1202 untrusted server
// certificate, -1206 client certificate required; -1 (unknown) for anything
// else, errors of other domains included.
long long urlErrorCode(const Error& error);
inline constexpr const char* urlErrorDomain = "NSURLErrorDomain";
// The same failure in the URL-error domain, with its description.
Error urlError(const Error& error);

}
