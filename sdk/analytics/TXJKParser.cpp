#include "sdk/analytics/TXJKParser.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Text.h"
#include "sdk/analytics/TXJSONDecoder.h"

#include <bit>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

enum ValueType : std::uint8_t { kString = 1, kLongLong = 2, kUnsigned = 3, kDouble = 4 };

std::uint32_t hashBytes(std::uint32_t seed, const char* data, std::size_t length)
{
    std::uint32_t h = seed;
    for (std::size_t i = 0; i < length; ++i)
        h = ((static_cast<std::uint8_t>(data[i]) + h + (h << 5)) - 29) ^ (h >> 19);
    return h;
}

constexpr std::uint32_t kReplacement = 0xFFFD;

// The bytes of an eight-byte word that end a run of plain string bytes (a
// quote, a backslash, a byte below 0x20 or one of 0x80 and above, whose
// sequence is checked on the way) as high bits: the lowest one set marks the
// first such byte exactly (a borrow only runs upward from a true hit, so the
// bits above it may be false alarms).
inline std::uint64_t plainRunStops(std::uint64_t word)
{
    constexpr std::uint64_t ones = 0x0101010101010101ULL, highs = 0x8080808080808080ULL;
    auto zeroBytes = [](std::uint64_t v) { return (v - ones) & ~v & highs; };
    std::uint64_t control = (word - ones * 0x20) & ~word & highs;
    return control | zeroBytes(word ^ (ones * '"')) | zeroBytes(word ^ (ones * '\\')) | (word & highs);
}

inline bool isPlainAscii(std::uint8_t c) { return c >= 0x20 && c < 0x80 && c != '"' && c != '\\'; }

// Plain decimals of up to 15 digits with a fraction and no exponent, nearly
// every real of an answer: the digits as an integer and the power of ten
// below them are both exact doubles, so one division gives the correctly
// rounded value, as strtod would.
constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

}

// One parse over one text; the decoder keeps the cache between parses.
//
// Arrays and objects collect their members on one object stack and are made
// in one step, with room for exactly their members, when they close. Keys
// without escapes stay views into the text until then; unescaped ones wait
// in an arena that each object gives back when it closes.
class TXJKParser {
public:
    TXJKParser(TXJSONDecoder& decoder, const char* text, std::size_t length)
        : m_decoder(decoder), m_options(decoder.m_options), m_text(text),
          m_p(reinterpret_cast<const std::uint8_t*>(text)), m_length(length)
    {
        m_values.reserve(64);
        m_keys.reserve(64);
    }

    pf::Value run(TXJKError* error)
    {
        skipSpace();
        pf::Value result;
        if (m_failed) {
        } else if (atEnd()) {
            fail("Reached the end of the buffer.");
        } else if (peek() != '[' && peek() != '{') {
            fail("Expected either '[' or '{'.");
        } else {
            result = parseValue(0);
            if (!m_failed) {
                skipSpace();
                if (!m_failed && !atEnd() && !(m_options & TXJKParseOptionPermitTextAfterValidJSON))
                    fail("A valid JSON object was parsed but there were additional non-white-space characters "
                         "remaining.");
            }
        }
        if (m_failed) {
            if (error)
                *error = m_error;
            return {};
        }
        return result;
    }

private:
    // A key of an open object: bytes of the text, or of the arena when it
    // was unescaped.
    struct Key {
        std::size_t offset;
        std::size_t length;
        bool inArena;
    };

    bool atEnd() const { return m_index >= m_length; }
    std::uint8_t peek(std::size_t ahead = 0) const { return m_index + ahead < m_length ? m_p[m_index + ahead] : 0; }

    void fail(std::string message)
    {
        if (m_failed)
            return;
        m_failed = true;
        m_error.description = std::move(message);
        m_error.atIndex = m_index;
        m_error.lineNumber = m_line;
    }
    void failAtEnd() { fail("Reached the end of the buffer."); }

    void newLine(std::size_t width)
    {
        m_index += width;
        ++m_line;
    }

