#include "sdk/analytics/TXJKParser.h"
#include "platform/foundation/Text.h"

#include "platform/foundation/Collections.h"
#include "sdk/analytics/TXJSONDecoder.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

enum ValueType : std::uint8_t { kString = 1, kLongLong = 2, kUnsigned = 3, kDouble = 4 };

std::uint32_t hashStep(std::uint32_t h, std::uint8_t byte) { return ((byte + h + (h << 5)) - 29) ^ (h >> 19); }

std::uint32_t hashBytes(std::uint32_t seed, const void* data, std::size_t length)
{
    auto* bytes = static_cast<const std::uint8_t*>(data);
    std::uint32_t h = seed;
    for (std::size_t i = 0; i < length; ++i)
        h = hashStep(h, bytes[i]);
    return h;
}

constexpr std::uint32_t kReplacement = 0xFFFD;

}

// One parse over one text; the decoder keeps the cache between parses.
class TXJKParser {
public:
    TXJKParser(TXJSONDecoder& decoder, const char* text, std::size_t length)
        : m_decoder(decoder), m_options(decoder.m_options), m_p(reinterpret_cast<const std::uint8_t*>(text)),
          m_length(length)
    {
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

    // Whitespace, line ends and (with the option) comments.
    void skipSpace()
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
        return std::string(reinterpret_cast<const char*>(m_p + m_index), n);
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
        case '"': return parseString();
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
        auto array = std::make_shared<pf::Array>();
        if (peek() == ']' && !atEnd()) {
            ++m_index;
            return pf::Value(array);
        }
        for (;;) {
            if (atEnd())
                return failAtEnd(), pf::Value();
            pf::Value member = parseValue(depth);
            if (m_failed)
                return {};
            array->add(std::move(member));
            skipSpace();
            if (m_failed)
                return {};
            if (atEnd())
                return failAtEnd(), pf::Value();
            if (peek() == ']') {
                ++m_index;
                return pf::Value(array);
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

    pf::Value parseObject(int depth)
    {
        if (!enter(depth))
            return {};
        auto dictionary = std::make_shared<pf::Dictionary>();
        if (peek() == '}' && !atEnd()) {
            ++m_index;
            return pf::Value(dictionary);
        }
        for (;;) {
            if (atEnd())
                return failAtEnd(), pf::Value();
            if (peek() != '"')
                return fail("Expected a \"STRING\" or a '}', not '" + tokenText() + "'"), pf::Value();
            pf::Value key = parseString();
            if (m_failed)
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
            dictionary->set(*key.string(), std::move(value));
            skipSpace();
            if (m_failed)
                return {};
            if (atEnd())
                return failAtEnd(), pf::Value();
            if (peek() == '}') {
                ++m_index;
                return pf::Value(dictionary);
            }
            if (peek() != ',')
                return fail("Expected a comma or a '}', not '" + tokenText() + "'"), pf::Value();
            ++m_index;
            skipSpace();
            if (m_failed)
                return {};
        }
    }

    // Reads four hexadecimal digits after "\u"; false after recording the error.
    bool readHex4(std::uint32_t& out)
    {
        out = 0;
        for (int i = 0; i < 4; ++i) {
            if (atEnd())
                return failAtEnd(), false;
            std::uint8_t c = peek();
            int digit = (c >= '0' && c <= '9') ? c - '0'
                        : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                        : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                 : -1;
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

    // One raw UTF-8 sequence starting at a byte >= 0x80.
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
            else if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
                if (!loose())
                    return fail("Illegal UTF8 sequence found in \"\" string."), false;
                m_index += taken;
                pf::appendUtf8(out, kReplacement);
                return true;
            }
        }
        if (bad) {
            if (!loose())
                return fail("Illegal UTF8 sequence found in \"\" string."), false;
            m_index += taken;
            pf::appendUtf8(out, kReplacement);
            return true;
        }
        out.append(reinterpret_cast<const char*>(m_p + m_index), taken);
        m_index += taken;
        return true;
    }

    pf::Value parseString()
    {
        ++m_index; // opening quote
        std::size_t start = m_index;
        // Fast scan: plain ASCII without escapes is taken as it stands.
        while (!atEnd()) {
            std::uint8_t c = peek();
            if (c == '"' || c == '\\' || c < 0x20 || c >= 0x80)
                break;
            ++m_index;
        }
        std::string text;
        bool plain = !atEnd() && peek() == '"';
        if (!plain) {
            text.assign(reinterpret_cast<const char*>(m_p + start), m_index - start);
            for (;;) {
                if (atEnd())
                    return failAtEnd(), pf::Value();
                std::uint8_t c = peek();
                if (c == '"')
                    break;
                if (c < 0x20) {
                    char message[80];
                    std::snprintf(message, sizeof message, "Invalid character < 0x20 found in string: 0x%2.2x.", c);
                    return fail(message), pf::Value();
                }
                if (c == '\\') {
                    ++m_index;
                    if (!readEscape(text))
                        return {};
                } else if (c >= 0x80) {
                    if (!readUTF8(text))
                        return {};
                } else {
                    text += static_cast<char>(c);
                    ++m_index;
                }
            }
        }
        const char* raw = reinterpret_cast<const char*>(m_p + start);
        std::size_t rawLength = m_index - start;
        ++m_index; // closing quote
        std::uint32_t hash = hashBytes(kString, raw, rawLength);
        std::size_t slot = 0;
        if (const pf::Value* hit = m_decoder.cacheLookup(hash, kString, raw, rawLength, &slot))
            return *hit;
        pf::Value value(plain ? std::string(raw, rawLength) : std::move(text));
        m_decoder.cacheStore(slot, hash, kString, raw, rawLength, value);
        return value;
    }

    pf::Value parseNumber()
    {
        std::size_t start = m_index;
        bool real = false;
        if (peek() == '-')
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
        if (!atEnd() && peek() == '.') {
            real = true;
            ++m_index;
            if (atEnd() || !std::isdigit(peek()))
                return atEnd() ? failAtEnd() : fail("Invalid number."), pf::Value();
            while (!atEnd() && std::isdigit(peek()))
                ++m_index;
        }
        if (!atEnd() && (peek() == 'e' || peek() == 'E')) {
            real = true;
            ++m_index;
            if (!atEnd() && (peek() == '+' || peek() == '-'))
                ++m_index;
            if (atEnd() || !std::isdigit(peek()))
                return atEnd() ? failAtEnd() : fail("Invalid number."), pf::Value();
            while (!atEnd() && std::isdigit(peek()))
                ++m_index;
        }
        std::string token(reinterpret_cast<const char*>(m_p + start), m_index - start);
        if (token == "-0")
            real = true;
        char message[256];
        char* end = nullptr;
        errno = 0;
        pf::Value value;
        std::uint8_t type = 0;
        union {
            long long s;
            unsigned long long u;
            double d;
        } scalar{};
        if (real) {
            scalar.d = std::strtod(token.c_str(), &end);
            if (errno == ERANGE && (scalar.d == 0 || scalar.d == HUGE_VAL || scalar.d == -HUGE_VAL)) {
                std::snprintf(message, sizeof message, "The value '%s' could not be represented as a 'double' due to %s.",
                              token.c_str(), scalar.d == 0 ? "underflow" : "overflow");
                return fail(message), pf::Value();
            }
            type = kDouble;
        } else if (token[0] == '-') {
            scalar.s = std::strtoll(token.c_str(), &end, 10);
            if (errno == ERANGE) {
                std::snprintf(message, sizeof message,
                              "The value '%s' exceeded the minimum value that could be represented: %lld.",
                              token.c_str(), LLONG_MIN);
                return fail(message), pf::Value();
            }
            type = kLongLong;
        } else {
            scalar.u = std::strtoull(token.c_str(), &end, 10);
            if (errno == ERANGE) {
                std::snprintf(message, sizeof message,
                              "The value '%s' exceeded the maximum value that could be represented: %llu.",
                              token.c_str(), ULLONG_MAX);
                return fail(message), pf::Value();
            }
            type = scalar.u >= (1ULL << 63) ? kUnsigned : kLongLong;
        }
        if (end != token.c_str() + token.size())
            return fail("The conversion function did not consume all of the number tokens characters."), pf::Value();
        std::uint32_t hash = hashBytes(type, &scalar, sizeof scalar);
        std::size_t slot = 0;
        if (const pf::Value* hit = m_decoder.cacheLookup(hash, type, token.data(), token.size(), &slot))
            return *hit;
        if (type == kDouble)
            value = pf::Value::number(pf::NumberType::Double, scalar.d);
        else if (type == kUnsigned)
            value = pf::Value::unsignedNumber(scalar.u);
        else
            value = pf::Value::number(pf::NumberType::LongLong, scalar.s);
        m_decoder.cacheStore(slot, hash, type, token.data(), token.size(), value);
        return value;
    }

    TXJSONDecoder& m_decoder;
    unsigned m_options;
    const std::uint8_t* m_p;
    std::size_t m_length;
    std::size_t m_index = 0;
    long m_line = 1;
    bool m_failed = false;
    TXJKError m_error;
};

pf::Value txjkParse(TXJSONDecoder& decoder, const char* text, std::size_t length, TXJKError* error)
{
    return TXJKParser(decoder, text, length).run(error);
}
