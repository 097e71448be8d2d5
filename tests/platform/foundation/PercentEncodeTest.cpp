#include "platform/foundation/PercentEncode.h"
#include "platform/foundation/URL.h"

#include <gtest/gtest.h>

#include <string>

TEST(PercentEncode, KeepsOnlyUnreservedBytesAndDecodesBack)
{
    struct Row {
        const char* name;
        std::string text;
        std::string encoded;
    };
    const Row rows[] = {
        {"unreserved stay", "AZaz09-._~", "AZaz09-._~"},
        {"query and fragment delimiters", "a=1&b=2#x?y", "a%3D1%26b%3D2%23x%3Fy"},
        {"blank and plus differ", " +", "%20%2B"},
        {"percent itself", "100%", "100%25"},
        {"markup", "<a href=\"x\">'", "%3Ca%20href%3D%22x%22%3E%27"},
        {"UTF-8 bytes, upper-case hex", "张", "%E5%BC%A0"},
        {"control and high bytes", std::string("\x01\x7f\xff", 3), "%01%7F%FF"},
        {"nul byte", std::string("a\0b", 3), "a%00b"},
        {"empty", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(pf::percentEncode(row.text), row.encoded);
    }
    // Valid UTF-8 comes back unchanged.
    for (const char* text : {"redirect_uri=https://a.example/cb?x=1&y=2", "张三 李四", ""})
        EXPECT_EQ(pf::percentDecode(pf::percentEncode(text)), std::optional<std::string>(text)) << text;
}

TEST(PercentDecode, CopiesPlainRunsAndRefusesBrokenEscapes)
{
    struct Row {
        const char* name;
        std::string text;
        std::optional<std::string> decoded;
    };
    const Row rows[] = {
        {"no escape", "plain text", "plain text"},
        {"escape first and last", "%41bc%44", "AbcD"},
        {"adjacent escapes", "%E5%BC%A0x", "张x"},
        {"lower-case hex", "%3d%2f", "=/"},
        {"escaped percent stays one", "%2541", "%41"},
        {"lone percent at the end", "abc%", std::nullopt},
        {"one digit at the end", "abc%4", std::nullopt},
        {"not hex", "a%4gb", std::nullopt},
        {"broken after a good one", "%41%zz", std::nullopt},
        {"nul escape", "a%00b", std::string("a\0b", 3)},
        {"empty", "", ""},
        {"long plain run", "abcdefghijklmnopqrstuvwxyz0123456789", "abcdefghijklmnopqrstuvwxyz0123456789"},
        {"escape across an eight-byte step", "abcdefg%41bcdefgh%42", "abcdefgAbcdefghB"},
        {"bytes next to the percent sign's value", "\x24\x26\xa5\x05\x65\x24\x26\xa5%25\x05",
         "\x24\x26\xa5\x05\x65\x24\x26\xa5%\x05"},
        {"broken escape after a long run", "abcdefghijklmnop%4", std::nullopt},
        {"broken escape inside a long run", "abcdefghijk%xyzmnopqrstuvwxyz", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(pf::percentDecode(row.text), row.decoded);
    }
    // One escape at every offset of a text longer than two steps.
    for (std::size_t at = 0; at <= 20; ++at) {
        std::string plain = "abcdefghijklmnopqrstu";
        std::string text = plain;
        text.replace(at, 1, "%2A");
        plain[at] = '*';
        EXPECT_EQ(pf::percentDecode(text), std::optional<std::string>(plain)) << at;
    }
}