    // Compact text has nothing to skip between most tokens: one test says so.
    void skipSpace()
    {
        if (m_index < m_length) {
            std::uint8_t c = m_p[m_index];
            if (c > ' ' && c != '/' && c < 0x80)
                return;
        }
        skipSpaceAndComments();
    }

    // Whitespace, line ends and (with the options) comments and Unicode line ends.
    void skipSpaceAndComments()
    {
        while (!atEnd()) {
            std::uint8_t c = peek();
            if (c == ' ' || c == '\t') {
                ++m_index;
            } else if (c == '\n') {
                newLine(1);
            } else if (c == '\r') {
                newLine(peek(1) == '\n' ? 2 : 1);
            } else if ((m_options & TXJKParseOptionUnicodeNewlines) && c == 0xC2 && peek(1) == 0x85) {
                newLine(2);
            } else if ((m_options & TXJKParseOptionUnicodeNewlines) && c == 0xE2 && peek(1) == 0x80 &&
                       (peek(2) == 0xA8 || peek(2) == 0xA9)) {
                newLine(3);
            } else if ((m_options & TXJKParseOptionComments) && c == '/' && peek(1) == '/') {
                while (!atEnd() && peek() != '\n' && peek() != '\r')
                    ++m_index;
            } else if ((m_options & TXJKParseOptionComments) && c == '/' && peek(1) == '*') {
                m_index += 2;
                while (!atEnd() && !(peek() == '*' && peek(1) == '/')) {
                    if (peek() == '\n' || (peek() == '\r' && peek(1) != '\n'))
                        ++m_line;
                    ++m_index;
                }
                if (atEnd())
                    return failAtEnd();
                m_index += 2;
            } else {
                return;
            }
        }
    }

    std::string tokenText() const
    {
        if (atEnd())
            return {};
        std::size_t n = 1;
        while (m_index + n < m_length && n < 16 && std::isalnum(m_p[m_index + n]) && std::isalnum(m_p[m_index]))
            ++n;
        return std::string(m_text + m_index, n);
    }

    pf::Value parseValue(int depth)
    {
        if (atEnd()) {
            failAtEnd();
            return {};
        }
        std::uint8_t c = peek();
        switch (c) {
        case '[': return parseArray(depth + 1);
        case '{': return parseObject(depth + 1);
        case '"': return parseStringValue();
        case ',': fail("Unexpected ','."); return {};
        case ']': fail("Unexpected ']'."); return {};
        case '}': fail("Unexpected '}'."); return {};
        default: break;
        }
        if (c == '-' || (c >= '0' && c <= '9'))
            return parseNumber();
        if (matchLiteral("true"))
            return pf::Value(true);
        if (matchLiteral("false"))
            return pf::Value(false);
        if (matchLiteral("null"))
            return pf::Value::null();
        if (!m_failed)
            fail("Unexpected token, wanted '{', '}', '[', ']', ',', ':', 'true', 'false', 'null', '\"STRING\"', "
                 "'NUMBER'.");
        return {};
    }

    bool matchLiteral(const char* word)
    {
        std::size_t n = std::strlen(word);
        if (m_index + n > m_length) {
            if (std::memcmp(m_p + m_index, word, m_length - m_index) == 0) {
                m_index = m_length;
                failAtEnd();
            }
            return false;
        }
        if (std::memcmp(m_p + m_index, word, n) != 0)
            return false;
        m_index += n;
        return true;
    }

    bool enter(int depth)
    {
        if (depth > TXJSONDecoder::kMaxDepth) {
            fail("Nesting deeper than 512 levels.");
            return false;
        }
        ++m_index;
        skipSpace();
        return !m_failed;
    }

