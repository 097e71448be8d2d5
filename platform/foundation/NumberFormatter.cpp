#include "platform/foundation/NumberFormatter.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace pf {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// "1234567" grouped as "1,234,567".
std::string grouped(const std::string& digits)
{
    std::string out;
    out.reserve(digits.size() + digits.size() / 3);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}

}

void NumberFormatter::setNumberStyle(NumberFormatterStyle style)
{
    m_style = style;
    m_usesGrouping = style == NumberFormatterStyle::Decimal;
    m_minimumFractionDigits = 0;
    m_maximumFractionDigits = style == NumberFormatterStyle::Decimal ? 3 : 0;
}

void NumberFormatter::setMinimumFractionDigits(int digits)
{
    m_minimumFractionDigits = std::clamp(digits, 0, kMaxFractionDigits);
    m_maximumFractionDigits = std::max(m_maximumFractionDigits, m_minimumFractionDigits);
}

void NumberFormatter::setMaximumFractionDigits(int digits)
{
    m_maximumFractionDigits = std::clamp(digits, 0, kMaxFractionDigits);
    m_minimumFractionDigits = std::min(m_minimumFractionDigits, m_maximumFractionDigits);
}

std::string NumberFormatter::stringFromNumber(double number) const
{
    if (std::isnan(number))
        return "NaN";
    if (std::isinf(number))
        return (number < 0 ? "-" : "") + m_prefix + "∞";
    // Fixed notation rounds the exact binary value half to even and ignores
    // the C locale's decimal point.
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(number), std::chars_format::fixed,
                                m_maximumFractionDigits);
    if (result.ec != std::errc())
        return "NaN";
    std::string text(buffer, result.ptr);
    std::string integer = text, fraction;
    if (auto dot = text.find('.'); dot != std::string::npos) {
        integer = text.substr(0, dot);
        fraction = text.substr(dot + 1);
    }
    while (fraction.size() > static_cast<std::size_t>(m_minimumFractionDigits) && fraction.back() == '0')
        fraction.pop_back();
    if (integer.empty())
        integer = "0";
    bool zero = std::all_of(integer.begin(), integer.end(), [](char c) { return c == '0'; })
        && std::all_of(fraction.begin(), fraction.end(), [](char c) { return c == '0'; });
    std::string out;
    if (number < 0 && !zero)
        out += '-';
    out += m_prefix;
    out += m_usesGrouping ? grouped(integer) : integer;
    if (!fraction.empty()) {
        out += '.';
        out += fraction;
    }
    return out;
}

std::optional<double> NumberFormatter::numberFromString(const std::string& text) const
{
    std::string_view rest = text;
    bool negative = false;
    if (!rest.empty() && rest.front() == '-') {
        negative = true;
        rest.remove_prefix(1);
    }
    if (!m_prefix.empty() && rest.substr(0, m_prefix.size()) == m_prefix)
        rest.remove_prefix(m_prefix.size());
    // The plain digits, checked for their shape on the way.
    std::string plain;
    std::size_t group = 0; // digits since the last separator
    bool separated = false;
    std::size_t i = 0;
    for (; i < rest.size() && rest[i] != '.'; ++i) {
        char c = rest[i];
        if (isDigit(c)) {
            plain += c;
            ++group;
            if (separated && group > 3)
                return std::nullopt;
            continue;
        }
        // A separator needs one to three digits before it (three after the first) and three after.
        if (c != ',' || !m_usesGrouping || group == 0 || group > 3 || (separated && group != 3))
            return std::nullopt;
        separated = true;
        group = 0;
    }
    if (separated && group != 3)
        return std::nullopt;
    bool hasFraction = i < rest.size();
    if (hasFraction) {
        plain += '.';
        for (++i; i < rest.size(); ++i) {
            if (!isDigit(rest[i]))
                return std::nullopt;
            plain += rest[i];
        }
    }
    bool anyDigit = std::any_of(plain.begin(), plain.end(), isDigit);
    if (!anyDigit)
        return std::nullopt;
    double value = 0;
    auto result = std::from_chars(plain.data(), plain.data() + plain.size(), value, std::chars_format::fixed);
    if (result.ec != std::errc() || result.ptr != plain.data() + plain.size() || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

}
