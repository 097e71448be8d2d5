#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

TEST(TextTrim, RemovesEveryUnicodeBlankAtBothEnds)
{
    struct Row {
        const char* name;
        std::string text;
        std::string trimmed;
    };
    const Row rows[] = {
        {"ASCII blanks and breaks", " \t\r\n10001\n ", "10001"},
        {"ideographic space", "\u3000张三\u3000", "张三"},
        {"no-break spaces", "\u00A0abc\u202F", "abc"},
        {"typographic spaces and separators", "\u2003\u2028x\u2029\u205F\u1680", "x"},
        {"next line", "\u0085y\u0085", "y"},
        {"inner blanks stay", " a \u3000 b ", "a \u3000 b"},
        {"only blanks", " \u3000\u00A0\n", ""},
        {"empty", "", ""},
        {"zero-width space is no blank", "\u200Bz\u200B", "\u200Bz\u200B"},
        {"invalid bytes stay", " \xFF a\xC3 ", "\xFF a\xC3"},
        {"four-byte character", " \U0001F600 ", "\U0001F600"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(pf::trimWhitespaceAndNewlines(row.text), row.trimmed);
    }
}

TEST(TextTrim, InvisibleTextHoldsOnlyBlanksAndCharactersThatShowNothing)
{
    struct Row {
        std::string text;
        bool invisible;
    };
    // Each range's first and last character, and the shown ones beside them.
    const Row rows[] = {
        {"", true}, {" \u3000", true}, {"\u00AD\u034F\u061C", true}, {"\u00AC", false},
        {"\u115F\u1160\u17B4\u17B5\u180B\u180F", true}, {"\u180A", false},
        {"\u200B\u200F\u202A\u202E\u2060\u206F", true}, {"\u2010", false}, {"\u2070", false},
        {"\u3164\uFE00\uFE0F\uFEFF\uFFA0\uFFF0\uFFF8", true}, {"\uFFF9", false},
        {"\U0001BCA0\U0001BCA3\U0001D173\U0001D17A\U000E0000\U000E0FFF", true}, {"\U000E1000", false},
        {"\u200B\u200B\u5B89", false}, {"\xFF", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(pf::isInvisibleText(row.text), row.invisible);
    }
}
