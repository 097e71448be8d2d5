#include "sdk/voxly/VXStringAdditions.h"

#include "platform/foundation/Text.h"

std::optional<std::string> stringByReplacingRange(std::string_view text, std::size_t location, std::size_t length,
                                                  std::string_view with)
{
    std::size_t units = pf::utf16Length(text);
    if (location > units || length > units - location)
        return std::nullopt;
    std::size_t begin = pf::utf8OffsetOfUtf16Index(text, location);
    std::size_t end = pf::utf8OffsetOfUtf16Index(text, location + length);
    std::string replaced(text.substr(0, begin));
    replaced += with;
    replaced += text.substr(end);
    return replaced;
}

std::string trimmedString(std::string_view text) { return pf::trimWhitespaceAndNewlines(text); }
