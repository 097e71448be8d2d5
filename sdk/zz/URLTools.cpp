#include "sdk/zz/URLTools.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"

std::string URLTools::escape(std::string_view text, std::string_view reserved, Blank blank)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (c == ' ' && blank == Blank::Plus) {
            out += '+';
            continue;
        }
        if (byte > 0x20 && byte < 0x7F && c != '"' && c != '<' && c != '>' && c != '\\' && c != '^' && c != '`' &&
            c != '{' && c != '|' && c != '}' && reserved.find(c) == std::string_view::npos) {
            out += c;
            continue;
        }
        out += '%';
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
    }
    return out;
}

std::optional<std::string> URLTools::GetURLWithParam(const std::optional<std::string>& url,
                                                     const pf::DictionaryRef& params)
{
    if (!url)
        return std::nullopt;
    if (!params || params->empty())
        return url;
    std::string out = *url;
    out += '?';
    bool first = true;
    for (const auto& [key, value] : *params) {
        if (!first)
            out += '&';
        first = false;
        out += key;
        out += '=';
        out += escape(value.description(), kMessageReserved);
    }
    return out;
}
