#include "tools/appserver/AppJson.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zmr {

std::optional<std::string> item(const Form& form, const std::string& key)
{
    auto it = form.find(key);
    if (it == form.end())
        return std::nullopt;
    return it->second;
}

std::optional<long long> integerItem(const Form& form, const std::string& key)
{
    auto text = item(form, key);
    if (!text || text->empty())
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    long long value = std::strtoll(text->c_str(), &end, 10);
    if (errno != 0 || *end != '\0')
        return std::nullopt;
    return value;
}

double realItem(const Form& form, const std::string& key)
{
    auto text = item(form, key);
    if (!text || text->empty())
        return 0;
    char* end = nullptr;
    double value = std::strtod(text->c_str(), &end);
    return *end == '\0' && std::isfinite(value) ? value : 0;
}

std::string quote(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string number(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::size_t nickWidth(const std::string& nick)
{
    std::size_t width = 0;
    for (unsigned char c : nick)
        if ((c & 0xC0) != 0x80)
            width += c < 0x80 ? 1 : 2;
    return width;
}

JsonObject& JsonObject::add(const std::string& key, const std::string& json)
{
    if (!m_members.empty())
        m_members += ',';
    m_members += quote(key);
    m_members += ':';
    m_members += json;
    return *this;
}

}
