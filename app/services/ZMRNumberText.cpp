#include "app/services/ZMRNumberText.h"

#include "platform/foundation/Value.h"

#include <charconv>
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
    if (const pf::Number* number = value.number()) {
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
