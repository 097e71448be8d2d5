#include "app/services/ZMRNumberText.h"

#include "platform/foundation/Value.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <string>

namespace {

// Digits with at most one point and at least one digit, after an optional "-".
bool isDecimalText(const std::string& text, bool allowPoint)
{
    std::size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
    bool digit = false, point = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c == '.' && allowPoint && !point)
            point = true;
        else
            return false;
    }
    return digit;
}

}

std::optional<long long> ZMRWholeNumber(const pf::Value& value)
{
    if (value.isNumber()) {
        const pf::Number plain = value.number()->withoutDecimal();
        const pf::Number* number = &plain;
        switch (number->type) {
        case pf::NumberType::Bool: return std::nullopt;
        case pf::NumberType::UnsignedLongLong:
            if (number->integer < 0)
                return std::nullopt;
            return number->integer;
        case pf::NumberType::Float:
        case pf::NumberType::Double: {
            double real = number->real;
            // 2^63 is the first double past the 64-bit range.
            if (!std::isfinite(real) || real != std::trunc(real) || real < -9223372036854775808.0 || real >= 9223372036854775808.0)
                return std::nullopt;
            return static_cast<long long>(real);
        }
        default: return number->integer;
        }
    }
    const std::string* text = value.string();
    if (!text || !isDecimalText(*text, false))
        return std::nullopt;
    long long whole = 0;
    auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), whole);
    if (error != std::errc() || end != text->data() + text->size())
        return std::nullopt;
    return whole;
}

std::optional<double> ZMRDecimalNumber(const pf::Value& value)
{
    if (const pf::Number* number = value.number()) {
        if (number->type == pf::NumberType::Bool)
            return std::nullopt;
        double real = number->asDouble();
        return std::isfinite(real) ? std::optional<double>(real) : std::nullopt;
    }
    const std::string* text = value.string();
    if (!text || !isDecimalText(*text, true))
        return std::nullopt;
    double real = 0;
    auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), real, std::chars_format::fixed);
    if (error != std::errc() || end != text->data() + text->size() || !std::isfinite(real))
        return std::nullopt;
    return real;
}

long long ZMRIntegerValue(const pf::Value& value)
{
    if (value.isNumber()) {
        const pf::Number plain = value.number()->withoutDecimal();
        const pf::Number* number = &plain;
        switch (number->type) {
        case pf::NumberType::Bool: return number->integer != 0 ? 1 : 0;
        case pf::NumberType::UnsignedLongLong: return number->integer < 0 ? LLONG_MAX : number->integer;
        case pf::NumberType::Float:
        case pf::NumberType::Double: {
            double real = number->real;
            if (std::isnan(real))
                return 0;
            if (real >= 9223372036854775808.0)
                return LLONG_MAX;
            if (real <= -9223372036854775808.0)
                return LLONG_MIN;
            return static_cast<long long>(real); // toward zero
        }
        default: return number->integer;
        }
    }
    const std::string* text = value.string();
    if (!text)
        return 0;
    std::size_t i = 0;
    const bool negative = i < text->size() && (*text)[i] == '-';
    if (i < text->size() && ((*text)[i] == '-' || (*text)[i] == '+'))
        ++i;
    // Counted toward the sign, so that the largest negative number fits.
    long long whole = 0;
    for (; i < text->size() && (*text)[i] >= '0' && (*text)[i] <= '9'; ++i) {
        int digit = (*text)[i] - '0';
        if (negative) {
            if (whole < (LLONG_MIN + digit) / 10)
                return LLONG_MIN;
            whole = whole * 10 - digit;
        } else {
            if (whole > (LLONG_MAX - digit) / 10)
                return LLONG_MAX;
            whole = whole * 10 + digit;
        }
    }
    return whole;
}
