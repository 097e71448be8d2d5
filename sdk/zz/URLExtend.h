#pragma once

// Text helpers of the in-app login for URLs.

#include "platform/foundation/Value.h"

#include <string>
#include <string_view>

// Without leading and trailing blanks and line breaks.
std::string trim(std::string_view text);
// Percent escapes removed (when they decode), then every byte but letters,
// digits and "-._~" escaped: a value that can stand anywhere in a query.
std::string stringByEncodeUrl(std::string_view text);
// The query behind the first `separator`: pieces of exactly one "=" with a
// non-empty name, both sides percent-decoded, a later name winning; empty
// when the separator does not occur; null when a piece does not decode to
// UTF-8 (nothing of it is taken).
pf::DictionaryRef dictionaryByParseUrlFromSeparator(std::string_view text, std::string_view separator);
