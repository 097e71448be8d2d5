#include "sdk/analytics/TXJKParser.h"

#include "platform/foundation/JsonText.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

pf::Value TXJKParser::parseNumber()
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
    // Short integers and decimals convert exactly without the general
    // conversions below.
    const char* digits = m_text + start + (negative ? 1 : 0);
    if (!real) {
        if (auto value = pf::jsonShortInteger(digits, m_text + wholeEnd)) {
            if (negative && *value == 0)
                return pf::Value::number(pf::NumberType::Double, -0.0); // "-0" is a double
            return pf::Value::number(pf::NumberType::LongLong, negative ? -*value : *value);
        }
    } else if (!exponent) {
        if (auto value = pf::jsonShortDecimal(digits, m_text + wholeEnd, m_text + m_index))
            return pf::Value::number(pf::NumberType::Double, negative ? -*value : *value);
    }
    return convertNumber(std::string(m_text + start, m_index - start), real);
}

pf::Value TXJKParser::convertNumber(const std::string& token, bool real)
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
