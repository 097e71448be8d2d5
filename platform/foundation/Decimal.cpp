#include "platform/foundation/Decimal.h"

#include "platform/foundation/Value.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace pf {

namespace {

using Wide = unsigned __int128;

constexpr int kDigits = 38;
// Longer exponents are read no further: far past the range either way, and
// small enough that adding a text's digit count cannot overflow.
constexpr std::int64_t kExponentCap = 1'000'000'000'000'000;
// The leading digit's power of ten past which the nearest double is
// certainly infinite, and below which it is certainly zero.
constexpr std::int64_t kLargestPower = 308;
constexpr std::int64_t kSmallestPower = -324;

constexpr auto kPowers = [] {
    struct Table {
        Wide v[kDigits + 1];
    } table{};
    Wide p = 1;
    for (int i = 0; i <= kDigits; ++i, p *= 10)
        table.v[i] = p;
    return table;
}();

Wide power(int k) { return kPowers.v[k]; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

Wide significandOf(const Number& n) { return Wide(n.significand.high) << 64 | n.significand.low; }

int digitCount(Wide v)
{
    int count = 1;
    while (count <= kDigits && v >= power(count))
        ++count;
    return count;
}

Number zero(bool negative)
{
    Number n;
    n.type = NumberType::Decimal;
    n.negative = negative;
    n.exponent = 0;
    n.significand = {0, 0};
    return n;
}

// The decimal of ±v * 10^exponent, v below 10^39 and not 0, with its
// trailing zeros moved into the exponent. The exponent is in range.
Number make(bool negative, Wide v, std::int64_t exponent)
{
    if (v >> 64 == 0) {
        auto small = static_cast<std::uint64_t>(v);
        while (small % 10 == 0) {
            small /= 10;
            ++exponent;
        }
        v = small;
    } else {
        while (v % 10 == 0) {
            v /= 10;
            ++exponent;
        }
    }
    Number n;
    n.type = NumberType::Decimal;
    n.negative = negative;
    n.exponent = static_cast<std::int32_t>(exponent);
    n.significand = {static_cast<std::uint64_t>(v), static_cast<std::uint64_t>(v >> 64)};
    return n;
}

// The double nearest a number's text, infinite past the largest.
double textDouble(std::string_view text)
{
    double d = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), d);
    if (error == std::errc::result_out_of_range) // tells an overflow from an underflow
        d = std::strtod(std::string(text).c_str(), nullptr);
    return d;
}

// The significand's digits into `out` (room for 39), returning their end.
char* writeDigits(Wide v, char* out)
{
    if (v >> 64 == 0)
        return std::to_chars(out, out + 39, static_cast<std::uint64_t>(v)).ptr;
    // Below 10^38, so the part above nineteen digits is a 64-bit number.
    constexpr std::uint64_t split = 10'000'000'000'000'000'000ULL;
    char* end = std::to_chars(out, out + 20, static_cast<std::uint64_t>(v / split)).ptr;
    auto low = static_cast<std::uint64_t>(v % split);
    for (int i = 18; i >= 0; --i, low /= 10)
        end[i] = static_cast<char>('0' + low % 10);
    return end + 19;
}

// The digits of ±v * 10^exponent (v below 10^39) as they stand in `text`:
// rounded (`inexact` when digits were dropped, `up` when that added one),
// and checked against the range.
std::optional<Number> finish(bool negative, Wide v, std::int64_t exponent, bool inexact, bool up, std::string_view text)
{
    if (v == 0)
        return zero(negative);
    // With at most 39 digits, the leading one of a number this near 1 lies
    // well within the range: nearly every number stops at the first test.
    bool edge = false;
    if (exponent < kSmallestPower + 44 || exponent > kLargestPower - 39) {
        const std::int64_t leading = exponent + digitCount(v) - 1;
        if (leading > kLargestPower)
            return std::nullopt;
        if (leading < kSmallestPower)
            return zero(negative);
        edge = leading == kLargestPower || leading == kSmallestPower;
    }
    Number n = make(negative, v, exponent);
    if (!inexact && !edge)
        return n;
    const double nearest = textDouble(text);
    if (std::isinf(nearest))
        return std::nullopt;
    if (nearest == 0)
        return zero(negative);
    // Between the text and its rounding lies at most one point halfway
    // between doubles; past it, the other neighbour keeps the text's double.
    if (inexact && decimalToDouble(n) != nearest)
        n = make(negative, up ? v - 1 : v + 1, exponent);
    return n;
}

}

