#pragma once

// The status and header fields of an answer. A plain value. Header field names
// compare case-insensitively; a field that came more than once answers its
// first value.

#include "platform/net/HttpRequest.h"

#include <cstdint>
#include <optional>
#include <string>

namespace pf {

class HttpResponse {
public:
    HttpResponse() = default;
    HttpResponse(std::string url, int statusCode, HttpHeaderFields headers)
        : m_url(std::move(url)), m_statusCode(statusCode), m_headers(std::move(headers)) {}

    const std::string& url() const { return m_url; }
    int statusCode() const { return m_statusCode; }
    bool isSuccessful() const { return m_statusCode >= 200 && m_statusCode < 300; }
    std::optional<std::string> valueForHTTPHeaderField(std::string_view field) const;
    const HttpHeaderFields& allHeaderFields() const { return m_headers; }
    // "Content-Length" as a non-negative 64-bit count; nothing when the field
    // is absent, negative or not a plain decimal number.
    std::optional<std::uint64_t> expectedContentLength() const;

private:
    std::string m_url;
    int m_statusCode = 0;
    HttpHeaderFields m_headers;
};

}
