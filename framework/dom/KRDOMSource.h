#pragma once

// Markup templates filled from data. "{key.path}" becomes the value at that
// key path of the source (dataForKeyPath: dictionaries, arrays, objects),
// HTML-encoded whatever its type; "{$key.path}" becomes the raw value, which
// is markup of its own. Values that are not strings are inserted as their
// description (a number as its digits, an array or dictionary as its
// multi-line listing), encoded under "{key}" like a string; a missing value
// or JSON null inserts nothing, and a key still open at the end of the
// template is dropped.
//
// Encoding makes a value safe in element text and in quoted attribute
// values: blanks, angle brackets and line breaks turn into what the
// tokenizer reads back, and backslashes, quotes and ampersands are escaped,
// so a value can neither end its attribute nor add markup. In a quoted
// attribute value the tokenizer keeps "&nbsp;" as written, so templates put
// "{key}" there only for ids, numbers and URLs.
//
// Pure functions, any thread.

#include "platform/foundation/Value.h"

#include <string>
#include <string_view>

// Space "&nbsp;", "<" "&lt;", ">" "&gt;", LF "\n", TAB "\t" (backslash
// escapes), CR and NUL dropped, and "\\", "\"", "\'", "\&" for backslash, quotes
// and ampersand. One pass.
std::string htmlEncodeString(std::string_view text);
// The exact inverse of htmlEncodeString, in one pass: decoding an encoded
// text gives it back without its CRs and NULs.
std::string htmlDecodeString(std::string_view text);
std::string htmlStringByDOMSource(std::string_view templateText, const pf::Value& source);