    pf::Value parseArray(int depth)
    {
        if (!enter(depth))
            return {};
        if (peek() == ']' && !atEnd()) {
            ++m_index;
            return pf::Value(pf::Array::create());
        }
        const std::size_t base = m_values.size();
        for (;;) {
            if (atEnd())
                return failAtEnd(), pf::Value();
            pf::Value member = parseValue(depth);
            if (m_failed)
                return {};
            m_values.push_back(std::move(member));
            skipSpace();
            if (m_failed)
                return {};
            if (atEnd())
                return failAtEnd(), pf::Value();
            if (peek() == ']') {
                ++m_index;
                return makeArray(base);
            }
            if (peek() != ',')
                return fail("Expected a comma or a ']', not '" + tokenText() + "'"), pf::Value();
            ++m_index;
            skipSpace();
            if (m_failed)
                return {};
            if (peek() == ']' && !atEnd())
                return fail("Expected a value, not ']'"), pf::Value();
        }
    }

    pf::Value makeArray(std::size_t base)
    {
        auto array = pf::Array::create();
        array->reserve(m_values.size() - base);
        for (std::size_t i = base; i < m_values.size(); ++i)
            array->add(std::move(m_values[i]));
        m_values.erase(m_values.begin() + static_cast<std::ptrdiff_t>(base), m_values.end());
        return pf::Value(std::move(array));
    }

    // One of 64 buckets for a key, from its length and three of its bytes.
    static unsigned keyBucket(std::string_view key)
    {
        std::uint64_t mix = key.size();
        if (!key.empty())
            mix |= std::uint64_t(std::uint8_t(key.front())) << 8 | std::uint64_t(std::uint8_t(key.back())) << 16 |
                   std::uint64_t(std::uint8_t(key[key.size() / 2])) << 24;
        return unsigned((mix * 0x9E3779B97F4A7C15ULL) >> 58);
    }

    std::string_view keyText(const Key& key) const
    {
        return std::string_view((key.inArena ? m_arena.data() : m_text) + key.offset, key.length);
    }

    pf::Value parseObject(int depth)
    {
        if (!enter(depth))
            return {};
        if (peek() == '}' && !atEnd()) {
            ++m_index;
            return pf::Value(pf::Dictionary::create());
        }
        const std::size_t valueBase = m_values.size(), keyBase = m_keys.size(), arenaBase = m_arena.size();
        // One bit per key bucket seen: a key whose bit is clear is new to
        // this object, so only the others are looked for.
        std::uint64_t buckets = 0;
        for (;;) {
            if (atEnd())
                return failAtEnd(), pf::Value();
            if (peek() != '"')
                return fail("Expected a \"STRING\" or a '}', not '" + tokenText() + "'"), pf::Value();
            Key key;
            if (!parseKey(key))
                return {};
            skipSpace();
            if (m_failed)
                return {};
            if (atEnd())
                return failAtEnd(), pf::Value();
            if (peek() != ':')
                return fail("Expected ':'."), pf::Value();
            ++m_index;
            skipSpace();
            if (m_failed)
                return {};
            pf::Value value = parseValue(depth);
            if (m_failed)
                return {};
            addMember(key, std::move(value), keyBase, valueBase, buckets);
            skipSpace();
            if (m_failed)
                return {};
            if (atEnd())
                return failAtEnd(), pf::Value();
            if (peek() == '}') {
                ++m_index;
                return makeDictionary(valueBase, keyBase, arenaBase);
            }
            if (peek() != ',')
                return fail("Expected a comma or a '}', not '" + tokenText() + "'"), pf::Value();
            ++m_index;
            skipSpace();
            if (m_failed)
                return {};
        }
    }

    // A key given twice keeps its first place and takes the later value.
    void addMember(const Key& key, pf::Value&& value, std::size_t keyBase, std::size_t valueBase, std::uint64_t& buckets)
    {
        std::string_view name = keyText(key);
        std::uint64_t bit = std::uint64_t(1) << keyBucket(name);
        if (buckets & bit) {
            for (std::size_t i = keyBase; i < m_keys.size(); ++i) {
                if (keyText(m_keys[i]) == name) {
                    m_values[valueBase + (i - keyBase)] = std::move(value);
                    return;
                }
            }
        }
        buckets |= bit;
        m_keys.push_back(key);
        m_values.push_back(std::move(value));
    }

