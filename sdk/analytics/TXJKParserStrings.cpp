#include "sdk/analytics/TXJKParser.h"

#include "platform/foundation/JsonText.h"
#include "platform/foundation/Text.h"
#include "sdk/analytics/TXJSONDecoder.h"

#include <cstdio>
#include <string_view>

namespace {

// The token cache's type of a string entry.
constexpr std::uint8_t kString = 1;

std::uint32_t hashBytes(std::uint32_t seed, const char* data, std::size_t length)
{
    std::uint32_t h = seed;
    for (std::size_t i = 0; i < length; ++i)
        h = ((static_cast<std::uint8_t>(data[i]) + h + (h << 5)) - 29) ^ (h >> 19);
    return h;
}

constexpr std::uint32_t kReplacement = 0xFFFD;

}

// Reads four hexadecimal digits after "\u"; false after recording the error.
bool TXJKParser::readHex4(std::uint32_t& out)
{
    out = 0;
    for (int i = 0; i < 4; ++i) {
        if (atEnd())
            return failAtEnd(), false;
        std::uint8_t c = peek();
        int digit = pf::hexDigitValue(static_cast<char>(c));
        if (digit < 0) {
            char message[160];
            std::snprintf(message, sizeof message,
                          "Unexpected character found in \\u Unicode escape sequence.  Found '%c', expected "
                          "[0-9a-fA-F].",
                          c);
            fail(message);
            return false;
        }
        out = out * 16 + static_cast<std::uint32_t>(digit);
        ++m_index;
    }
    return true;
}

// One escape after the backslash has been consumed.
bool TXJKParser::readEscape(std::string& out)
{
    if (atEnd())
        return failAtEnd(), false;
    std::uint8_t c = peek();
    ++m_index;
    switch (c) {
    case '"': out += '"'; return true;
    case '\\': out += '\\'; return true;
    case '/': out += '/'; return true;
    case 'b': out += '\b'; return true;
    case 'f': out += '\f'; return true;
    case 'n': out += '\n'; return true;
    case 'r': out += '\r'; return true;
    case 't': out += '\t'; return true;
    case 'u': break;
    default: --m_index; fail("Invalid escape sequence found in \"\" string."); return false;
    }
    std::uint32_t cp = 0;
    if (!readHex4(cp))
        return false;
    if (cp >= 0xD800 && cp <= 0xDBFF) {
        if (peek() == '\\' && peek(1) == 'u') {
            m_index += 2;
            std::uint32_t low = 0;
            if (!readHex4(low))
                return false;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                pf::appendUtf8(out, 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00));
                return true;
            }
            if (!loose())
                return fail("Illegal \\u Unicode escape sequence."), false;
            pf::appendUtf8(out, kReplacement);
            pf::appendUtf8(out, (low >= 0xD800 && low <= 0xDFFF) ? kReplacement : low);
            return true;
        }
        if (!loose())
            return fail("Required a second \\u Unicode escape sequence following a surrogate \\u Unicode escape "
                        "sequence."),
                   false;
        cp = kReplacement;
    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
        if (!loose())
            return fail("Illegal \\u Unicode escape sequence."), false;
        cp = kReplacement;
    }
    pf::appendUtf8(out, cp);
    return true;
}

// One raw UTF-8 sequence starting at a byte >= 0x80: copied when valid,
// otherwise an error, or U+FFFD in the loose mode.
bool TXJKParser::readUTF8(std::string& out)
{
    std::uint8_t lead = peek();
    std::size_t need = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    std::uint32_t cp = lead & (need == 3 ? 0x07 : need == 2 ? 0x0F : 0x1F);
    bool bad = need == 0 || lead >= 0xF8;
    std::size_t taken = 1;
    for (std::size_t i = 1; !bad && i <= need; ++i) {
        if (m_index + i >= m_length) {
            if (!loose())
                return fail("End of buffer reached while parsing UTF8 in \"\" string."), false;
            bad = true;
            break;
        }
        std::uint8_t b = m_p[m_index + i];
        if ((b & 0xC0) != 0x80) {
            bad = true;
            break;
        }
        cp = (cp << 6) | (b & 0x3F);
        ++taken;
    }
    if (!bad) {
        static const std::uint32_t minimum[4] = {0, 0x80, 0x800, 0x10000};
        if (cp < minimum[need])
            bad = true; // overlong
        else if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            bad = true;
    }
    if (bad) {
        if (!loose())
            return fail("Illegal UTF8 sequence found in \"\" string."), false;
        m_index += taken;
        pf::appendUtf8(out, kReplacement);
        return true;
    }
    out.append(m_text + m_index, taken);
    m_index += taken;
    return true;
}

