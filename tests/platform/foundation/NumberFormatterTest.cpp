#include "platform/foundation/NumberFormatter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

pf::NumberFormatter formatter(int minFraction, int maxFraction, bool grouping, const char* prefix = "")
{
    pf::NumberFormatter f;
    f.setMaximumFractionDigits(maxFraction);
    f.setMinimumFractionDigits(minFraction);
    f.setUsesGroupingSeparator(grouping);
    f.setPrefix(prefix);
    return f;
}

}

TEST(NumberFormatter, FormatsRoundedGroupedAndPrefixed)
{
    struct Row {
        const char* name;
        pf::NumberFormatter f;
        double number;
        const char* text;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const Row rows[] = {
        {"default: whole, ungrouped", pf::NumberFormatter(), 1234567.6, "1234568"},
        {"default: half to even down", pf::NumberFormatter(), 2.5, "2"},
        {"default: half to even up", pf::NumberFormatter(), 3.5, "4"},
        {"decimal style", pf::NumberFormatter(pf::NumberFormatterStyle::Decimal), 1234.5678, "1,234.568"},
        {"one integer digit kept", formatter(0, 2, true, "￥"), 0.5, "￥0.5"},
        {"yen with blank", formatter(0, 2, true, "¥ "), 1234567.891, "¥ 1,234,567.89"},
        {"trailing zeros dropped", formatter(0, 2, true), 12.10, "12.1"},
        {"whole number has no point", formatter(0, 2, true), 12.0, "12"},
        {"minimum digits kept", formatter(2, 2, false), 3.0, "3.00"},
        {"exact tie rounds to even", formatter(0, 2, false), 0.125, "0.12"},
        {"exact tie rounds to even up", formatter(0, 2, false), 0.375, "0.38"},
        {"binary value below the tie", formatter(0, 2, false), 2.675, "2.67"},
        {"minus before the prefix", formatter(0, 2, true, "￥"), -1234.5, "-￥1,234.5"},
        {"rounded to zero loses the sign", formatter(0, 2, false), -0.001, "0"},
        {"negative zero", formatter(0, 2, false), -0.0, "0"},
        {"three digits are one group", formatter(0, 0, true), 999, "999"},
        {"four digits are two groups", formatter(0, 0, true), 1000, "1,000"},
        {"huge number", formatter(0, 0, true), 1e21, "1,000,000,000,000,000,000,000"},
        {"not a number", formatter(0, 2, true, "￥"), std::nan(""), "NaN"},
        {"minus infinity", formatter(0, 2, true, "￥"), -inf, "-￥∞"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.f.stringFromNumber(row.number), row.text);
    }
}

TEST(NumberFormatter, FractionDigitLimitsStayOrdered)
{
    pf::NumberFormatter f;
    f.setMinimumFractionDigits(4);
    EXPECT_EQ(f.maximumFractionDigits(), 4);
    f.setMaximumFractionDigits(1);
    EXPECT_EQ(f.minimumFractionDigits(), 1);
    f.setMaximumFractionDigits(1000);
    EXPECT_EQ(f.maximumFractionDigits(), pf::NumberFormatter::kMaxFractionDigits);
    f.setMinimumFractionDigits(-3);
    EXPECT_EQ(f.minimumFractionDigits(), 0);
    EXPECT_EQ(f.stringFromNumber(0.1), "0.10000000000000000555");
}

TEST(NumberFormatter, ReadsOnlyWellFormedTexts)
{
    struct Row {
        std::string text;
        bool grouping;
        std::optional<double> number;
    };
    const Row rows[] = {
        {"1,234.5", true, 1234.5},
        {"￥1,234.5", true, 1234.5},
        {"-￥0.25", true, -0.25},
        {"1234.5", true, 1234.5},
        {".5", true, 0.5},
        {"12", false, 12},
        {"1,234", false, std::nullopt},
        {"12,34", true, std::nullopt},
        {"1,2345", true, std::nullopt},
        {",123", true, std::nullopt},
        {"1234,567", true, std::nullopt},
        {"1,234,", true, std::nullopt},
        {"1.2.3", true, std::nullopt},
        {" 12", true, std::nullopt},
        {"12 ", true, std::nullopt},
        {"", true, std::nullopt},
        {"-", true, std::nullopt},
        {"￥", true, std::nullopt},
        {".", true, std::nullopt},
        {"1e5", true, std::nullopt},
        {"NaN", true, std::nullopt},
        {"--1", true, std::nullopt},
        {std::string(400, '9'), false, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(formatter(0, 2, row.grouping, "￥").numberFromString(row.text), row.number);
    }
}

TEST(NumberFormatter, ReadsBackWhatItWrites)
{
    auto f = formatter(0, 2, true, "¥ ");
    for (double v : {0.0, 0.5, -7.25, 1234567.89, 999.99, -1000.0})
        EXPECT_EQ(f.numberFromString(f.stringFromNumber(v)), v) << v;
}
