#include "platform/foundation/Text.h"

#include <algorithm>
#include <cstring>

namespace pf {

namespace {

// Decodes one character at `i`; answers its code point and advances `i`.
// Invalid or truncated sequences yield U+FFFD and consume one byte.
char32_t decodeOne(std::string_view s, std::size_t& i)
{
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char c = byte(i);
    if (c < 0x80) {
        ++i;
        return c;
    }
    int extra = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if ((c & 0xE0) == 0xC0) {
        extra = 1, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3, cp = c & 0x07, min = 0x10000;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + static_cast<std::size_t>(extra) >= s.size()) {
        ++i;
        return 0xFFFD;
    }
    for (int k = 1; k <= extra; ++k) {
        unsigned char cc = byte(i + static_cast<std::size_t>(k));
        if ((cc & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return 0xFFFD;
    }
    i += static_cast<std::size_t>(extra) + 1;
    return cp;
}


}

std::size_t utf16Length(std::string_view utf8)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            ++i;
            ++n;
            continue;
        }
        n += decodeOne(utf8, i) >= 0x10000 ? 2 : 1;
    }
    return n;
}

std::size_t utf8OffsetOfUtf16Index(std::string_view utf8, std::size_t index)
{
    std::size_t units = 0;
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::size_t start = i;
        std::size_t width = decodeOne(utf8, i) >= 0x10000 ? 2 : 1;
        if (units + width > index)
            return start;
        units += width;
    }
    return utf8.size();
}

std::string utf16Substring(std::string_view utf8, std::size_t location, std::size_t length)
{
    std::size_t begin = utf8OffsetOfUtf16Index(utf8, location);
    std::size_t end = length > static_cast<std::size_t>(-1) - location ? utf8.size()
                                                                        : utf8OffsetOfUtf16Index(utf8, location + length);
    if (end < begin)
        end = begin;
    return std::string(utf8.substr(begin, end - begin));
}

std::u16string toUtf16(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = decodeOne(utf8, i);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string fromUtf16(std::u16string_view utf16)
{
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t u = utf16[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

bool isValidUtf8(std::string_view bytes)
{
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p != end) {
        // ASCII, the bulk of most text, eight bytes at a time.
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if (word & 0x8080808080808080ULL)
                break;
            p += 8;
        }
        while (p != end && static_cast<unsigned char>(*p) < 0x80)
            ++p;
        if (p == end)
            break;
        std::size_t run = utf8MultibyteRun(std::string_view(p, static_cast<std::size_t>(end - p)));
        if (run == 0)
            return false;
        p += run;
    }
    return true;
}

std::size_t utf8MultibyteRun(std::string_view bytes)
{
    auto* start = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char* p = start;
    const unsigned char* end = start + bytes.size();
    auto continuation = [](unsigned char c) { return (c & 0xC0) == 0x80; };
    while (p != end) {
        unsigned char c = *p;
        auto left = end - p;
        // The second byte's range rules out overlong forms, surrogates and
        // code points past U+10FFFF without decoding.
        if (c >= 0xC2 && c <= 0xDF && left >= 2 && continuation(p[1])) {
            p += 2;
        } else if (c >= 0xE0 && c <= 0xEF && left >= 3) {
            unsigned char low = c == 0xE0 ? 0xA0 : 0x80, high = c == 0xED ? 0x9F : 0xBF;
            if (p[1] < low || p[1] > high || !continuation(p[2]))
                break;
            p += 3;
        } else if (c >= 0xF0 && c <= 0xF4 && left >= 4) {
            unsigned char low = c == 0xF0 ? 0x90 : 0x80, high = c == 0xF4 ? 0x8F : 0xBF;
            if (p[1] < low || p[1] > high || !continuation(p[2]) || !continuation(p[3]))
                break;
            p += 4;
        } else {
            break; // ASCII, a stray or invalid byte, or a cut sequence
        }
    }
    return static_cast<std::size_t>(p - start);
}

std::string dropInvalidUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t before = i;
        char32_t cp = decodeOne(bytes, i);
        if (cp == 0xFFFD && i == before + 1)
            continue;
        out.append(bytes.substr(before, i - before));
    }
    return out;
}

void appendUtf8(std::string& out, char32_t cp)
{
    char bytes[4];
    out.append(bytes, encodeUtf8(cp, bytes));
}

bool isUnicodeWhitespace(char32_t cp)
{
    switch (cp) {
    case 0x09: case 0x0A: case 0x0B: case 0x0C: case 0x0D: case 0x20:
    case 0x85: case 0xA0: case 0x1680:
    case 0x2028: case 0x2029: case 0x202F: case 0x205F: case 0x3000:
        return true;
    default:
        return cp >= 0x2000 && cp <= 0x200A;
    }
}

bool isDefaultIgnorable(char32_t cp)
{
    if (cp < 0x2000) {
        return cp == 0xAD || cp == 0x34F || cp == 0x61C || (cp >= 0x115F && cp <= 0x1160)
            || (cp >= 0x17B4 && cp <= 0x17B5) || (cp >= 0x180B && cp <= 0x180F);
    }
    if (cp < 0x3000)
        return (cp >= 0x200B && cp <= 0x200F) || (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2060 && cp <= 0x206F);
    if (cp < 0x10000) {
        return cp == 0x3164 || (cp >= 0xFE00 && cp <= 0xFE0F) || cp == 0xFEFF || cp == 0xFFA0
            || (cp >= 0xFFF0 && cp <= 0xFFF8);
    }
    return (cp >= 0x1BCA0 && cp <= 0x1BCA3) || (cp >= 0x1D173 && cp <= 0x1D17A) || (cp >= 0xE0000 && cp <= 0xE0FFF);
}

bool isInvisibleText(std::string_view utf8)
{
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = decodeOne(utf8, i);
        if (!isUnicodeWhitespace(cp) && !isDefaultIgnorable(cp))
            return false;
    }
    return true;
}

std::string trimWhitespaceAndNewlines(std::string_view utf8)
{
    std::size_t begin = utf8.size(), end = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t at = i;
        // An invalid byte decodes as U+FFFD, which is no white space: it stays.
        if (!isUnicodeWhitespace(decodeOne(utf8, i))) {
            begin = std::min(begin, at);
            end = i;
        }
    }
    return begin < end ? std::string(utf8.substr(begin, end - begin)) : std::string();
}

}
