#include "sdk/zz/CVOSDKEZJSONParser.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Decimal.h"
#include "platform/foundation/JsonText.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The character of a one-letter escape, or 0 for any other letter.
char shortEscape(char c)
{
    switch (c) {
    case '"': return '"';
    case '\\': return '\\';
    case '/': return '/';
    case 'b': return '\b';
    case 'f': return '\f';
    case 'n': return '\n';
    case 'r': return '\r';
    case 't': return '\t';
    default: return 0;
    }
}

std::string hexMessage(const char* format, unsigned value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// The room a run of "\u" escapes is given at once: most runs are a few
// words of escaped text.
constexpr std::size_t kEscapeRoom = 64;

// Strings take their bytes as they stand: the text was checked to be UTF-8.
constexpr auto plainRunEnd = pf::jsonPlainRunEnd<pf::JsonUtf8::Trusted>;

}

pf::Value CVOSDKEZJSONParser::objectWithString(std::optional<std::string_view> text)
{
    pf::Value value = fragmentWithString(text);
    if (value.isNil() || value.isArray() || value.isDictionary())
        return value;
    addErrorWithCode(4, "Valid fragment, but not JSON");
    return {};
}

pf::Value CVOSDKEZJSONParser::fragmentWithString(std::optional<std::string_view> text)
{
    clearErrorTrace();
    // Text that is not UTF-8 has no string form at all, so it is the nil
    // input. Checked once here, it lets the strings take their bytes as
    // they stand.
    if (!text || !pf::isValidUtf8(*text)) {
        addErrorWithCode(12, "Input was 'nil'");
        return {};
    }
    m_depth = 0;
    m_begin = m_c = text->data();
    m_end = m_c + text->size();
    m_stack.start(m_begin);
    bool ok = scanValue();
    if (ok) {
        skipWhitespace();
        if (!atEnd()) {
            addErrorWithCode(10, "Garbage after JSON");
            ok = false;
        }
    }
    pf::Value value = ok ? m_stack.takeLast() : pf::Value();
    m_stack.start(nullptr);
    m_begin = m_c = m_end = nullptr;
    return value;
}

void CVOSDKEZJSONParser::skipWhitespace()
{
    // Compact text has nothing to skip between most tokens: one test says so.
    if (m_c != m_end && static_cast<unsigned char>(*m_c) > ' ')
        return;
    while (m_c != m_end && isSpace(*m_c))
        ++m_c;
}

bool CVOSDKEZJSONParser::scanValue()
{
    skipWhitespace();
    if (atEnd()) {
        addErrorWithCode(11, "Unexpected end of string");
        return false;
    }
    char c = *m_c;
    switch (c) {
    case '"':
        ++m_c;
        return scanStringValue();
    case '[':
        ++m_c;
        return scanArray();
    case '{':
        ++m_c;
        return scanObject();
    case 't':
        return scanLiteral("true", pf::Value::boolean(true), "Expected 'true'");
    case 'f':
        return scanLiteral("false", pf::Value::boolean(false), "Expected 'false'");
    case 'n':
        return scanLiteral("null", pf::Value::null(), "Expected 'null'");
    case '+':
        addErrorWithCode(2, "Leading + disallowed in number");
        return false;
    default:
        if (c == '-' || isDigit(c))
            return scanNumber();
        addErrorWithCode(3, "Unrecognised leading character");
        return false;
    }
}

// Apart from scanValue so the string's buffer stays out of the recursion's
// stack frames.
bool CVOSDKEZJSONParser::scanStringValue()
{
    const char* start = m_c;
    const char* run = plainRunEnd(m_c, m_end);
    if (run != m_end && *run == '"') {
        m_c = run + 1;
        m_stack.push(std::string(start, run));
        return true;
    }
    std::string s(start, run);
    m_c = run;
    if (!scanRest(s))
        return false;
    m_stack.push(std::move(s));
    return true;
}

bool CVOSDKEZJSONParser::scanLiteral(std::string_view word, pf::Value value, const char* message)
{
    if (static_cast<std::size_t>(m_end - m_c) < word.size() || std::memcmp(m_c, word.data(), word.size()) != 0) {
        addErrorWithCode(3, message);
        return false;
    }
    m_c += word.size();
    m_stack.push(std::move(value));
    return true;
}

