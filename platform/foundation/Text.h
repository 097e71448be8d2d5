#pragma once

// UTF-8 text measured in UTF-16 units, as the rest of the system counts
// characters. Invalid UTF-8 bytes count as one unit each (U+FFFD).

#include <cstdint>
#include <string>
#include <string_view>

namespace pf {

std::size_t utf16Length(std::string_view utf8);
// The byte offset of UTF-16 index `index` (clamped to the end). An index in
// the middle of a surrogate pair points at the start of its character.
std::size_t utf8OffsetOfUtf16Index(std::string_view utf8, std::size_t index);
// Units [location, location + length) clamped to the text.
std::string utf16Substring(std::string_view utf8, std::size_t location, std::size_t length);
std::u16string toUtf16(std::string_view utf8);
// Lone surrogates become U+FFFD.
std::string fromUtf16(std::u16string_view utf16);
bool isValidUtf8(std::string_view bytes);
// The valid characters of `bytes`, each invalid or truncated byte left out.
std::string dropInvalidUtf8(std::string_view bytes);
// The value of one hexadecimal digit (either case), -1 for any other byte.
int hexDigitValue(char c);
// Appends the UTF-8 bytes of one code point (below 0x110000).
void appendUtf8(std::string& out, char32_t cp);

// Unicode's White_Space characters: the ASCII blanks and line breaks, U+0085,
// the no-break spaces U+00A0 and U+202F, the ideographic space U+3000, the
// typographic spaces U+2000 to U+200A, U+1680, U+205F and the line and
// paragraph separators U+2028 and U+2029.
bool isUnicodeWhitespace(char32_t cp);
// `utf8` without the white space (as above) at either end; what lies between
// is kept byte for byte, invalid bytes included. Form fields are trimmed with
// this, so an account typed with a full-width blank is still found.
std::string trimWhitespaceAndNewlines(std::string_view utf8);

}
