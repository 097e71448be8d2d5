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
