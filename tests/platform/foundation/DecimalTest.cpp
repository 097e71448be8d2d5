#include "platform/foundation/Decimal.h"
#include "platform/foundation/Value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace pf;

namespace {

std::string textOf(const Number& decimal)
{
    std::string text;
    appendDecimalText(decimal, text);
    return text;
}

}

TEST(Decimal, RoundsPastItsDigitsAndKeepsToTheDoublesRange)
{
    struct Row {
        const char* text;
        const char* decimal; // null: refused
    } rows[] = {
        // Half to even at the 38th digit, anything past the half rounding up.
        {"12345678901234567890123456789012345678.5", "12345678901234567890123456789012345678"},
        {"12345678901234567890123456789012345677.5", "12345678901234567890123456789012345678"},
        {"12345678901234567890123456789012345678.50001", "12345678901234567890123456789012345679"},
        {"1234567890123456789012345678901234567849", "1234567890123456789012345678901234567800"},
        {"99999999999999999999999999999999999999.5", "100000000000000000000000000000000000000"},
        {"-0.000000000000000000000000000000000000000000001230", "-0.00000000000000000000000000000000000000000000123"},
        // Below the smallest double zero, past the largest refused.
        {"2.4703282292062327e-324", "0"},
        {"-1e-400", "-0"},
        {"0e999999999999999999999", "0"},
        {"1.7976931348623159e308", nullptr},
        {"-1e999999999999999999999", nullptr},
        // Archives hand over any text; only a JSON number's is a decimal.
        {"01", nullptr}, {"1.", nullptr}, {".5", nullptr}, {"+1", nullptr}, {"1e", nullptr}, {"-", nullptr},
        {" 1", nullptr}, {"", nullptr}, {"1x", nullptr},
    };
    for (const Row& row : rows) {
        auto decimal = decimalFromText(row.text);
        ASSERT_EQ(decimal.has_value(), row.decimal != nullptr) << row.text;
        if (decimal)
            EXPECT_EQ(textOf(*decimal), row.decimal) << row.text;
    }
}

// Long and short texts of every size, and texts a hair from the points
// halfway between two doubles, where 38 digits alone could round the wrong way.
TEST(Decimal, ReadsAsTheDoubleNearestItsTextAndWritesBackItself)
{
    std::mt19937_64 random(7);
    auto digits = [&](std::string& out, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            out += static_cast<char>('0' + random() % 10);
    };
    std::vector<std::string> texts;
    for (int i = 0; i < 20000; ++i) {
        std::string text = random() % 2 ? "-" : "";
        text += static_cast<char>('1' + random() % 9);
        digits(text, random() % 45);
        if (random() % 2) {
            text += '.';
            digits(text, 1 + random() % 45);
        }
        if (random() % 2)
            text += "e" + std::to_string(static_cast<int>(random() % 700) - 350);
        texts.push_back(text);

        double below;
        const std::uint64_t bits = random() % 0x7FEFFFFFFFFFFFFFULL;
        std::memcpy(&below, &bits, sizeof below);
        const long double middle = (static_cast<long double>(below) + std::nextafter(below, INFINITY)) / 2;
        char halfway[80];
        std::snprintf(halfway, sizeof halfway, "%.47Le", middle);
        texts.push_back(halfway);
    }
    for (const std::string& text : texts) {
        const double nearest = std::strtod(text.c_str(), nullptr);
        auto decimal = decimalFromText(text);
        if (!decimal) {
            EXPECT_TRUE(std::isinf(nearest)) << text;
            continue;
        }
        const double read = decimal->asDouble();
        ASSERT_EQ(std::memcmp(&read, &nearest, sizeof read), 0) << text << " read as " << read;
        auto again = decimalFromText(textOf(*decimal));
        ASSERT_TRUE(again) << text;
        ASSERT_EQ(textOf(*again), textOf(*decimal)) << text;
    }
}
