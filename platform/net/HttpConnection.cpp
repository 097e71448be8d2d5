#include "platform/net/HttpConnection.h"

#include "platform/net/CookieStore.h"
#include "platform/net/URLCache.h"
#include "platform/net/TrustAnchors.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace pf {

namespace {

void initializeCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            std::abort(); // nothing in the process can talk HTTP then
    });
}

// What a transfer handle's options were last set for. Transfers of one shape
// set the same options, each overwriting the last transfer's, so the handle
// keeps its fixed options and needs no reset in between.
struct TransferShape {
    std::string method;
    bool body = false;
    bool acceptEncoding = false;
    bool extraAnchors = false;
    bool operator==(const TransferShape&) const = default;
};

// One multi handle (which owns the connection cache) and one easy handle per
// thread, reused by every exchange the thread runs.
struct ThreadHandles {
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    bool busy = false;
    std::optional<TransferShape> shape; // none: reset the handle first
    char errorBuffer[CURL_ERROR_SIZE] = {};
    // Most exchanges of a thread send the same fields: their list is built
    // once and lives as long as the handles, so the handle may point at it.
    curl_slist* headers = nullptr;
    HttpHeaderFields headerFields; // what the list was built from
    bool headersRefuseExpect = false;  // and whether it refuses "Expect"
    bool headersBuilt = false;         // the list may be null: no fields
    // Options a kept handle still holds from the last exchange.
    const void* transferData = nullptr;
    long connectTimeoutMs = -1;

    bool ensure()
    {
        if (!multi)
            multi = curl_multi_init();
        if (!easy)
            easy = curl_easy_init();
        return multi && easy;
    }
    ~ThreadHandles()
    {
        if (easy)
            curl_easy_cleanup(easy);
        if (multi)
            curl_multi_cleanup(multi);
        curl_slist_free_all(headers);
    }
};

// The library asks to wait for "100 Continue" before a body this large, or
// one this large in older releases; smaller bodies need no field to refuse it.
constexpr std::size_t kExpectFromBodySize = 1024;

// The fields as the library sends them into `list` (null for none); false
// when out of memory.
bool buildHeaderList(const HttpHeaderFields& fields, bool refuseExpect, curl_slist*& list)
{
    list = nullptr;
    auto append = [&](const char* line) {
        auto* grown = curl_slist_append(list, line);
        if (!grown) {
            curl_slist_free_all(list);
            list = nullptr;
            return false;
        }
        list = grown;
        return true;
    };
    for (const auto& [name, value] : fields) {
        // The library sends that field itself and decodes what comes back.
        if (equalsIgnoringCase(name, "Accept-Encoding"))
            continue;
        std::string line = value.empty() ? name + ";" : name + ": " + value;
        if (!append(line.c_str()))
            return false;
    }
    // Waiting for "100 Continue" only adds a round trip on every larger form.
    return !refuseExpect || append("Expect:");
}

thread_local ThreadHandles t_handles;
// Exchanges that handle cookies run on handles of their own: the library
// keeps a cookie engine on a transfer handle once enabled, which must never
// collect the cookies of service exchanges.
thread_local ThreadHandles t_cookieHandles;

std::string_view trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

// The leading digits of a status line's code, as atoi would read them.
int statusCodeOf(std::string_view digits)
{
    int code = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            break;
        code = code * 10 + (c - '0');
    }
    return code;
}

bool isSafeMethod(const std::string& method)
{
    return method == "GET" || method == "HEAD";
}

Error curlError(CURLcode code, const char* detail)
{
    std::string description = curl_easy_strerror(code);
    if (detail && *detail)
        description.append(": ").append(detail);
    if (code == CURLE_OPERATION_TIMEDOUT)
        return makeHttpConnectionError(HttpConnectionError::TimedOut, description);
    return Error{httpConnectionErrorDomain, static_cast<long long>(code), description};
}

}

