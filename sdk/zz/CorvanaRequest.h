#pragma once

// One HTTP exchange of the SDK's call layer: the URL and body built from the
// parameters (query string, form body or multipart body), the SDK's headers,
// and the answer parsed into a result or an error.
//
// Main queue only. connect() never calls back synchronously except for
// requestLoading; every other callback comes later on the main run loop. A
// request whose parameter names, file name, "uin" or "skey" hold a line
// break is never sent: it fails with a parameter error. Answers above
// kMaxAnswerSize, or that are neither UTF-8 nor GB 18030 text, fail too.
// Destroying the request, or cancel(), stops the exchange; no callback
// follows. The delegate is not retained.

#include "platform/foundation/Error.h"
#include "platform/foundation/Forward.h"
#include "platform/foundation/Value.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace pf {
class HttpRequest;
class HttpResponse;
class URLConnection;
}

class CorvanaRequest;

// A failure of the call layer: the connection's error, or one of domain
// "corvanaErrDomain" whose user information is the answer dictionary (or
// {"error_msg": …}).
struct CorvanaError {
    pf::Error error;
    pf::DictionaryRef userInfo;
};

class CorvanaRequestDelegate {
public:
    virtual ~CorvanaRequestDelegate() = default;
    virtual void requestLoading(CorvanaRequest&) {}
    virtual void requestDidReceiveResponse(CorvanaRequest&, const pf::HttpResponse&) {}
    virtual void requestDidFailWithError(CorvanaRequest&, const CorvanaError&) {}
    // The parsed result (a dictionary or an array; nil when the text is not
    // JSON) and the raw answer.
    virtual void requestDidLoad(CorvanaRequest&, const pf::Value& /*result*/, const pf::Bytes& /*data*/) {}
    virtual void requestDidLoadRawResponse(CorvanaRequest&, const pf::Bytes&) {}
    virtual void requestDidSendBodyData(CorvanaRequest&, std::int64_t /*bytesWritten*/,
                                        std::int64_t /*totalBytesWritten*/, std::int64_t /*totalExpected*/) {}
    virtual void requestDidWriteData(CorvanaRequest&, std::int64_t /*bytesWritten*/,
                                     std::int64_t /*totalBytesWritten*/, std::int64_t /*expectedTotal*/) {}
};

class CorvanaRequest : public std::enable_shared_from_this<CorvanaRequest> {
public:
    static constexpr const char* kErrorDomain = "corvanaErrDomain";
    static constexpr const char* kBoundary = "od2ER5ioefd682HE14eh2n82n9M7rEu2nH85XQY1";
    static constexpr const char* kUserAgent = "CorvanaConnect";
    static constexpr std::size_t kMaxAnswerSize = 4u << 20;
    static constexpr long long kGenericErrorCode = 10000;

    // Parameter values are strings (numbers travel as their text), pictures
    // (pf::Image, sent as JPEG at quality 0.4) or data.
    static std::shared_ptr<CorvanaRequest> getRequestWithParams(const pf::DictionaryRef& params,
                                                                const std::string& httpMethod,
                                                                std::weak_ptr<CorvanaRequestDelegate> delegate,
                                                                const std::string& requestURL);
    // The URL with the string parameters as an escaped query; "?" or "&"
    // follows the URL even when no pair does.
    static std::string serializeURL(const std::string& url, const pf::DictionaryRef& params,
                                    const std::string& httpMethod = "GET");

    ~CorvanaRequest();

    void connect();
    // Sends a request built elsewhere, as it is (no parameters, headers or
    // body of this object are added).
    void connectWithRequest(pf::HttpRequest request);
    void cancel();
    bool loading() const;

    // Bodies: multipart (strings, then pictures and data) and form.
    pf::Bytes generatePostBody() const;
    pf::Bytes generateOtherPostBody() const;
    // The answer as a dictionary or array. Without an error slot the failures
    // of "false", "error" and "error_code" answer nil; with one they fill it.
    static pf::Value parseJsonResponse(const pf::Bytes& data, CorvanaError* error);
    static CorvanaError formError(long long code, pf::DictionaryRef userInfo);

    void setDelegate(std::weak_ptr<CorvanaRequestDelegate> delegate) { m_delegate = std::move(delegate); }
    const std::string& url() const { return m_url; }
    void setUrl(std::string url) { m_url = std::move(url); }
    const std::string& httpMethod() const { return m_httpMethod; }
    void setHttpMethod(std::string method) { m_httpMethod = std::move(method); }
    const pf::DictionaryRef& params();
    const pf::DictionaryRef& httpHeaders();
    const pf::Bytes& responseText() const { return m_responseText; }
    // 60 s unless set.
    void setTimeoutInterval(std::chrono::duration<double> timeout) { m_timeout = timeout; }

private:
    std::optional<std::string> unsafeParameter() const;
    void start(pf::HttpRequest request);
    void handleResponseData(const pf::Bytes& data);
    void failWithError(const CorvanaError& error);
    void finish();

    std::weak_ptr<CorvanaRequestDelegate> m_delegate;
    std::string m_url;
    std::string m_httpMethod = "GET";
    pf::DictionaryRef m_params;
    pf::DictionaryRef m_httpHeaders;
    pf::Bytes m_responseText;
    std::int64_t m_expectedLength = -1; // the answer's Content-Length, -1 when unknown
    std::shared_ptr<pf::URLConnection> m_connection;
    std::chrono::duration<double> m_timeout{60.0};
};
