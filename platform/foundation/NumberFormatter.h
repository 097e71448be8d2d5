#pragma once

// Numbers to texts and back, the same in every locale: "." is the decimal
// point and "," the grouping separator (groups of three).
//
// A text is, in order: "-" for a negative number, the prefix, the integer
// digits (at least one, so 0.5 reads "0.5"), grouped when grouping is on,
// then "." and the fraction digits when there are any. The number is rounded
// to the maximum fraction digits, half to even on its exact binary value
// (0.125 gives "0.12", 0.375 gives "0.38"); trailing zeros are dropped down
// to the minimum fraction digits. A number that rounds to zero shows no "-".
// Not-a-number reads "NaN", the infinities "∞" and "-∞" (with the prefix).
//
// The default formatter shows whole numbers without grouping; the decimal
// style groups and keeps up to three fraction digits.
//
// Any thread; a formatter is used by one thread at a time.

#include <optional>
#include <string>

namespace pf {

enum class NumberFormatterStyle { None, Decimal };

class NumberFormatter {
public:
    // At most this many fraction digits; larger settings are lowered to it.
    static constexpr int kMaxFractionDigits = 20;

    NumberFormatter() = default;
    explicit NumberFormatter(NumberFormatterStyle style) { setNumberStyle(style); }

    NumberFormatterStyle numberStyle() const { return m_style; }
    // Sets the style's grouping and fraction digits, as the style stands for them.
    void setNumberStyle(NumberFormatterStyle style);

    int minimumFractionDigits() const { return m_minimumFractionDigits; }
    // Raises the maximum when it is lower. Negative counts read as 0.
    void setMinimumFractionDigits(int digits);
    int maximumFractionDigits() const { return m_maximumFractionDigits; }
    // Lowers the minimum when it is higher.
    void setMaximumFractionDigits(int digits);

    bool usesGroupingSeparator() const { return m_usesGrouping; }
    void setUsesGroupingSeparator(bool uses) { m_usesGrouping = uses; }

    // Shown before the digits (after "-"), such as a currency sign.
    const std::string& prefix() const { return m_prefix; }
    void setPrefix(std::string prefix) { m_prefix = std::move(prefix); }

    std::string stringFromNumber(double number) const;
    // The number a text shows: an optional "-", the prefix when there is one
    // (a text without it is read too), digits with "," between groups of
    // three when grouping is on, an optional "." and fraction digits. Nothing
    // for anything else, blanks included, or a number beyond double's range.
    std::optional<double> numberFromString(const std::string& text) const;

private:
    NumberFormatterStyle m_style = NumberFormatterStyle::None;
    int m_minimumFractionDigits = 0;
    int m_maximumFractionDigits = 0;
    bool m_usesGrouping = false;
    std::string m_prefix;
};

}