    pf::Value makeDictionary(std::size_t valueBase, std::size_t keyBase, std::size_t arenaBase)
    {
        auto dictionary = pf::Dictionary::create();
        dictionary->reserve(m_keys.size() - keyBase);
        for (std::size_t i = keyBase; i < m_keys.size(); ++i)
            dictionary->addAbsent(keyText(m_keys[i]), std::move(m_values[valueBase + (i - keyBase)]));
        m_values.erase(m_values.begin() + static_cast<std::ptrdiff_t>(valueBase), m_values.end());
        m_keys.resize(keyBase);
        m_arena.resize(arenaBase);
        return pf::Value(std::move(dictionary));
    }

    // Reads four hexadecimal digits after "\u"; false after recording the error.
    bool readHex4(std::uint32_t& out)
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

    bool loose() const { return m_options & TXJKParseOptionLooseUnicode; }

    // One escape after the backslash has been consumed.
    bool readEscape(std::string& out)
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
    bool readUTF8(std::string& out)
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
    std::size_t plainRunEnd(std::size_t i) const
    {
        static_assert(std::endian::native == std::endian::little, "the first byte of a word is its lowest");
        const char* p = m_text + i;
        const char* end = m_text + m_length;
        for (;;) {
            while (end - p >= 8) {
                std::uint64_t word;
                std::memcpy(&word, p, 8);
                if (std::uint64_t stops = plainRunStops(word)) {
                    p += std::countr_zero(stops) / 8;
                    break;
                }
                p += 8;
            }
            while (p != end && isPlainAscii(static_cast<std::uint8_t>(*p)))
                ++p;
            if (p == end || static_cast<std::uint8_t>(*p) < 0x80)
                break;
            std::size_t run = pf::utf8MultibyteRun(std::string_view(p, static_cast<std::size_t>(end - p)));
            if (run == 0)
                break; // an invalid sequence: the careful path decides
            p += run;
        }
        return static_cast<std::size_t>(p - m_text);
    }

    // Reads the string from its opening quote. A plain one is left in the
    // text as [start, end); any other is unescaped into `out` (and `plain`
    // is false). Either way the index ends past the closing quote.
    bool scanString(std::size_t& start, std::size_t& end, bool& plain, std::string& out)
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
    // closing quote, appending its characters to `out`.
    bool unescapeRest(std::string& out)
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
                ++m_index;
                if (!readEscape(out))
                    return false;
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

    bool parseKey(Key& key)
    {
        std::size_t start = 0, end = 0;
        bool plain = false;
        m_scratch.clear();
        if (!scanString(start, end, plain, m_scratch))
            return false;
        if (plain) {
            key = {start, end - start, false};
        } else {
            key = {m_arena.size(), m_scratch.size(), true};
            m_arena += m_scratch;
        }
        return true;
    }

    // The index of the closing quote of the string whose text starts at
    // `i`, stepping over escapes; npos when a control byte or the end of the
    // text comes first (the string then fails to parse).
    std::size_t closingQuote(std::size_t i) const
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
    pf::Value parseStringValue()
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

