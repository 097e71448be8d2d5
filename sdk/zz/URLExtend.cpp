#include "sdk/zz/URLExtend.h"

#include "platform/foundation/PercentEncode.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "sdk/zz/OpenApi.h"

std::string trim(std::string_view text) { return pf::trimWhitespaceAndNewlines(text); }

std::string stringByEncodeUrl(std::string_view text)
{
    std::optional<std::string> decoded = pf::percentDecode(text);
    std::string_view source = decoded ? std::string_view(*decoded) : text;
    return pf::percentEncode(source);
}

pf::DictionaryRef dictionaryByParseUrlFromSeparator(std::string_view text, std::string_view separator)
{
    return OpenApi::dictionaryByParseUrlFromSeparator(std::string(text), separator);
}
