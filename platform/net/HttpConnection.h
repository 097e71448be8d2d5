#pragma once

// One HTTP exchange on libcurl, run on the calling thread.
//
// run() sends the request and reports, on the calling thread and in this
// order: the final response head once, body chunks as they arrive and upload
// progress in between; it then answers nothing on success or the error.
// Unless the request ignores local data, the shared URLCache is asked first;
// a cached answer is reported like a fetched one and nothing is sent.
// The connection never follows redirects: a 3xx answer is reported like any
// other, and the caller decides whether to send a new request. Bodies that the
// request asked to be compressed ("Accept-Encoding") arrive decoded. TLS peers
// and host names are always verified.
//
// cancel() may be called from any thread, also from inside a callback. Once it
// has returned no callback is running and none will start; run() returns the
// Cancelled error promptly (the wait in the transfer loop is woken, so a
// stalled server does not delay it).
//
// Each thread keeps one transfer handle and its connection cache, so a worker
// thread that runs exchanges one after another reuses its connections for
// GET and HEAD. Any other method gets a fresh connection, closed after the
// exchange: a reused connection that closes unanswered makes the transfer
// library send the request again, and a write must never reach the server
// twice.

#include "platform/foundation/Error.h"
#include "platform/net/HttpRequest.h"
#include "platform/net/HttpResponse.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

namespace pf {

// Errors of the domain "HttpConnection" use these codes; any other code is the
// transfer library's own result code for a failed transfer.
enum class HttpConnectionError : long long {
    Cancelled = -999,
    TimedOut = -1001,         // idle for longer than the request's time-out
    DeadlineExceeded = -1002, // the caller's deadline for the whole exchange passed
    BadURL = -1000,
    SetupFailed = -1003,      // the transfer library refused an option or ran out of memory
};
inline constexpr const char* httpConnectionErrorDomain = "HttpConnection";
Error makeHttpConnectionError(HttpConnectionError code, std::string description);

struct HttpConnectionCallbacks {
    std::function<void(const HttpResponse&)> response;
    std::function<void(const std::uint8_t* bytes, std::size_t length)> data;
    // Bytes of the request body written since the last report and in total.
    std::function<void(std::int64_t bytesWritten, std::int64_t totalBytesWritten, std::int64_t totalExpected)> bodySent;
};

// The outcome of a synchronous send.
struct HttpResult {
    HttpResponse response;
    Bytes body;
    // The body passed the caller's cap: the exchange was ended there and the
    // body dropped (empty); the response head is kept.
    bool bodyTooLarge = false;
};

class HttpConnection {
public:
    using Clock = std::chrono::steady_clock;

    explicit HttpConnection(HttpRequest request);
    HttpConnection(const HttpConnection&) = delete;
    HttpConnection& operator=(const HttpConnection&) = delete;

    const HttpRequest& request() const { return m_request; }

    // Calling thread; once per connection. `deadline`, when given, bounds the
    // whole exchange (DeadlineExceeded).
    std::optional<Error> run(const HttpConnectionCallbacks& callbacks, std::optional<Clock::time_point> deadline = {});
    // Any thread.
    void cancel();
    bool isCancelled() const { return m_cancelled.load(); }
    // Once run() has returned: whether the whole request, head and body, was
    // written to the connection. A failure after that (the answer reset, cut,
    // missing or late, see isAnswerLost) leaves open whether the server acted
    // on the request; one before it means the server never had it whole.
    bool isRequestWritten() const { return m_requestWritten.load(); }

    // Sends the request on the calling thread and collects the body. With
    // `maxBodySize`, a body longer than that is never held whole: the
    // exchange ends once it passes the cap, and the result says bodyTooLarge
    // (not an error, so the caller still sees the status).
    static ErrorOr<HttpResult> sendSynchronousRequest(const HttpRequest& request,
                                                      std::optional<std::size_t> maxBodySize = std::nullopt);

private:
    struct Transfer;
    friend struct Transfer;

    HttpRequest m_request;
    std::atomic<bool> m_cancelled = false;
    std::atomic<bool> m_ran = false;
    std::atomic<bool> m_requestWritten = false;
    // Held while a callback runs, so that cancel() can wait one out.
    std::recursive_mutex m_callbackMutex;
    std::mutex m_wakeMutex; // guards m_wake
    void* m_wake = nullptr;  // the multi handle to wake while run() waits
};

// Whether a failure of run() came while waiting for or reading the answer:
// the connection reset or closed without an answer or in its middle, or the
// exchange timed out (idle or past its deadline). Together with
// isRequestWritten() it means the server may have acted on the request.
bool isAnswerLost(const Error& error);

// Resolves `location` (absolute or relative) against `base`; nothing when the
// result is not a valid http or https URL.
std::optional<std::string> resolveHttpLocation(const std::string& base, const std::string& location);

}