    pf::Value parseNumber()
    {
        std::size_t start = m_index;
        bool real = false;
        bool exponent = false;
        bool negative = peek() == '-';
        if (negative)
            ++m_index;
        if (atEnd())
            return failAtEnd(), pf::Value();
        if (peek() == '0') {
            ++m_index;
        } else if (peek() >= '1' && peek() <= '9') {
            while (!atEnd() && std::isdigit(peek()))
                ++m_index;
        } else {
            return fail("Invalid number."), pf::Value();
        }
        std::size_t wholeEnd = m_index;
        if (!atEnd() && peek() == '.') {
            real = true;
            ++m_index;
            if (atEnd() || !std::isdigit(peek()))
                return atEnd() ? failAtEnd() : fail("Invalid number."), pf::Value();
            while (!atEnd() && std::isdigit(peek()))
                ++m_index;
        }
        if (!atEnd() && (peek() == 'e' || peek() == 'E')) {
            real = exponent = true;
            ++m_index;
            if (!atEnd() && (peek() == '+' || peek() == '-'))
                ++m_index;
            if (atEnd() || !std::isdigit(peek()))
                return atEnd() ? failAtEnd() : fail("Invalid number."), pf::Value();
            while (!atEnd() && std::isdigit(peek()))
                ++m_index;
        }
        const std::size_t digitsStart = start + (negative ? 1 : 0);
        const std::size_t wholeDigits = wholeEnd - digitsStart;
        // Integers of up to 18 digits cannot overflow, and plain decimals
        // convert exactly, without the general conversions below.
        if (!real && wholeDigits <= 18) {
            long long value = 0;
            for (std::size_t i = digitsStart; i < wholeEnd; ++i)
                value = value * 10 + (m_p[i] - '0');
            if (negative && value == 0)
                return pf::Value::number(pf::NumberType::Double, -0.0); // "-0" is a double
            return pf::Value::number(pf::NumberType::LongLong, negative ? -value : value);
        }
        if (real && !exponent) {
            const std::size_t fraction = m_index - wholeEnd - 1;
            if (wholeDigits + fraction <= 15) {
                unsigned long long digits = 0;
                for (std::size_t i = digitsStart; i < m_index; ++i)
                    if (i != wholeEnd)
                        digits = digits * 10 + (m_p[i] - '0');
                double value = double(digits) / kPowersOfTen[fraction];
                return pf::Value::number(pf::NumberType::Double, negative ? -value : value);
            }
        }
        return convertNumber(std::string(m_text + start, m_index - start), real);
    }

    pf::Value convertNumber(const std::string& token, bool real)
    {
        char message[256];
        char* end = nullptr;
        errno = 0;
        pf::Value value;
        if (real) {
            double d = std::strtod(token.c_str(), &end);
            if (errno == ERANGE && (d == 0 || d == HUGE_VAL || d == -HUGE_VAL)) {
                std::snprintf(message, sizeof message, "The value '%s' could not be represented as a 'double' due to %s.",
                              token.c_str(), d == 0 ? "underflow" : "overflow");
                return fail(message), pf::Value();
            }
            value = pf::Value::number(pf::NumberType::Double, d);
        } else if (token[0] == '-') {
            long long s = std::strtoll(token.c_str(), &end, 10);
            if (errno == ERANGE) {
                std::snprintf(message, sizeof message,
                              "The value '%s' exceeded the minimum value that could be represented: %lld.",
                              token.c_str(), LLONG_MIN);
                return fail(message), pf::Value();
            }
            value = pf::Value::number(pf::NumberType::LongLong, s);
        } else {
            unsigned long long u = std::strtoull(token.c_str(), &end, 10);
            if (errno == ERANGE) {
                std::snprintf(message, sizeof message,
                              "The value '%s' exceeded the maximum value that could be represented: %llu.",
                              token.c_str(), ULLONG_MAX);
                return fail(message), pf::Value();
            }
            value = u >= (1ULL << 63) ? pf::Value::unsignedNumber(u)
                                      : pf::Value::number(pf::NumberType::LongLong, static_cast<long long>(u));
        }
        if (end != token.c_str() + token.size())
            return fail("The conversion function did not consume all of the number tokens characters."), pf::Value();
        return value;
    }

    TXJSONDecoder& m_decoder;
    unsigned m_options;
    const char* m_text;
    const std::uint8_t* m_p;
    std::size_t m_length;
    std::size_t m_index = 0;
    long m_line = 1;
    bool m_failed = false;
    TXJKError m_error;
    // The object stack: members of the open arrays and objects, innermost last.
    std::vector<pf::Value> m_values;
    std::vector<Key> m_keys;
    std::string m_arena;
    std::string m_scratch;
};

pf::Value txjkParse(TXJSONDecoder& decoder, const char* text, std::size_t length, TXJKError* error)
{
    return TXJKParser(decoder, text, length).run(error);
}
