#include "platform/net/HttpRequest.h"

#include "platform/net/HttpResponse.h"

namespace pf {

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    // Field names are ASCII tokens: folding ASCII letters alone is both the
    // rule and, unlike tolower(), the same under every locale. Every field
    // of every head passes through here on the exchange thread.
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x == y)
            continue;
        if ((x | 0x20) != (y | 0x20) || (x | 0x20) < 'a' || (x | 0x20) > 'z')
            return false;
    }
    return true;
}

static const std::string* fieldValue(const HttpHeaderFields& fields, std::string_view name)
{
    for (const auto& [key, value] : fields) {
        if (equalsIgnoringCase(key, name))
            return &value;
    }
    return nullptr;
}

static std::optional<std::string> findField(const HttpHeaderFields& fields, std::string_view name)
{
    if (const std::string* value = fieldValue(fields, name))
        return *value;
    return std::nullopt;
}

HttpRequest::HttpRequest(std::string url, URLRequestCachePolicy cachePolicy, std::chrono::duration<double> timeoutInterval)
    : m_url(std::move(url)), m_cachePolicy(cachePolicy), m_timeout(timeoutInterval)
{
}

std::chrono::duration<double> HttpRequest::effectiveTimeoutInterval() const
{
    // The transfer library reads 0 as "wait forever"; a stalled server would
    // then hold a queue thread for good.
    if (!(m_timeout.count() > 0))
        return defaultTimeoutInterval;
    return m_timeout;
}

std::optional<std::string> HttpRequest::valueForHTTPHeaderField(std::string_view field) const
{
    return findField(m_headers, field);
}

void HttpRequest::setValue(std::optional<std::string> value, std::string_view field)
{
    std::erase_if(m_headers, [&](const auto& entry) { return equalsIgnoringCase(entry.first, field); });
    if (value)
        m_headers.emplace_back(std::string(field), std::move(*value));
}

void HttpRequest::addValue(std::string_view value, std::string_view field)
{
    for (auto& [key, existing] : m_headers) {
        if (equalsIgnoringCase(key, field)) {
            existing.append(", ").append(value);
            return;
        }
    }
    m_headers.emplace_back(std::string(field), std::string(value));
}

void HttpRequest::setHttpBody(Bytes body)
{
    m_body = std::make_shared<const Bytes>(std::move(body));
}

const HttpResponse::Head& HttpResponse::head() const
{
    static const Head none;
    return m_head ? *m_head : none;
}

std::optional<std::string> HttpResponse::valueForHTTPHeaderField(std::string_view field) const
{
    return findField(head().headers, field);
}

std::optional<std::uint64_t> HttpResponse::expectedContentLength() const
{
    const std::string* text = fieldValue(head().headers, "Content-Length");
    if (!text || text->empty() || text->size() > 19)
        return std::nullopt;
    std::uint64_t length = 0;
    for (char c : *text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        length = length * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return length;
}

}