std::optional<Number> decimalFromText(std::string_view text)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    const bool negative = p != end && *p == '-';
    if (negative)
        ++p;
    if (p == end || !isDigit(*p))
        return std::nullopt;
    const char* const whole = p;
    if (*p == '0')
        ++p;
    else
        while (p != end && isDigit(*p))
            ++p;
    const char* const wholeEnd = p;
    const char* fraction = p;
    if (p != end && *p == '.') {
        fraction = ++p;
        while (p != end && isDigit(*p))
            ++p;
        if (p == fraction)
            return std::nullopt;
    }
    const char* const fractionEnd = p;
    std::int64_t exponent = 0;
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        const bool below = p != end && *p == '-';
        if (p != end && (*p == '+' || *p == '-'))
            ++p;
        if (p == end || !isDigit(*p))
            return std::nullopt;
        for (; p != end && isDigit(*p); ++p)
            if (exponent < kExponentCap)
                exponent = exponent * 10 + (*p - '0');
        if (below)
            exponent = -exponent;
    }
    if (p != end)
        return std::nullopt;

    const auto fractionDigits = fractionEnd - fraction; // 0 without a fraction
    // Nineteen digits fit 64 bits: nearly every number goes no further.
    if ((wholeEnd - whole) + fractionDigits <= 19) {
        std::uint64_t v = 0;
        for (const char* d = whole; d != wholeEnd; ++d)
            v = v * 10 + static_cast<unsigned>(*d - '0');
        for (const char* d = fraction; d != fractionEnd; ++d)
            v = v * 10 + static_cast<unsigned>(*d - '0');
        return finish(negative, v, exponent - fractionDigits, false, false, text);
    }
    Wide v = 0;
    int kept = 0;
    int dropped = -1; // the first digit past the 38th
    bool sticky = false; // a digit other than 0 after it
    // A fraction digit taken, leading zeros included, scales by 1/10; a
    // whole digit dropped by 10.
    auto take = [&](const char* from, const char* to, bool inFraction) {
        for (const char* d = from; d != to; ++d) {
            const unsigned digit = static_cast<unsigned>(*d - '0');
            if (kept < kDigits) {
                if (kept > 0 || digit != 0) {
                    v = v * 10 + digit;
                    ++kept;
                }
                if (inFraction)
                    --exponent;
            } else {
                if (!inFraction)
                    ++exponent;
                if (dropped < 0)
                    dropped = static_cast<int>(digit);
                else
                    sticky = sticky || digit != 0;
            }
        }
    };
    take(whole, wholeEnd, false);
    take(fraction, fractionEnd, true);
    const bool inexact = dropped > 0 || sticky;
    const bool up = dropped > 5 || (dropped == 5 && (sticky || (v & 1) != 0));
    return finish(negative, v + up, exponent, inexact, up, text);
}

Number decimalFromInteger(bool negative, unsigned long long magnitude)
{
    return magnitude == 0 ? zero(negative) : make(negative, magnitude, 0);
}

void appendDecimalText(const Number& decimal, std::string& out)
{
    if (decimal.negative)
        out += '-';
    char digits[40];
    const char* digitsEnd = writeDigits(significandOf(decimal), digits);
    const auto length = static_cast<std::size_t>(digitsEnd - digits);
    if (decimal.exponent >= 0) {
        out.append(digits, length);
        if (significandOf(decimal) != 0)
            out.append(static_cast<std::size_t>(decimal.exponent), '0');
        return;
    }
    const auto places = static_cast<std::size_t>(-static_cast<std::int64_t>(decimal.exponent));
    if (length > places) {
        out.append(digits, length - places);
        out += '.';
        out.append(digitsEnd - places, places);
    } else {
        out += "0.";
        out.append(places - length, '0');
        out.append(digits, length);
    }
}

double decimalToDouble(const Number& decimal)
{
    static constexpr double kExact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const Wide v = significandOf(decimal);
    const int exponent = decimal.exponent;
    double d = 0;
    // Both factors exact doubles: one operation rounds correctly.
    if (v <= (Wide(1) << 53) && exponent >= -22 && exponent <= 22) {
        d = static_cast<double>(static_cast<std::uint64_t>(v));
        d = exponent >= 0 ? d * kExact[exponent] : d / kExact[-exponent];
    } else {
        char text[64];
        char* at = writeDigits(v, text);
        *at++ = 'e';
        at = std::to_chars(at, text + sizeof text, exponent).ptr;
        d = textDouble(std::string_view(text, static_cast<std::size_t>(at - text)));
    }
    return decimal.negative ? -d : d;
}

long long decimalToLongLong(const Number& decimal)
{
    constexpr auto kMax = std::numeric_limits<long long>::max();
    constexpr auto kMin = std::numeric_limits<long long>::min();
    const Wide v = significandOf(decimal);
    const int exponent = decimal.exponent;
    if (v == 0)
        return 0;
    Wide whole = 0;
    if (exponent >= 0) {
        if (exponent > kDigits || v > std::numeric_limits<Wide>::max() / power(exponent))
            return decimal.negative ? kMin : kMax;
        whole = v * power(exponent);
    } else if (-exponent <= kDigits) {
        whole = v / power(-exponent);
    }
    const Wide limit = Wide(1) << 63;
    if (decimal.negative)
        return whole <= limit ? static_cast<long long>(0 - static_cast<std::uint64_t>(whole)) : kMin;
    if (whole < limit)
        return static_cast<long long>(whole);
    // A whole number an unsigned 64-bit integer holds keeps its bits, as
    // such an integer does; a fraction (the exponent below 0) is never whole.
    if (exponent >= 0 && whole >> 64 == 0)
        return static_cast<long long>(static_cast<std::uint64_t>(whole));
    return kMax;
}

bool decimalIsInteger(const Number& decimal)
{
    const Wide v = significandOf(decimal);
    if (v == 0)
        return true;
    if (decimal.exponent < 0 || decimal.exponent > 19 || v > std::numeric_limits<Wide>::max() / power(decimal.exponent))
        return false;
    const Wide whole = v * power(decimal.exponent);
    return decimal.negative ? whole <= Wide(1) << 63 : whole >> 64 == 0;
}

bool decimalEquals(const Number& decimal, const Number& other)
{
    if (other.isReal())
        return decimalToDouble(decimal) == other.real;
    if (other.type != NumberType::Decimal) {
        const bool negative = other.type != NumberType::UnsignedLongLong && other.integer < 0;
        const auto bits = static_cast<unsigned long long>(other.integer);
        return decimalEquals(decimal, decimalFromInteger(negative, negative ? 0 - bits : bits));
    }
    const Wide v = significandOf(decimal);
    if (v == 0 || significandOf(other) == 0)
        return v == significandOf(other);
    return decimal.negative == other.negative && decimal.exponent == other.exponent && v == significandOf(other);
}

}