Error makeHttpConnectionError(HttpConnectionError code, std::string description)
{
    return Error{httpConnectionErrorDomain, static_cast<long long>(code), std::move(description)};
}

struct HttpConnection::Transfer {
    Transfer(HttpConnection& c, const HttpConnectionCallbacks& cb) : connection(c), callbacks(cb) {}
    HttpConnection& connection;
    const HttpConnectionCallbacks& callbacks;
    Clock::time_point lastActivity = Clock::now();
    int status = 0;
    HttpHeaderFields fields;
    bool inHead = false;
    bool responseDelivered = false;
    curl_off_t lastUploaded = 0;
    curl_off_t lastDownloaded = 0;

    std::string trustFailure; // why the extra anchors could not be added
    // The cookie jar's origin when it is plain http, whose answers may set no Secure cookie.
    std::string plainOrigin;

    void touch() { lastActivity = Clock::now(); }

    static CURLcode onSslContext(CURL*, void* sslContext, void* user)
    {
        auto& self = *static_cast<Transfer*>(user);
        return addExtraTrustAnchors(sslContext, self.trustFailure) ? CURLE_OK : CURLE_SSL_CACERT_BADFILE;
    }

    template <class F>
    bool callOut(F&& f)
    {
        std::lock_guard lock(connection.m_callbackMutex);
        if (connection.m_cancelled.load())
            return false;
        f();
        return !connection.m_cancelled.load();
    }

    bool deliverResponse()
    {
        responseDelivered = true;
        inHead = false;
        if (!callbacks.response)
            return !connection.m_cancelled.load();
        // The head is complete and trailers are not kept: hand the fields over.
        HttpResponse response(connection.m_request.url(), status, std::move(fields));
        return callOut([&] { callbacks.response(response); });
    }

    static size_t onHeader(char* buffer, size_t size, size_t count, void* user)
    {
        auto& self = *static_cast<Transfer*>(user);
        size_t length = size * count;
        if (self.connection.m_cancelled.load())
            return 0;
        self.touch();
        std::string_view line(buffer, length);
        // The library has stored the cookie by now, taking loopback hosts
        // for secure contexts; the jar drops it again before the head is done.
        if (!self.plainOrigin.empty() && line.size() > 11 && equalsIgnoringCase(line.substr(0, 11), "Set-Cookie:"))
            CookieStore::shared().dropSecureCookiesOfPlainOrigin(self.plainOrigin);
        if (self.responseDelivered)
            return length; // trailers
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
            line.remove_suffix(1);
        if (line.starts_with("HTTP/")) {
            // A new head: an interim 1xx answer's fields are forgotten.
            self.fields.clear();
            self.fields.reserve(16); // grown once for a usual head, not field by field
            self.inHead = true;
            auto space = line.find(' ');
            self.status = space == std::string_view::npos ? 0 : statusCodeOf(line.substr(space + 1, 3));
            return length;
        }
        if (!self.inHead)
            return length;
        if (line.empty()) {
            if (self.status >= 200 && !self.deliverResponse())
                return 0;
            return length;
        }
        if ((line.front() == ' ' || line.front() == '\t') && !self.fields.empty()) {
            self.fields.back().second.append(" ").append(trim(line));
            return length;
        }
        auto colon = line.find(':');
        if (colon == std::string_view::npos)
            return length;
        self.fields.emplace_back(std::string(trim(line.substr(0, colon))), std::string(trim(line.substr(colon + 1))));
        return length;
    }

    static size_t onData(char* buffer, size_t size, size_t count, void* user)
    {
        auto& self = *static_cast<Transfer*>(user);
        size_t length = size * count;
        if (self.connection.m_cancelled.load())
            return 0;
        self.touch();
        if (!self.responseDelivered && !self.deliverResponse())
            return 0;
        if (length == 0 || !self.callbacks.data)
            return length;
        bool goOn = self.callOut([&] { self.callbacks.data(reinterpret_cast<const std::uint8_t*>(buffer), length); });
        return goOn ? length : 0;
    }

