#pragma once

// A request to send: URL, method, header fields, body, time-out and cache
// policy. A plain value; copies share the body bytes, which never change.
//
// Header field names compare case-insensitively. "Accept-Encoding" is not sent
// as written: the connection hands it to the transfer library, which then
// advertises the codings it can decode and decodes the body itself, so callers
// always receive plain bytes.

#include "platform/foundation/Forward.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pf {

using HttpHeaderFields = std::vector<std::pair<std::string, std::string>>;

enum class URLRequestCachePolicy { UseProtocolCachePolicy = 0, ReloadIgnoringLocalCacheData = 1 };

bool equalsIgnoringCase(std::string_view a, std::string_view b);

class HttpRequest {
public:
    // Used whenever the time-out is 0 or negative: a request never waits forever.
    static constexpr std::chrono::duration<double> defaultTimeoutInterval{60.0};

    HttpRequest() = default;
    explicit HttpRequest(std::string url,
                         URLRequestCachePolicy cachePolicy = URLRequestCachePolicy::UseProtocolCachePolicy,
                         std::chrono::duration<double> timeoutInterval = defaultTimeoutInterval);

    const std::string& url() const { return m_url; }
    void setUrl(std::string url) { m_url = std::move(url); }
    // "GET" unless set.
    const std::string& httpMethod() const { return m_method; }
    void setHttpMethod(std::string method) { m_method = std::move(method); }
    URLRequestCachePolicy cachePolicy() const { return m_cachePolicy; }
    void setCachePolicy(URLRequestCachePolicy policy) { m_cachePolicy = policy; }

    // Whether the exchange sends the origin's cookies from the shared
    // CookieStore and keeps the ones it is given; off unless set, so service
    // exchanges stay free of any page's cookies.
    bool httpShouldHandleCookies() const { return m_handlesCookies; }
    void setHttpShouldHandleCookies(bool handles) { m_handlesCookies = handles; }

    // As set; 0 means "none given".
    std::chrono::duration<double> timeoutInterval() const { return m_timeout; }
    void setTimeoutInterval(std::chrono::duration<double> timeout) { m_timeout = timeout; }
    // How long the exchange may stay idle (no connection progress, no bytes)
    // before it fails: the time-out, or the default for 0 and negative values.
    std::chrono::duration<double> effectiveTimeoutInterval() const;

    // The first field of that name, or nothing.
    std::optional<std::string> valueForHTTPHeaderField(std::string_view field) const;
    // Replaces every field of that name; nothing removes them.
    void setValue(std::optional<std::string> value, std::string_view field);
    // Appends ", value" to an existing field, or adds the field.
    void addValue(std::string_view value, std::string_view field);
    const HttpHeaderFields& allHTTPHeaderFields() const { return m_headers; }

    // Null for no body.
    std::shared_ptr<const Bytes> httpBody() const { return m_body; }
    void setHttpBody(std::shared_ptr<const Bytes> body) { m_body = std::move(body); }
    void setHttpBody(Bytes body);

private:
    std::string m_url;
    std::string m_method = "GET";
    URLRequestCachePolicy m_cachePolicy = URLRequestCachePolicy::UseProtocolCachePolicy;
    std::chrono::duration<double> m_timeout = defaultTimeoutInterval;
    HttpHeaderFields m_headers;
    std::shared_ptr<const Bytes> m_body;
    bool m_handlesCookies = false;
};

}
