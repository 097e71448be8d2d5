#include "sdk/zz/CVOSDKEZJSONParser.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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

std::string hexMessage(const char* format, unsigned value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

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
    // Text that is not UTF-8 has no string form at all, so it is the nil input.
    if (!text || !pf::isValidUtf8(*text)) {
        addErrorWithCode(12, "Input was 'nil'");
        return {};
    }
    m_depth = 0;
    m_c = text->data();
    m_end = m_c + text->size();
    pf::Value value;
    bool ok = scanValue(value);
    if (ok) {
        skipWhitespace();
        if (!atEnd()) {
            addErrorWithCode(10, "Garbage after JSON");
            ok = false;
        }
    }
    m_c = m_end = nullptr;
    return ok ? value : pf::Value();
}

void CVOSDKEZJSONParser::skipWhitespace()
{
    while (m_c != m_end && isSpace(*m_c))
        ++m_c;
}

bool CVOSDKEZJSONParser::scanValue(pf::Value& out)
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
        return scanStringValue(out);
    case '[':
        ++m_c;
        return scanArray(out);
    case '{':
        ++m_c;
        return scanObject(out);
    case 't':
        return scanLiteral("true", pf::Value::boolean(true), "Expected 'true'", out);
    case 'f':
        return scanLiteral("false", pf::Value::boolean(false), "Expected 'false'", out);
    case 'n':
        return scanLiteral("null", pf::Value::null(), "Expected 'null'", out);
    case '+':
        addErrorWithCode(2, "Leading + disallowed in number");
        return false;
    default:
        if (c == '-' || isDigit(c))
            return scanNumber(out);
        addErrorWithCode(3, "Unrecognised leading character");
        return false;
    }
}

// Apart from scanValue so the string's buffer stays out of the recursion's
// stack frames.
bool CVOSDKEZJSONParser::scanStringValue(pf::Value& out)
{
    std::string s;
    if (!scanString(s))
        return false;
    out = pf::Value(std::move(s));
    return true;
}

bool CVOSDKEZJSONParser::scanLiteral(std::string_view word, pf::Value value, const char* message, pf::Value& out)
{
    if (static_cast<std::size_t>(m_end - m_c) < word.size() || std::memcmp(m_c, word.data(), word.size()) != 0) {
        addErrorWithCode(3, message);
        return false;
    }
    m_c += word.size();
    out = std::move(value);
    return true;
}

bool CVOSDKEZJSONParser::scanArray(pf::Value& out)
{
    if (!enterLevel())
        return false;
    auto array = std::make_shared<pf::Array>();
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
        pf::Value element;
        if (!scanValue(element)) {
            addErrorWithCode(3, "Expected value while parsing array");
            return false;
        }
        array->add(std::move(element));
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
    out = pf::Value(std::move(array));
    return true;
}

bool CVOSDKEZJSONParser::scanObject(pf::Value& out)
{
    if (!enterLevel())
        return false;
    auto dictionary = std::make_shared<pf::Dictionary>();
    std::string key;
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
        key.clear();
        if (!scanString(key))
            return false;
        skipWhitespace();
        if (atEnd() || *m_c != ':') {
            addErrorWithCode(3, "Expected ':' separating key and value");
            return false;
        }
        ++m_c;
        pf::Value value;
        if (!scanValue(value)) {
            addErrorWithCode(3, "Object value expected for key: " + key);
            return false;
        }
        dictionary->set(key, std::move(value));
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
    out = pf::Value(std::move(dictionary));
    return true;
}

bool CVOSDKEZJSONParser::scanString(std::string& out)
{
    for (;;) {
        const char* run = m_c;
        while (m_c != m_end && *m_c != '"' && *m_c != '\\' && static_cast<unsigned char>(*m_c) >= 0x20)
            ++m_c;
        out.append(run, m_c);
        if (atEnd()) {
            addErrorWithCode(5, "Unescaped control character '0x0'");
            return false;
        }
        char c = *m_c;
        if (c == '"') {
            ++m_c;
            return true;
        }
        if (c != '\\') {
            addErrorWithCode(5, hexMessage("Unescaped control character '0x%x'", static_cast<unsigned char>(c)));
            return false;
        }
        ++m_c;
        if (!scanEscape(out))
            return false;
    }
}

bool CVOSDKEZJSONParser::scanEscape(std::string& out)
{
    if (atEnd()) {
        addErrorWithCode(11, "Unexpected EOF while parsing string");
        return false;
    }
    char c = *m_c++;
    switch (c) {
    case '"': out += '"'; return true;
    case '\\': out += '\\'; return true;
    case '/': out += '/'; return true;
    case 'b': out += '\b'; return true;
    case 'f': out += '\f'; return true;
    case 'n': out += '\n'; return true;
    case 'r': out += '\r'; return true;
    case 't': out += '\t'; return true;
    case 'u':
        if (scanUnicode(out))
            return true;
        addErrorWithCode(6, "Broken unicode character");
        return false;
    default:
        addErrorWithCode(8, hexMessage("Illegal escape sequence '0x%x'", static_cast<unsigned char>(c)));
        return false;
    }
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
        char c = atEnd() ? '\0' : *m_c;
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else {
            addErrorWithCode(6, "Missing hex digit in quad");
            addErrorWithCode(6, "Missing hex quad");
            return false;
        }
        ++m_c;
        out = out * 16 + digit;
    }
    return true;
}

bool CVOSDKEZJSONParser::scanNumber(pf::Value& out)
{
    const char* start = m_c;
    bool negative = *m_c == '-';
    if (negative)
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
    bool integral = true;
    if (!atEnd() && *m_c == '.') {
        integral = false;
        ++m_c;
        if (atEnd() || !isDigit(*m_c)) {
            addErrorWithCode(2, "No digits after decimal point");
            return false;
        }
        while (!atEnd() && isDigit(*m_c))
            ++m_c;
    }
    if (!atEnd() && (*m_c == 'e' || *m_c == 'E')) {
        integral = false;
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
    if (integral) {
        long long signedValue = 0;
        auto [end, ec] = std::from_chars(start, m_c, signedValue);
        if (ec == std::errc() && end == m_c) {
            out = pf::Value(signedValue);
            return true;
        }
        unsigned long long unsignedValue = 0;
        if (!negative) {
            auto [uend, uec] = std::from_chars(start, m_c, unsignedValue);
            if (uec == std::errc() && uend == m_c) {
                out = pf::Value::unsignedNumber(unsignedValue);
                return true;
            }
        }
    }
    double real = 0;
    auto [end, ec] = std::from_chars(start, m_c, real);
    if (ec == std::errc::result_out_of_range) {
        // Tell an underflow (kept as zero) from an overflow (refused).
        real = std::strtod(std::string(start, m_c).c_str(), nullptr);
    } else if (ec != std::errc() || end != m_c) {
        real = HUGE_VAL;
    }
    if (!std::isfinite(real)) {
        addErrorWithCode(2, "Failed creating decimal instance");
        return false;
    }
    out = pf::Value::number(pf::NumberType::Double, real);
    return true;
}