    static int onProgress(void* user, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded)
    {
        auto& self = *static_cast<Transfer*>(user);
        if (self.connection.m_cancelled.load())
            return 1;
        if (downloaded != self.lastDownloaded) {
            self.lastDownloaded = downloaded;
            self.touch();
        }
        if (uploaded > self.lastUploaded) {
            curl_off_t written = uploaded - self.lastUploaded;
            self.lastUploaded = uploaded;
            self.touch();
            if (self.callbacks.bodySent) {
                auto body = self.connection.m_request.httpBody();
                std::int64_t expected = body ? static_cast<std::int64_t>(body->size()) : 0;
                if (!self.callOut([&] { self.callbacks.bodySent(written, uploaded, expected); }))
                    return 1;
            }
        }
        return 0;
    }
};

HttpConnection::HttpConnection(HttpRequest request) : m_request(std::move(request))
{
    initializeCurlOnce();
}

void HttpConnection::cancel()
{
    m_cancelled = true;
    {
        std::lock_guard lock(m_wakeMutex);
        if (m_wake)
            curl_multi_wakeup(static_cast<CURLM*>(m_wake));
    }
    // Wait out a callback in flight on the exchange thread; from inside a
    // callback the lock is ours already.
    std::lock_guard lock(m_callbackMutex);
}

