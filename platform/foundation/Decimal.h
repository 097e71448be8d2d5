#pragma once

// Decimal numbers: what the ZZ SDK's JSON parser makes of a number's text,
// so that the number keeps every digit its text had (a double keeps about
// sixteen, a 64-bit integer nineteen) and is written back as that number.
//
// A decimal is a pf::Number of type Decimal: a sign, a base-ten significand
// of up to 38 digits in 128 bits, and the power of ten it is scaled by. It
// has one form only: the significand carries no trailing zero ("1.50",
// "15e-1" and "1.5" are the same decimal) and zero has exponent 0, keeping
// the sign its text had.
//
// Range and rounding:
// - Digits past the 38th are rounded half to even. Where that would change
//   the nearest double (the text lies within a part in 10^38 of a point
//   halfway between two doubles), the decimal is rounded the other way
//   instead, so that it keeps its text's double.
// - A decimal's size is bounded by the double's: text whose nearest double
//   is infinite (from about 1.8e308 up) is refused, and text whose nearest
//   double is zero (below about 2.5e-324, as 1e-400) reads as zero. So the
//   exponent lies between -361 and 308, and a decimal's text is under 400
//   bytes.
//
// What the Number accessors give for a decimal:
// - Text: plain notation, without exponent: "1.5E3" gives "1500",
//   "0.000001" and "18446744073709551617" stay as they are.
// - asDouble: the double nearest the text.
// - asLongLong: the whole part, cut toward zero. A whole number from 2^63 to
//   2^64 - 1 gives its 64 bits as a signed number, as an unsigned 64-bit
//   integer does; any other value past the signed 64-bit range saturates at
//   the nearer limit.
// - isInteger: a whole number from -2^63 to 2^64 - 1, the values that the
//   integer types hold. boolValue: whether it is not zero.
// - Stores that hold no decimal (property lists, user defaults, SQLite)
//   take it by Number::withoutDecimal; keyed archives keep its digits.
// - Equality: with decimals and integers by value (the decimal 42 equals the
//   integer 42, -0 equals 0); with a float or a double as doubles, the way
//   integers compare with them.
//
// Stateless; any thread.

#include <optional>
#include <string>
#include <string_view>

namespace pf {

struct Number;

// The decimal of a JSON number's text (an optional minus, digits without a
// leading zero, an optional fraction and exponent); nothing for any other
// text or one past the range.
std::optional<Number> decimalFromText(std::string_view text);
// The decimal of -magnitude when `negative`, else of magnitude.
Number decimalFromInteger(bool negative, unsigned long long magnitude);

// The text a decimal was read from, up to its one form: digits in plain
// notation ("-0" for a negative zero), which decimalFromText reads back as
// the same decimal.
void appendDecimalText(const Number& decimal, std::string& out);
double decimalToDouble(const Number& decimal);
long long decimalToLongLong(const Number& decimal);
bool decimalIsInteger(const Number& decimal);
// `decimal` against any number.
bool decimalEquals(const Number& decimal, const Number& other);

}
