#include "platform/net/URLConnection.h"

#include "platform/foundation/RunLoop.h"

#include <curl/curl.h>

namespace pf {

std::shared_ptr<URLConnection> URLConnection::start(HttpRequest request, URLConnectionCallbacks callbacks,
                                                    Deadline deadline)
{
    auto connection = std::make_shared<URLConnection>(std::move(request), std::move(callbacks), deadline);
    connection->begin();
    return connection;
}

URLConnection::URLConnection(HttpRequest request, URLConnectionCallbacks callbacks, Deadline deadline)
    : m_request(std::move(request)), m_callbacks(std::move(callbacks)), m_deadline(deadline)
{
}

OperationQueue& URLConnection::sharedQueue()
{
    // The loop is made first so that it outlives the queue, whose workers
    // post to it until they stop.
    RunLoop::main();
    static OperationQueue queue(4);
    return queue;
}

void URLConnection::begin()
{
    PF_ASSERT_MAIN_THREAD();
    m_loading = true;
    m_keepAlive = shared_from_this();
    // The worker holds only a weak reference: a cancelled connection that its
    // owner dropped is freed while the exchange winds down.
    std::weak_ptr<URLConnection> weak = m_keepAlive;
    auto post = [weak](std::function<void(URLConnectionCallbacks&)> event, bool last) {
        RunLoop::main().post([weak, event = std::move(event), last] {
            if (auto self = weak.lock())
                self->deliver(event, last);
        });
    };
    HttpExchangeCallbacks callbacks;
    callbacks.response = [post](const HttpResponse& response) {
        post([response](URLConnectionCallbacks& c) { if (c.response) c.response(response); }, false);
    };
    callbacks.data = [post](const std::uint8_t* bytes, std::size_t length) {
        post([chunk = Bytes(bytes, bytes + length)](URLConnectionCallbacks& c) { if (c.data) c.data(chunk); }, false);
    };
    callbacks.bodySent = [post](std::int64_t written, std::int64_t total, std::int64_t expected) {
        post([=](URLConnectionCallbacks& c) { if (c.bodySent) c.bodySent(written, total, expected); }, false);
    };
    callbacks.finished = [post] {
        post([](URLConnectionCallbacks& c) { if (c.finished) c.finished(); }, true);
    };
    callbacks.failed = [post](const Error& error) {
        post([error](URLConnectionCallbacks& c) { if (c.failed) c.failed(error); }, true);
    };
    m_exchange = std::make_shared<HttpExchange>(m_request, std::move(callbacks), m_deadline);
    sharedQueue().addOperation(m_exchange);
}

void URLConnection::deliver(std::function<void(URLConnectionCallbacks&)> event, bool last)
{
    if (m_cancelled || !m_loading)
        return;
    // The callback may drop the caller's reference or cancel: hold on, and
    // call a copy so that a cancel inside it cannot free the running callable.
    auto self = shared_from_this();
    URLConnectionCallbacks callbacks = m_callbacks;
    if (last) {
        m_loading = false;
        m_callbacks = {};
        m_keepAlive.reset();
    }
    event(callbacks);
}

void URLConnection::cancel()
{
    PF_ASSERT_MAIN_THREAD();
    if (m_cancelled)
        return;
    m_cancelled = true;
    m_loading = false;
    if (m_exchange)
        m_exchange->cancel();
    m_callbacks = {};
    m_keepAlive.reset();
}

long long urlErrorCode(const Error& error)
{
    if (error.domain == urlErrorDomain)
        return error.code;
    if (error.domain != httpConnectionErrorDomain)
        return -1;
    switch (static_cast<HttpConnectionError>(error.code)) {
    case HttpConnectionError::Cancelled: return -999;
    case HttpConnectionError::TimedOut:
    case HttpConnectionError::DeadlineExceeded: return -1001;
    case HttpConnectionError::BadURL: return -1000;
    case HttpConnectionError::SetupFailed: return -1;
    }
    switch (static_cast<CURLcode>(error.code)) {
    case CURLE_UNSUPPORTED_PROTOCOL: return -1002;
    case CURLE_URL_MALFORMAT: return -1000;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST: return -1003;
    case CURLE_COULDNT_CONNECT:
    case CURLE_QUIC_CONNECT_ERROR: return -1004;
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM: return -1005;
    case CURLE_TOO_MANY_REDIRECTS: return -1007;
    case CURLE_INTERFACE_FAILED:
    case CURLE_NO_CONNECTION_AVAILABLE: return -1009;
    case CURLE_WEIRD_SERVER_REPLY: return -1011;
    case CURLE_OPERATION_TIMEDOUT: return -1001;
    case CURLE_ABORTED_BY_CALLBACK: return -999;
    case CURLE_BAD_CONTENT_ENCODING: return -1016;
    case CURLE_FILESIZE_EXCEEDED: return -1103;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_CACERT_BADFILE: return -1200;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS: return -1202;
    case CURLE_SSL_CLIENTCERT: return -1206;
    default: return -1;
    }
}

Error urlError(const Error& error)
{
    return Error{urlErrorDomain, urlErrorCode(error), error.description};
}

}