std::optional<Error> HttpConnection::run(const HttpConnectionCallbacks& callbacks, std::optional<Clock::time_point> deadline)
{
    if (m_ran.exchange(true))
        return makeHttpConnectionError(HttpConnectionError::SetupFailed, "a connection runs once");
    if (m_cancelled.load())
        return makeHttpConnectionError(HttpConnectionError::Cancelled, "cancelled");
    if (m_request.url().empty())
        return makeHttpConnectionError(HttpConnectionError::BadURL, "no URL");
    if (m_request.cachePolicy() != URLRequestCachePolicy::ReloadIgnoringLocalCacheData) {
        if (auto cached = URLCache::shared()->cachedResponseForRequest(m_request)) {
            std::lock_guard lock(m_callbackMutex);
            if (!m_cancelled.load() && callbacks.response)
                callbacks.response(cached->response);
            if (!m_cancelled.load() && callbacks.data && !cached->data.empty())
                callbacks.data(cached->data.data(), cached->data.size());
            if (m_cancelled.load())
                return makeHttpConnectionError(HttpConnectionError::Cancelled, "cancelled");
            return std::nullopt;
        }
    }

    // A nested run on a thread whose handles are in use gets its own.
    ThreadHandles local;
    ThreadHandles& shared = m_request.httpShouldHandleCookies() ? t_cookieHandles : t_handles;
    ThreadHandles& handles = shared.busy ? local : shared;
    if (m_request.httpShouldHandleCookies() && handles.easy) {
        // A fresh transfer handle on the same multi handle, whose connection
        // cache it shares: the old one's cookie settings go with it.
        curl_easy_cleanup(handles.easy);
        handles.easy = nullptr;
        handles.shape.reset();
    }
    if (!handles.ensure())
        return makeHttpConnectionError(HttpConnectionError::SetupFailed, "out of memory");
    handles.busy = true;
    struct Release {
        ThreadHandles& h;
        ~Release() { h.busy = false; }
    } release{handles};

    CURL* easy = handles.easy;
    CURLM* multi = handles.multi;
    const std::string& method = m_request.httpMethod();
    auto body = m_request.httpBody();
    const HttpHeaderFields& fields = m_request.allHTTPHeaderFields();
    // A request holds one field of a name at most.
    auto encoding = std::find_if(fields.begin(), fields.end(),
                                 [](const auto& field) { return equalsIgnoringCase(field.first, "Accept-Encoding"); });
    bool acceptEncoding = encoding != fields.end();
    // Plain http sets up no TLS, so extra anchors make no difference to it.
    const std::string& url = m_request.url();
    bool secure = url.size() > 6 && equalsIgnoringCase(std::string_view(url).substr(0, 6), "https:");
    TransferShape shape{method, body != nullptr, acceptEncoding, secure && extraCAFile().has_value()};
    // Cookie transfers always start from a reset handle: their jar is
    // attached and detached around each exchange.
    bool keepFixed = !m_request.httpShouldHandleCookies() && handles.shape == shape;
    if (!keepFixed)
        curl_easy_reset(easy);
    handles.shape.reset(); // set again once every option took

    Transfer transfer(*this, callbacks);
    char* errorBuffer = handles.errorBuffer;
    errorBuffer[0] = 0;

    auto idleLimit = m_request.effectiveTimeoutInterval();
    auto idleMs = std::chrono::duration_cast<std::chrono::milliseconds>(idleLimit).count();
    CURLcode set = CURLE_OK;
    auto option = [&](CURLoption name, auto value) {
        if (set == CURLE_OK)
            set = curl_easy_setopt(easy, name, value);
    };
    option(CURLOPT_URL, m_request.url().c_str());
    // The origin's own jar, or none; the handle is detached again below.
    void* cookieJar = nullptr;
    if (m_request.httpShouldHandleCookies()) {
        auto origin = CookieStore::originOfURL(m_request.url());
        cookieJar = origin ? CookieStore::shared().shareForOrigin(*origin) : nullptr;
        if (!cookieJar)
            return makeHttpConnectionError(HttpConnectionError::BadURL, "no cookie jar for " + m_request.url());
        option(CURLOPT_SHARE, static_cast<CURLSH*>(cookieJar));
        option(CURLOPT_COOKIEFILE, ""); // turns the engine on; the handle keeps the empty file name until freed
        if (origin->starts_with("http://"))
            transfer.plainOrigin = *origin;
    }
    struct DetachJar {
        CURL* easy;
        bool attached;
        ~DetachJar()
        {
            if (attached)
                curl_easy_setopt(easy, CURLOPT_SHARE, nullptr);
        }
    } detachJar{easy, cookieJar != nullptr};
    if (!keepFixed) {
        option(CURLOPT_PROTOCOLS_STR, "http,https");
        option(CURLOPT_FOLLOWLOCATION, 0L);
        option(CURLOPT_NOSIGNAL, 1L);
        option(CURLOPT_SSL_VERIFYPEER, 1L);
        option(CURLOPT_SSL_VERIFYHOST, 2L);
        if (shape.extraAnchors) {
            // The anchors are added to this connection's own store: a cached
            // one is shared with later connections, which may not want them.
            option(CURLOPT_CA_CACHE_TIMEOUT, 0L);
            option(CURLOPT_SSL_CTX_FUNCTION, &Transfer::onSslContext);
        }
        option(CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
        option(CURLOPT_ERRORBUFFER, errorBuffer);
        option(CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
        option(CURLOPT_WRITEFUNCTION, &Transfer::onData);
        option(CURLOPT_NOPROGRESS, 0L);
        option(CURLOPT_XFERINFOFUNCTION, &Transfer::onProgress);
        if (!isSafeMethod(method)) {
            // The library sends a request again on a fresh connection when a
            // reused one closes before answering: harmless for a read, but a
            // write would reach the server twice. Writes get a connection of
            // their own, closed after the exchange.
            option(CURLOPT_FRESH_CONNECT, 1L);
            option(CURLOPT_FORBID_REUSE, 1L);
        }
        if (body) {
            if (method != "POST")
                option(CURLOPT_CUSTOMREQUEST, method.c_str());
        } else if (method == "HEAD") {
            option(CURLOPT_NOBODY, 1L);
        } else if (method != "GET") {
            option(CURLOPT_CUSTOMREQUEST, method.c_str());
        }
    }
    // What changes from one transfer to the next; a kept handle already
    // holds what did not change since the last one.
    if (!keepFixed || handles.transferData != &transfer) {
        if (shape.extraAnchors)
            option(CURLOPT_SSL_CTX_DATA, &transfer);
        option(CURLOPT_HEADERDATA, &transfer);
        option(CURLOPT_WRITEDATA, &transfer);
        option(CURLOPT_XFERINFODATA, &transfer);
        handles.transferData = &transfer;
    }
    long connectTimeoutMs = static_cast<long>(std::max<long long>(idleMs, 1));
    if (!keepFixed || handles.connectTimeoutMs != connectTimeoutMs) {
        option(CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs);
        handles.connectTimeoutMs = connectTimeoutMs;
    }
    if (body) {
        option(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body->size()));
        option(CURLOPT_POSTFIELDS, body->empty() ? "" : reinterpret_cast<const char*>(body->data()));
    }

    bool refuseExpect = body && body->size() > kExpectFromBodySize;
    bool sameFields = handles.headersBuilt && refuseExpect == handles.headersRefuseExpect && fields == handles.headerFields;
    // The library sends that field itself and decodes what comes back.
    if (acceptEncoding && (!keepFixed || !sameFields))
        option(CURLOPT_ACCEPT_ENCODING, encoding->second.c_str());
    if (!sameFields) {
        curl_slist* list = nullptr;
        if (!buildHeaderList(fields, refuseExpect, list))
            return makeHttpConnectionError(HttpConnectionError::SetupFailed, "out of memory");
        option(CURLOPT_HTTPHEADER, list);
        if (set != CURLE_OK) {
            // The handle still points at the old list, if at any.
            curl_slist_free_all(list);
            return makeHttpConnectionError(HttpConnectionError::SetupFailed, curl_easy_strerror(set));
        }
        curl_slist_free_all(handles.headers);
        handles.headers = list;
        handles.headerFields = fields;
        handles.headersRefuseExpect = refuseExpect;
        handles.headersBuilt = true;
    } else if (!keepFixed) {
        option(CURLOPT_HTTPHEADER, handles.headers);
    }
    if (set != CURLE_OK)
        return makeHttpConnectionError(HttpConnectionError::SetupFailed, curl_easy_strerror(set));
    if (!m_request.httpShouldHandleCookies())
        handles.shape = shape;

    if (CURLMcode added = curl_multi_add_handle(multi, easy); added != CURLM_OK)
        return makeHttpConnectionError(HttpConnectionError::SetupFailed, curl_multi_strerror(added));
    {
        std::lock_guard lock(m_wakeMutex);
        m_wake = multi;
    }

    std::optional<Error> outcome;
    bool done = false;
    while (!done) {
        int running = 0;
        CURLMcode performed = curl_multi_perform(multi, &running);
        if (m_cancelled.load()) {
            outcome = makeHttpConnectionError(HttpConnectionError::Cancelled, "cancelled");
            break;
        }
        if (performed != CURLM_OK) {
            outcome = makeHttpConnectionError(HttpConnectionError::SetupFailed, curl_multi_strerror(performed));
            break;
        }
        if (running == 0) {
            int queued = 0;
            CURLcode result = CURLE_OK;
            bool found = false;
            while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
                if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
                    result = message->data.result;
                    found = true;
                }
            }
            if (!found)
                result = CURLE_RECV_ERROR;
            if (result != CURLE_OK)
                outcome = curlError(result, transfer.trustFailure.empty() ? errorBuffer : transfer.trustFailure.c_str());
            else if (!transfer.responseDelivered) {
                long code = 0;
                if (curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code) == CURLE_OK)
                    transfer.status = static_cast<int>(code);
                if (!transfer.deliverResponse())
                    outcome = makeHttpConnectionError(HttpConnectionError::Cancelled, "cancelled");
            }
            done = true;
            break;
        }
        auto now = Clock::now();
        if (deadline && now >= *deadline) {
            outcome = makeHttpConnectionError(HttpConnectionError::DeadlineExceeded, "deadline exceeded");
            break;
        }
        auto idleEnd = transfer.lastActivity + std::chrono::duration_cast<Clock::duration>(idleLimit);
        if (now >= idleEnd) {
            outcome = makeHttpConnectionError(HttpConnectionError::TimedOut, "The request timed out.");
            break;
        }
        auto wakeAt = std::min(idleEnd, now + std::chrono::seconds(1));
        if (deadline)
            wakeAt = std::min(wakeAt, *deadline);
        auto waitMs = std::chrono::duration_cast<std::chrono::milliseconds>(wakeAt - now).count() + 1;
        CURLMcode polled = curl_multi_poll(multi, nullptr, 0, static_cast<int>(waitMs), nullptr);
        if (polled != CURLM_OK) {
            outcome = makeHttpConnectionError(HttpConnectionError::SetupFailed, curl_multi_strerror(polled));
            break;
        }
    }

    {
        std::lock_guard lock(m_wakeMutex);
        m_wake = nullptr;
    }
    // The head counts once its first write went out and the body as it is
    // written; a head cut in that first write would count as written, but
    // heads are far smaller than any socket buffer.
    long headBytes = 0;
    curl_off_t bodyBytes = 0;
    if (curl_easy_getinfo(easy, CURLINFO_REQUEST_SIZE, &headBytes) == CURLE_OK
        && curl_easy_getinfo(easy, CURLINFO_SIZE_UPLOAD_T, &bodyBytes) == CURLE_OK)
        m_requestWritten = headBytes > 0 && bodyBytes >= static_cast<curl_off_t>(body ? body->size() : 0);
    curl_multi_remove_handle(multi, easy);
    if (!outcome && m_cancelled.load())
        outcome = makeHttpConnectionError(HttpConnectionError::Cancelled, "cancelled");
    return outcome;
}

