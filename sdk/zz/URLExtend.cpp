#include "sdk/zz/URLExtend.h"

#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "sdk/zz/OpenApi.h"

std::string trim(std::string_view text) { return pf::trimWhitespaceAndNewlines(text); }

std::string stringByEncodeUrl(std::string_view text)
{
    std::optional<std::string> decoded = pf::percentDecode(text);
    std::string_view source = decoded ? std::string_view(*decoded) : text;
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : source) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
            || c == '_' || c == '~';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

pf::DictionaryRef dictionaryByParseUrlFromSeparator(std::string_view text, std::string_view separator)
{
    return OpenApi::dictionaryByParseUrlFromSeparator(std::string(text), separator);
}
