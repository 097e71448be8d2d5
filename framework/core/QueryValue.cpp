#include "framework/core/QueryValue.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <cctype>

namespace {

// Components of a path string: a leading "/" is a component of its own, empty
// components are skipped, a trailing "/" is one more "/".
std::vector<std::string> componentsOf(std::string_view path)
{
    std::vector<std::string> out;
    if (path.empty())
        return out;
    std::size_t i = 0;
    if (path[0] == '/') {
        out.emplace_back("/");
        i = 1;
    }
    while (i < path.size()) {
        std::size_t j = path.find('/', i);
        if (j == std::string_view::npos) {
            out.emplace_back(path.substr(i));
            break;
        }
        if (j > i)
            out.emplace_back(path.substr(i, j - i));
        i = j + 1;
        if (i == path.size() && out.size() > 0 && out.back() != "/")
            out.emplace_back("/");
    }
    return out;
}

// The URL's path as the platform reports it: decoded, without a trailing "/".
std::string routingPath(const pf::URL& url)
{
    std::string path = url.path();
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

void appendPair(std::string& query, bool& first, const std::string& key, const pf::Value& value)
{
    if (!first)
        query += '&';
    first = false;
    query += key;
    query += '=';
    query += encodeQueryValue(value.description());
}

}

std::string encodeQueryValue(std::string_view value)
{
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(value.size() * 3);
    for (char ch : value) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c == ' ') {
            out += '+';
        } else if (c == '.' || c == '-' || c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')
                   || (c >= '0' && c <= '9')) {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::optional<std::string> decodeQueryValue(std::string_view value)
{
    std::string bytes;
    bytes.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (c == '+') {
            bytes += ' ';
        } else if (c == '%') {
            if (value.size() - i < 3)
                break; // a cut-off escape ends the text; what came before stays
            // Leading hexadecimal digits only; none reads as 0.
            int v = 0;
            int first = pf::hexDigitValue(value[i + 1]);
            if (first >= 0) {
                v = first;
                int second = pf::hexDigitValue(value[i + 2]);
                if (second >= 0)
                    v = v * 16 + second;
            }
            if (v != 0)
                bytes += static_cast<char>(v);
            i += 2;
        } else {
            bytes += c;
        }
    }
    if (!pf::isValidUtf8(bytes))
        return std::nullopt;
    return bytes;
}

pf::DictionaryRef queryValues(const pf::URL& url)
{
    auto out = pf::Dictionary::create();
    if (!url.query())
        return out;
    std::string_view query = *url.query();
    while (!query.empty()) {
        std::size_t amp = query.find('&');
        std::string_view part = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        std::size_t eq = part.find('=');
        if (eq == std::string_view::npos)
            continue;
        std::string_view rest = part.substr(eq + 1);
        std::string_view piece = rest.substr(0, rest.find('='));
        // A value that does not decode to text is left out rather than stored as nothing.
        if (auto decoded = decodeQueryValue(piece))
            out->set(part.substr(0, eq), *decoded);
    }
    return out;
}

std::optional<pf::URL> URLWithString(std::string_view text, const pf::URL* base, const pf::Value& values)
{
    std::string result(text);
    std::size_t mark = result.find('?');
    // Without "?" the query starts here; with "?" at the very end the first
    // pair needs no "&"; with "?" elsewhere every pair is preceded by "&".
    bool first = mark == std::string::npos || mark + 1 == result.size();
    if (mark == std::string::npos)
        result += '?';
    if (auto dict = values.dictionary()) {
        for (const auto& [key, value] : *dict)
            appendPair(result, first, key, value);
    } else if (auto object = values.object()) {
        for (const pf::Class* cls = object->objectClass(); cls; cls = cls->superclass())
            for (const pf::Property& property : cls->properties())
                appendPair(result, first, property.name, property.get ? property.get(*object) : pf::Value());
    }
    return pf::URL::create(result, base);
}

std::optional<pf::URL> URLWithString(std::string_view text, const pf::Value& values)
{
    return URLWithString(text, nullptr, values);
}

std::string escapeURLText(std::string_view text)
{
    static constexpr std::string_view kLegal = "-._~:/?#[]@!$&'()*+,;=";
    auto isHex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        bool legal = std::isalnum(c) != 0 || (c < 0x80 && c != 0 && kLegal.find(char(c)) != std::string_view::npos);
        if (c == '%' && i + 2 < text.size() && isHex(text[i + 1]) && isHex(text[i + 2]))
            legal = true;
        if (legal) {
            out += char(c);
            continue;
        }
        static constexpr char kDigits[] = "0123456789ABCDEF";
        out += '%';
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

std::optional<std::string> lastPathComponent(const pf::URL& url, std::size_t n)
{
    auto components = componentsOf(routingPath(url));
    if (n >= components.size())
        return std::nullopt;
    return components[components.size() - 1 - n];
}

std::optional<std::string> firstPathComponent(const pf::URL& url)
{
    auto components = componentsOf(routingPath(url));
    if (components.empty())
        return std::nullopt;
    return components.front();
}

std::optional<std::vector<std::string>> pathComponents(const pf::URL& url, std::string_view basePath)
{
    // Component by component on the decoded path: a prefix cut by length
    // alone would take "/rootx/a" as lying below "/root".
    std::string base(basePath);
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    auto baseComponents = componentsOf(base);
    auto components = componentsOf(routingPath(url));
    if (components.empty())
        return std::nullopt;
    if (components.size() < baseComponents.size()
        || !std::equal(baseComponents.begin(), baseComponents.end(), components.begin())) {
        pf::log("%s lies outside %s", url.absoluteString().c_str(), base.c_str());
        return std::nullopt;
    }
    if (components.size() == baseComponents.size())
        return std::nullopt;
    return std::vector<std::string>(components.begin() + std::ptrdiff_t(baseComponents.size()), components.end());
}

std::optional<std::string> firstPathComponent(const pf::URL& url, std::string_view basePath)
{
    auto components = pathComponents(url, basePath);
    if (!components || components->empty())
        return std::nullopt;
    return components->front();
}