bool CVOSDKEZJSONParser::scanArray()
{
    if (!enterLevel())
        return false;
    const std::size_t base = m_stack.openArray();
    for (;;) {
        skipWhitespace();
        if (atEnd()) {
            addErrorWithCode(11, "End of input while parsing array");
            return false;
        }
        if (*m_c == ']') {
            ++m_c;
            break;
        }
        if (!scanValue()) {
            addErrorWithCode(3, "Expected value while parsing array");
            return false;
        }
        skipWhitespace();
        if (!atEnd() && *m_c == ',') {
            ++m_c;
            skipWhitespace();
            if (!atEnd() && *m_c == ']') {
                addErrorWithCode(9, "Trailing comma disallowed in array");
                return false;
            }
        }
    }
    leaveLevel();
    m_stack.push(m_stack.closeArray(base));
    return true;
}

bool CVOSDKEZJSONParser::scanObject()
{
    if (!enterLevel())
        return false;
    auto object = m_stack.openObject();
    for (;;) {
        skipWhitespace();
        if (atEnd()) {
            addErrorWithCode(11, "End of input while parsing object");
            return false;
        }
        if (*m_c == '}') {
            ++m_c;
            break;
        }
        if (*m_c != '"') {
            addErrorWithCode(3, "Object key string expected");
            return false;
        }
        ++m_c;
        Key key;
        if (!scanKey(key))
            return false;
        skipWhitespace();
        if (atEnd() || *m_c != ':') {
            addErrorWithCode(3, "Expected ':' separating key and value");
            return false;
        }
        ++m_c;
        if (!scanValue()) {
            addErrorWithCode(3, "Object value expected for key: " + std::string(m_stack.keyText(key)));
            return false;
        }
        m_stack.addMember(object, key);
        skipWhitespace();
        if (!atEnd() && *m_c == ',') {
            ++m_c;
            skipWhitespace();
            if (!atEnd() && *m_c == '}') {
                addErrorWithCode(9, "Trailing comma disallowed in object");
                return false;
            }
        }
    }
    leaveLevel();
    m_stack.push(m_stack.closeObject(object));
    return true;
}

// A key without escapes stays in the text until its object closes; an
// unescaped one waits in the arena, which the object gives back then.
bool CVOSDKEZJSONParser::scanKey(Key& key)
{
    const char* start = m_c;
    const char* run = plainRunEnd(m_c, m_end);
    if (run != m_end && *run == '"') {
        m_c = run + 1;
        key = m_stack.textKey(start, run);
        return true;
    }
    m_scratch.assign(start, run);
    m_c = run;
    if (!scanRest(m_scratch))
        return false;
    key = m_stack.arenaKey(m_scratch);
    return true;
}

// From the first byte of a string that ends a plain run to past the closing
// quote, appending the characters to `out`. `out` is grown ahead and cut
// back at the end, so the common escapes (runs of "\u" ones included) are
// written in place; the rest, and every failure, go through scanEscape.
bool CVOSDKEZJSONParser::scanRest(std::string& out)
{
    std::size_t length = out.size();
    std::size_t size = length;
    char* buffer = out.data();
    auto room = [&](std::size_t bytes) {
        if (size - length < bytes) {
            out.resize(std::max(size * 2, length + bytes + 32));
            size = out.size();
            buffer = out.data();
        }
        return buffer + length;
    };
    const char* p = m_c;
    const char* end = m_end;
    for (;;) {
        if (p == end) {
            m_c = p;
            addErrorWithCode(5, "Unescaped control character '0x0'");
            return false;
        }
        char c = *p;
        if (c == '\\') {
            if (char simple = end - p >= 2 ? shortEscape(p[1]) : 0) {
                *room(1) = simple;
                ++length;
                p += 2;
                continue;
            }
            char* at = room(kEscapeRoom);
            const pf::JsonEscapeRun run = pf::jsonUnicodeEscapeRun(p, end, at, buffer + size);
            if (run.next != p) {
                length = static_cast<std::size_t>(run.out - buffer);
                p = run.next;
                continue;
            }
            // Lone surrogate halves, bad escapes and failures.
            out.resize(length);
            m_c = p + 1;
            if (!scanEscape(out))
                return false;
            length = size = out.size();
            buffer = out.data();
            p = m_c;
            continue;
        }
        if (c == '"') {
            m_c = p + 1;
            out.resize(length);
            return true;
        }
        if (static_cast<unsigned char>(c) < 0x20) {
            m_c = p;
            addErrorWithCode(5, hexMessage("Unescaped control character '0x%x'", static_cast<unsigned char>(c)));
            return false;
        }
        const char* run = plainRunEnd(p + 1, end);
        auto bytes = static_cast<std::size_t>(run - p);
        std::memcpy(room(bytes), p, bytes);
        length += bytes;
        p = run;
    }
}