// The index after the run of plain string bytes from `i`: bytes other
// than the quote, the backslash and control bytes, with valid UTF-8
// sequences taken whole. Such a run is the string's text as it stands.
std::size_t TXJKParser::plainRunEnd(std::size_t i) const
{
    return static_cast<std::size_t>(pf::jsonPlainRunEnd<pf::JsonUtf8::Checked>(m_text + i, m_text + m_length) - m_text);
}

// Reads the string from its opening quote. A plain one is left in the
// text as [start, end); any other is unescaped into `out` (and `plain`
// is false). Either way the index ends past the closing quote.
bool TXJKParser::scanString(std::size_t& start, std::size_t& end, bool& plain, std::string& out)
{
    start = ++m_index;
    m_index = plainRunEnd(m_index);
    plain = !atEnd() && peek() == '"';
    if (plain) {
        end = m_index++;
        return true;
    }
    out.assign(m_text + start, m_index - start);
    if (!unescapeRest(out))
        return false;
    end = m_index - 1;
    return true;
}

// From the first byte of a string that is not plain to past its
// closing quote, appending its characters to `out`. Runs of "\u" escapes
// of characters and whole surrogate pairs are decoded at once; every other
// escape, and each one the run stops at, goes through readEscape.
bool TXJKParser::unescapeRest(std::string& out)
{
    for (;;) {
        if (atEnd())
            return failAtEnd(), false;
        std::uint8_t c = peek();
        if (c == '"')
            break;
        if (c < 0x20) {
            char message[80];
            std::snprintf(message, sizeof message, "Invalid character < 0x20 found in string: 0x%2.2x.", c);
            return fail(message), false;
        }
        if (c == '\\') {
            const char* at = m_text + m_index;
            const char* next = pf::jsonAppendUnicodeEscapes(at, m_text + m_length, out);
            if (next != at) {
                m_index += static_cast<std::size_t>(next - at);
            } else {
                ++m_index;
                if (!readEscape(out))
                    return false;
            }
        } else if (c >= 0x80) {
            if (!readUTF8(out))
                return false;
        }
        std::size_t run = plainRunEnd(m_index);
        out.append(m_text + m_index, run - m_index);
        m_index = run;
    }
    ++m_index; // closing quote
    return true;
}

bool TXJKParser::parseKey(Key& key)
{
    std::size_t start = 0, end = 0;
    bool plain = false;
    m_scratch.clear();
    if (!scanString(start, end, plain, m_scratch))
        return false;
    key = plain ? m_stack.textKey(m_text + start, m_text + end) : m_stack.arenaKey(m_scratch);
    return true;
}

// The index of the closing quote of the string whose text starts at
// `i`, stepping over escapes; npos when a control byte or the end of the
// text comes first (the string then fails to parse).
std::size_t TXJKParser::closingQuote(std::size_t i) const
{
    for (; i < m_length; ++i) {
        std::uint8_t c = m_p[i];
        if (c == '"')
            return i;
        if (c < 0x20)
            break;
        if (c == '\\')
            ++i;
    }
    return std::string::npos;
}

// Plain strings are made straight from the text: a cached copy would
// cost what making one does. Strings with escapes or replaced bytes go
// through the token cache, keyed by their bytes in the text, so a
// repeated one is not unescaped again.
pf::Value TXJKParser::parseStringValue()
{
    std::size_t start = m_index + 1;
    std::size_t run = plainRunEnd(start);
    if (run < m_length && m_p[run] == '"') {
        m_index = run + 1;
        return pf::Value(std::string(m_text + start, run - start));
    }
    std::size_t quote = closingQuote(run);
    std::uint32_t hash = 0;
    std::size_t slot = TXJSONDecoder::kCacheSize;
    if (quote != std::string::npos) {
        hash = hashBytes(kString, m_text + start, quote - start);
        if (const pf::Value* hit = m_decoder.cacheLookup(hash, kString, m_text + start, quote - start, &slot)) {
            m_index = quote + 1;
            return *hit;
        }
    }
    std::string text;
    if (quote != std::string::npos)
        text.reserve(quote - start);
    text.assign(m_text + start, run - start);
    m_index = run;
    if (!unescapeRest(text))
        return {};
    pf::Value value(std::move(text));
    m_decoder.cacheStore(slot, hash, kString, m_text + start, m_index - 1 - start, value);
    return value;
}
