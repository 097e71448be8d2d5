#pragma once

// The status and header fields of an answer. A plain value. Header field names
// compare case-insensitively; a field that came more than once answers its
// first value.

#include "platform/net/HttpRequest.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace pf {

class HttpResponse {
public:
    HttpResponse() = default;
    HttpResponse(std::string url, int statusCode, HttpHeaderFields headers)
        : m_head(std::make_shared<const Head>(Head{std::move(url), statusCode, std::move(headers)})) {}

    const std::string& url() const { return head().url; }
    int statusCode() const { return head().statusCode; }
    bool isSuccessful() const { return statusCode() >= 200 && statusCode() < 300; }
    std::optional<std::string> valueForHTTPHeaderField(std::string_view field) const;
    const HttpHeaderFields& allHeaderFields() const { return head().headers; }
    // "Content-Length" as a non-negative 64-bit count; nothing when the field
    // is absent, negative or not a plain decimal number.
    std::optional<std::uint64_t> expectedContentLength() const;

private:
    // Never changed once made, so copies of an answer share it: a head
    // travels from the exchange thread through several owners.
    struct Head {
        std::string url;
        int statusCode = 0;
        HttpHeaderFields headers;
    };
    const Head& head() const;

    std::shared_ptr<const Head> m_head;
};

}
