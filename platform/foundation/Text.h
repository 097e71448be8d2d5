#pragma once

// UTF-8 text measured in UTF-16 units, as the rest of the system counts
// characters. Invalid UTF-8 bytes count as one unit each (U+FFFD).

#include <array>
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
// The bytes of the valid multi-byte characters at the start of `bytes`: the
// run ends before the first ASCII byte, the first invalid sequence (overlong
// forms, surrogates and code points past U+10FFFF are invalid) or a sequence
// cut by the end. 0 when `bytes` starts with none. Lets a scanner that stops
// at non-ASCII bytes check and take such text without decoding it.
std::size_t utf8MultibyteRun(std::string_view bytes);
// The valid characters of `bytes`, each invalid or truncated byte left out.
std::string dropInvalidUtf8(std::string_view bytes);
namespace detail {
inline constexpr auto kHexDigitValues = [] {
    std::array<signed char, 256> values {};
    values.fill(-1);
    for (int i = 0; i < 10; ++i)
        values[static_cast<std::size_t>('0' + i)] = static_cast<signed char>(i);
    for (int i = 0; i < 6; ++i) {
        values[static_cast<std::size_t>('a' + i)] = static_cast<signed char>(10 + i);
        values[static_cast<std::size_t>('A' + i)] = static_cast<signed char>(10 + i);
    }
    return values;
}();
}

// The value of one hexadecimal digit (either case), -1 for any other byte.
// Inline, as escapes are read in tight loops.
inline int hexDigitValue(char c)
{
    return detail::kHexDigitValues[static_cast<unsigned char>(c)];
}
// The value of the four hexadecimal digits at `p` (those of a unit escape),
// or -1 when any of them is not one.
inline long hexQuadValue(const char* p)
{
    int a = hexDigitValue(p[0]), b = hexDigitValue(p[1]), c = hexDigitValue(p[2]), d = hexDigitValue(p[3]);
    return (a | b | c | d) < 0 ? -1 : long(a) << 12 | long(b) << 8 | long(c) << 4 | long(d);
}
// Writes the UTF-8 bytes of one code point (below 0x110000) to `out`, which
// has room for four, and answers how many it wrote.
inline std::size_t encodeUtf8(char32_t cp, char* out)
{
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (cp >> 18));
    out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}
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
// Unicode's Default_Ignorable_Code_Point characters: format controls such as
// the zero-width space U+200B, the joiners, the direction marks and U+FEFF,
// the variation selectors, the Hangul fillers, the soft hyphen and the tags.
// A renderer draws nothing for them.
bool isDefaultIgnorable(char32_t cp);
// `utf8` shows nothing: it is empty or holds only white space and
// default-ignorable characters (as above). Invalid bytes count as shown.
// A name that shows nothing names nobody, however many bytes it has.
bool isInvisibleText(std::string_view utf8);

}
