#include "platform/foundation/TextEncoding.h"

#include <gtest/gtest.h>

TEST(TextEncoding, GB18030DecodesWholeTextOrNothing)
{
    struct Row {
        const char* name;
        std::string bytes;
        std::optional<std::string> text;
    };
    std::string manyBytes, manyText;
    for (int i = 0; i < 1000; ++i) {
        manyBytes += "\xD6\xD0";
        manyText += "中";
    }
    const Row rows[] = {
        {"two-byte characters", "\xD6\xD0\xCE\xC4", "中文"},
        {"ASCII stays", "ok 1", "ok 1"},
        {"four-byte sequence", "\x81\x30\x81\x30", "\xC2\x80"},
        {"text growing by half", manyBytes, manyText},
        {"truncated sequence", "\xD6\xD0\xCE", std::nullopt},
        {"invalid sequence", "\xFF\xFF", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(pf::gb18030ToUtf8(row.bytes), row.text);
    }
}
