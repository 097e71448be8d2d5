#pragma once

// The byte-level shortcuts the JSON codecs share: finding the end of a run
// of string bytes that need no escaping either way, eight bytes at a time,
// decoding a run of "\u" escapes in one loop, and converting the short
// numbers nearly every answer holds exactly without the general
// conversions. Each codec keeps its own dialect (what it accepts and
// writes, its errors); these only say how far the plain case reaches.
//
// Stateless; any thread. Inline, since they run once per string and number.

#include "platform/foundation/Text.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace pf {

// How a parser treats bytes of 0x80 and above inside strings: the text was
// checked to be UTF-8 beforehand, so they are plain; or each sequence is
// checked where it stands, a valid one taken whole and an invalid one left
// for the parser's careful path.
enum class JsonUtf8 { Trusted, Checked };

// The bytes of an eight-byte word equal to `c` as high bits: the lowest one
// set marks the first such byte exactly (a borrow only runs upward from a
// true hit, so the bits above it may be false alarms).
inline std::uint64_t jsonBytesEqual(std::uint64_t word, char c)
{
    constexpr std::uint64_t ones = 0x0101010101010101ULL, highs = 0x8080808080808080ULL;
    std::uint64_t v = word ^ (ones * static_cast<unsigned char>(c));
    return (v - ones) & ~v & highs;
}

// The bytes of an eight-byte word that end a plain run (a quote, a
// backslash, a byte below 0x20, and with `highStops` one of 0x80 and above)
// as high bits, the lowest one set marking the first such byte exactly.
inline std::uint64_t jsonPlainRunStops(std::uint64_t word, bool highStops)
{
    constexpr std::uint64_t ones = 0x0101010101010101ULL, highs = 0x8080808080808080ULL;
    std::uint64_t control = (word - ones * 0x20) & ~word & highs;
    return control | jsonBytesEqual(word, '"') | jsonBytesEqual(word, '\\') | (highStops ? word & highs : 0);
}

// The first byte from `p` (before `end`) that a run of plain string bytes
// cannot take: a quote, a backslash, a control byte, or (Checked) the start
// of an invalid UTF-8 sequence. Such a run is the string's text as it stands.
template <JsonUtf8 Mode>
inline const char* jsonPlainRunEnd(const char* p, const char* end)
{
    static_assert(std::endian::native == std::endian::little, "the first byte of a word is its lowest");
    constexpr bool checked = Mode == JsonUtf8::Checked;
    for (;;) {
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if (std::uint64_t stops = jsonPlainRunStops(word, checked)) {
                p += std::countr_zero(stops) / 8;
                break;
            }
            p += 8;
        }
        while (p != end) {
            auto c = static_cast<unsigned char>(*p);
            if (c < 0x20 || c == '"' || c == '\\' || (checked && c >= 0x80))
                break;
            ++p;
        }
        if constexpr (!checked)
            return p;
        if (p == end || static_cast<unsigned char>(*p) < 0x80)
            return p;
        std::size_t run = utf8MultibyteRun(std::string_view(p, static_cast<std::size_t>(end - p)));
        if (run == 0)
            return p;
        p += run;
    }
}

// Where a run of "\u" escapes ended: `next` is the first byte not taken
// (the escape the run left to the parser, or whatever follows the run), and
// `out` is past the last byte written.
struct JsonEscapeRun {
    const char* next;
    char* out;
};

// Decodes the run of "\uXXXX" escapes from the backslash at `p` (before
// `end`) into `out`, writing a three-byte character (escaped CJK text, most
// of what answers escape) at once. Takes every escape of a character other
// than a surrogate half, and a high half with its low half in the escape
// right after it; stops at any other escape (a lone or reversed half, a
// digit missing, the text's end), whose error or replacement is each
// parser's own, at anything that is not "\u", and while fewer than four
// bytes are left before `outEnd`. Writes at most half the bytes it takes.
inline JsonEscapeRun jsonUnicodeEscapeRun(const char* p, const char* end, char* out, char* outEnd)
{
    while (end - p >= 6 && outEnd - out >= 4 && p[0] == '\\' && p[1] == 'u') {
        const long unit = hexQuadValue(p + 2);
        if (unit >= 0x800 && (unit < 0xD800 || unit >= 0xE000)) {
            out[0] = static_cast<char>(0xE0 | unit >> 12);
            out[1] = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            out[2] = static_cast<char>(0x80 | (unit & 0x3F));
            out += 3;
            p += 6;
            continue;
        }
        if (unit < 0 || unit >= 0xDC00)
            break;
        if (unit < 0xD800) {
            out += encodeUtf8(static_cast<char32_t>(unit), out);
            p += 6;
            continue;
        }
        const long low = end - p >= 12 && p[6] == '\\' && p[7] == 'u' ? hexQuadValue(p + 8) : -1;
        if (low < 0xDC00 || low >= 0xE000)
            break;
        out += encodeUtf8(static_cast<char32_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)), out);
        p += 12;
    }
    return { p, out };
}

// jsonUnicodeEscapeRun appending to `out`; answers the first byte not
// taken (`p` itself when the escape there is left to the parser). The room
// it opens stays within what `out` has reserved where it can, so a string
// reserved for its escaped length is not grown.
inline const char* jsonAppendUnicodeEscapes(const char* p, const char* end, std::string& out)
{
    constexpr std::size_t kChunk = 256, kLeast = 32;
    for (;;) {
        const std::size_t length = out.size();
        const std::size_t spare = std::max(out.capacity() - length, kLeast);
        out.resize(length + std::min({ static_cast<std::size_t>(end - p) / 2 + 4, spare, kChunk }));
        char* const outEnd = out.data() + out.size();
        const JsonEscapeRun run = jsonUnicodeEscapeRun(p, end, out.data() + length, outEnd);
        out.resize(static_cast<std::size_t>(run.out - out.data()));
        p = run.next;
        if (outEnd - run.out >= 4)
            return p;
    }
}

// A number's digits as the parser found them: [digits, wholeEnd) the whole
// part without its sign; for a decimal, "." at wholeEnd and the fraction up
// to `end`.
//
// A whole number of up to 18 digits, which cannot overflow; nothing for a
// longer one.
inline std::optional<long long> jsonShortInteger(const char* digits, const char* wholeEnd)
{
    if (wholeEnd - digits > 18)
        return std::nullopt;
    long long value = 0;
    for (const char* p = digits; p != wholeEnd; ++p)
        value = value * 10 + (*p - '0');
    return value;
}

// A decimal without exponent of up to 15 digits in all: the digits as an
// integer and the power of ten below them are both exact doubles, so one
// division gives the correctly rounded value, as strtod would. Nothing for
// a longer one.
inline std::optional<double> jsonShortDecimal(const char* digits, const char* wholeEnd, const char* end)
{
    static constexpr double kPowersOfTen[] = { 1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                               1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15 };
    const std::ptrdiff_t fraction = end - wholeEnd - 1;
    if ((wholeEnd - digits) + fraction > 15)
        return std::nullopt;
    unsigned long long all = 0;
    for (const char* p = digits; p != end; ++p)
        if (p != wholeEnd)
            all = all * 10 + static_cast<unsigned>(*p - '0');
    return double(all) / kPowersOfTen[fraction];
}

}