ErrorOr<HttpResult> HttpConnection::sendSynchronousRequest(const HttpRequest& request,
                                                           std::optional<std::size_t> maxBodySize)
{
    HttpConnection connection(request);
    HttpResult result;
    HttpConnectionCallbacks callbacks;
    callbacks.response = [&](const HttpResponse& response) { result.response = response; };
    callbacks.data = [&](const std::uint8_t* bytes, std::size_t length) {
        if (result.bodyTooLarge)
            return;
        if (maxBodySize && length > *maxBodySize - result.body.size()) {
            result.bodyTooLarge = true;
            result.body.clear();
            connection.cancel();
            return;
        }
        result.body.insert(result.body.end(), bytes, bytes + length);
    };
    auto error = connection.run(callbacks);
    // Our own cancel at the cap is no failure of the exchange.
    if (error && !result.bodyTooLarge)
        return *error;
    return result;
}

bool isAnswerLost(const Error& error)
{
    if (error.domain != httpConnectionErrorDomain)
        return false;
    switch (error.code) {
    case static_cast<long long>(HttpConnectionError::TimedOut):
    case static_cast<long long>(HttpConnectionError::DeadlineExceeded):
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        return true;
    default:
        return false;
    }
}

std::optional<std::string> resolveHttpLocation(const std::string& base, const std::string& location)
{
    initializeCurlOnce();
    CURLU* url = curl_url();
    if (!url)
        return std::nullopt;
    std::optional<std::string> resolved;
    char* scheme = nullptr;
    char* text = nullptr;
    if (curl_url_set(url, CURLUPART_URL, base.c_str(), 0) == CURLUE_OK
        && curl_url_set(url, CURLUPART_URL, location.c_str(), 0) == CURLUE_OK
        && curl_url_get(url, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK
        && curl_url_get(url, CURLUPART_URL, &text, 0) == CURLUE_OK) {
        std::string_view s(scheme);
        if (s == "http" || s == "https")
            resolved = text;
    }
    curl_free(scheme);
    curl_free(text);
    curl_url_cleanup(url);
    return resolved;
}

}
