#include "platform/foundation/URL.h"

#include "platform/foundation/Text.h"

#include <bit>
#include <cctype>
#include <cstdint>
#include <cstring>

namespace pf {

namespace {

bool isHex(char c) { return hexDigitValue(c) >= 0; }

bool isAllowed(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u >= 0x7F)
        return false;
    switch (c) {
    case '"': case '<': case '>': case '\\': case '^': case '`': case '{': case '|': case '}':
        return false;
    default:
        return true;
    }
}

std::string removeDotSegments(std::string_view path)
{
    std::vector<std::string> out;
    bool absolute = !path.empty() && path[0] == '/';
    std::size_t i = absolute ? 1 : 0;
    bool trailingSlash = false;
    while (i <= path.size()) {
        std::size_t j = path.find('/', i);
        if (j == std::string_view::npos)
            j = path.size();
        std::string_view seg = path.substr(i, j - i);
        trailingSlash = false;
        if (seg == "..") {
            if (!out.empty())
                out.pop_back();
            trailingSlash = true;
        } else if (seg == ".") {
            trailingSlash = true;
        } else {
            out.emplace_back(seg);
        }
        i = j + 1;
    }
    std::string result = absolute ? "/" : "";
    for (std::size_t k = 0; k < out.size(); ++k) {
        if (k)
            result += '/';
        result += out[k];
    }
    if (trailingSlash && (result.empty() || result.back() != '/'))
        result += '/';
    return result;
}

}

std::optional<std::string> percentDecode(std::string_view text)
{
    // Written in place into room for the whole text, which decoding only
    // shortens. The texts decoded most (script call arguments) have an
    // escape every few bytes, where a library call per run between escapes
    // cost more than the copying itself: eight bytes are looked at and
    // copied at a time, and a word holding a "%" is copied up to it.
    std::string out(text.size(), '\0');
    char* to = out.data();
    const char* from = text.data();
    const char* end = from + text.size();
    for (;;) {
        if constexpr (std::endian::native == std::endian::little) {
            while (end - from >= 8) {
                std::uint64_t word = 0;
                std::memcpy(&word, from, 8);
                // The high bit of each byte that equals '%' (and maybe of
                // bytes after one, never before).
                std::uint64_t x = word ^ 0x2525252525252525u;
                std::uint64_t marks = (x - 0x0101010101010101u) & ~x & 0x8080808080808080u;
                // Room: `to` never runs ahead of `from`.
                std::memcpy(to, &word, 8);
                if (!marks) {
                    from += 8;
                    to += 8;
                    continue;
                }
                auto before = static_cast<std::size_t>(std::countr_zero(marks) / 8);
                from += before;
                to += before;
                break;
            }
        }
        if (from == end)
            break;
        char c = *from;
        if (c != '%') {
            *to++ = c;
            ++from;
            continue;
        }
        if (end - from < 3)
            return std::nullopt;
        int high = hexDigitValue(from[1]);
        int low = hexDigitValue(from[2]);
        if ((high | low) < 0)
            return std::nullopt;
        *to++ = static_cast<char>(high * 16 + low);
        from += 3;
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
    return out;
}

std::optional<URL> URL::parse(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (!isAllowed(c) && c != '#')
            return std::nullopt;
        if (c == '%' && (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2])))
            return std::nullopt;
    }
    URL url;
    url.m_text = std::string(text);
    std::string_view rest = text;
    if (auto hash = rest.find('#'); hash != std::string_view::npos) {
        url.m_fragment = std::string(rest.substr(hash + 1));
        rest = rest.substr(0, hash);
    }
    if (auto q = rest.find('?'); q != std::string_view::npos) {
        url.m_query = std::string(rest.substr(q + 1));
        rest = rest.substr(0, q);
    }
    // A scheme is letters, digits, "+", "-", "." starting with a letter, before the first ":".
    std::size_t colon = rest.find(':');
    std::size_t slash = rest.find('/');
    if (colon != std::string_view::npos && colon > 0 && (slash == std::string_view::npos || colon < slash)
        && std::isalpha(static_cast<unsigned char>(rest[0]))) {
        bool ok = true;
        for (std::size_t i = 0; i < colon; ++i) {
            unsigned char c = static_cast<unsigned char>(rest[i]);
            ok = ok && (std::isalnum(c) || c == '+' || c == '-' || c == '.');
        }
        if (ok) {
            url.m_scheme = std::string(rest.substr(0, colon));
            rest = rest.substr(colon + 1);
        }
    }
    if (rest.starts_with("//")) {
        url.m_hasAuthority = true;
        rest = rest.substr(2);
        std::size_t end = rest.find('/');
        std::string_view authority = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
        if (auto at = authority.rfind('@'); at != std::string_view::npos) {
            url.m_userInfo = std::string(authority.substr(0, at));
            authority = authority.substr(at + 1);
        }
        std::size_t portColon = authority.rfind(':');
        if (portColon != std::string_view::npos && authority.find(']', portColon) == std::string_view::npos) {
            std::string_view port = authority.substr(portColon + 1);
            authority = authority.substr(0, portColon);
            if (!port.empty()) {
                int value = 0;
                for (char c : port) {
                    if (!std::isdigit(static_cast<unsigned char>(c)) || value > 65535)
                        return std::nullopt;
                    value = value * 10 + (c - '0');
                }
                if (value > 65535)
                    return std::nullopt;
                url.m_port = value;
            }
        }
        url.m_host = std::string(authority);
    }
    url.m_path = std::string(rest);
    return url;
}

