#pragma once

// The readings of the numbers that servers, stored rows and addresses hand
// over either as JSON numbers or as text ("createTime": 1396281600 or
// "1396281600"). The services and every screen read them by these rules, so
// what is stored, a list and its details never disagree about one value.
//
// - A whole number (ids, times): a JSON integer (a boolean is none), a real
//   without a fraction, or a text of an optional "-" and decimal digits, all
//   within 64 bits.
// - A decimal number (amounts of money): a finite JSON number (a boolean is
//   none), or a text of an optional "-", digits and at most one "." with
//   digits around it ("12", "12.5", ".5", "12."). No blanks, exponents,
//   "inf" or "nan".
// Anything else is none: an id or an amount that is not all a number is no
// id or amount at all.
//
// - An integer value (counts, shown and moved by one): never none. A
//   number's whole part (toward zero; NaN 0); a Boolean 1 or 0; a text's
//   optional sign and leading digits ("+4" 4, "3abc" 3, "abc" 0); anything
//   else 0. Held within 64 bits rather than wrapped.

#include "platform/foundation/Forward.h"

#include <optional>

std::optional<long long> ZMRWholeNumber(const pf::Value& value);
std::optional<double> ZMRDecimalNumber(const pf::Value& value);
long long ZMRIntegerValue(const pf::Value& value);