bool CVOSDKEZJSONParser::scanEscape(std::string& out)
{
    if (atEnd()) {
        addErrorWithCode(11, "Unexpected EOF while parsing string");
        return false;
    }
    char c = *m_c++;
    if (char simple = shortEscape(c)) {
        out += simple;
        return true;
    }
    if (c != 'u') {
        addErrorWithCode(8, hexMessage("Illegal escape sequence '0x%x'", static_cast<unsigned char>(c)));
        return false;
    }
    if (scanUnicode(out))
        return true;
    addErrorWithCode(6, "Broken unicode character");
    return false;
}

bool CVOSDKEZJSONParser::scanUnicode(std::string& out)
{
    unsigned high = 0;
    if (!scanHexQuad(high))
        return false;
    if (high < 0xD800 || high >= 0xE000) {
        pf::appendUtf8(out, high);
        return true;
    }
    if (high >= 0xDC00) {
        addErrorWithCode(6, "Invalid high character in surrogate pair");
        return false;
    }
    if (m_end - m_c < 2 || m_c[0] != '\\' || m_c[1] != 'u') {
        addErrorWithCode(6, "Missing low character in surrogate pair");
        return false;
    }
    m_c += 2;
    unsigned low = 0;
    if (!scanHexQuad(low))
        return false;
    if (low < 0xDC00 || low >= 0xE000) {
        addErrorWithCode(6, "Invalid low surrogate char");
        return false;
    }
    pf::appendUtf8(out, 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00));
    return true;
}

bool CVOSDKEZJSONParser::scanHexQuad(unsigned& out)
{
    out = 0;
    for (int i = 0; i < 4; ++i) {
        int digit = atEnd() ? -1 : pf::hexDigitValue(*m_c);
        if (digit < 0) {
            addErrorWithCode(6, "Missing hex digit in quad");
            addErrorWithCode(6, "Missing hex quad");
            return false;
        }
        ++m_c;
        out = out * 16 + static_cast<unsigned>(digit);
    }
    return true;
}

bool CVOSDKEZJSONParser::scanNumber()
{
    const char* start = m_c;
    if (*m_c == '-')
        ++m_c;
    if (!atEnd() && *m_c == '0') {
        ++m_c;
        if (!atEnd() && isDigit(*m_c)) {
            addErrorWithCode(2, "Leading 0 disallowed in number");
            return false;
        }
    } else if (atEnd() || !isDigit(*m_c)) {
        addErrorWithCode(2, "No digits after initial minus");
        return false;
    }
    while (!atEnd() && isDigit(*m_c))
        ++m_c;
    if (!atEnd() && *m_c == '.') {
        ++m_c;
        if (atEnd() || !isDigit(*m_c)) {
            addErrorWithCode(2, "No digits after decimal point");
            return false;
        }
        while (!atEnd() && isDigit(*m_c))
            ++m_c;
    }
    if (!atEnd() && (*m_c == 'e' || *m_c == 'E')) {
        ++m_c;
        if (!atEnd() && (*m_c == '+' || *m_c == '-'))
            ++m_c;
        if (atEnd() || !isDigit(*m_c)) {
            addErrorWithCode(2, "No digits after exponent");
            return false;
        }
        while (!atEnd() && isDigit(*m_c))
            ++m_c;
    }
    // The scanned text is a number; the decimal keeps every digit of it.
    auto decimal = pf::decimalFromText(std::string_view(start, static_cast<std::size_t>(m_c - start)));
    if (!decimal) {
        addErrorWithCode(2, "Failed creating decimal instance");
        return false;
    }
    m_stack.push(pf::Value::number(*decimal));
    return true;
}