std::optional<URL> URL::create(std::string_view text) { return parse(text); }

std::optional<URL> URL::create(std::string_view text, const URL* base)
{
    auto ref = parse(text);
    if (!ref || !base || !ref->m_scheme.empty())
        return ref;
    URL target = *ref;
    target.m_scheme = base->m_scheme;
    if (ref->m_hasAuthority) {
        target.m_path = removeDotSegments(ref->m_path);
    } else {
        target.m_hasAuthority = base->m_hasAuthority;
        target.m_userInfo = base->m_userInfo;
        target.m_host = base->m_host;
        target.m_port = base->m_port;
        if (ref->m_path.empty()) {
            target.m_path = base->m_path;
            if (!ref->m_query)
                target.m_query = base->m_query;
        } else if (ref->m_path[0] == '/') {
            target.m_path = removeDotSegments(ref->m_path);
        } else {
            std::string merged;
            if (base->m_hasAuthority && base->m_path.empty()) {
                merged = "/" + ref->m_path;
            } else {
                auto lastSlash = base->m_path.rfind('/');
                merged = (lastSlash == std::string::npos ? std::string() : base->m_path.substr(0, lastSlash + 1))
                         + ref->m_path;
            }
            target.m_path = removeDotSegments(merged);
        }
    }
    target.m_text = std::string(text);
    // Keep the resolved parts; the original text stays as the relative string.
    return target;
}

std::string URL::absoluteString() const
{
    // Appended piece by piece: temporaries such as ":" + text trip a false
    // overlap warning of the optimiser.
    std::string out;
    if (!m_scheme.empty()) {
        out += m_scheme;
        out += ':';
    }
    if (m_hasAuthority) {
        out += "//";
        if (!m_userInfo.empty()) {
            out += m_userInfo;
            out += '@';
        }
        out += m_host;
        if (m_port) {
            out += ':';
            out += std::to_string(*m_port);
        }
    }
    out += m_path;
    if (m_query) {
        out += '?';
        out += *m_query;
    }
    if (m_fragment) {
        out += '#';
        out += *m_fragment;
    }
    return out;
}

std::string URL::path() const
{
    auto decoded = percentDecode(m_path);
    return decoded ? *decoded : m_path;
}

std::vector<std::string> URL::pathComponents() const
{
    std::vector<std::string> out;
    std::string p = path();
    if (p.empty())
        return out;
    std::size_t i = 0;
    if (p[0] == '/') {
        out.emplace_back("/");
        i = 1;
    }
    while (i < p.size()) {
        std::size_t j = p.find('/', i);
        if (j == std::string::npos)
            j = p.size();
        if (j > i)
            out.push_back(p.substr(i, j - i));
        i = j + 1;
    }
    return out;
}

std::string URL::lastPathComponent() const
{
    auto components = pathComponents();
    return components.empty() ? std::string() : components.back();
}

}
