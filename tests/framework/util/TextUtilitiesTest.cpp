#include "framework/util/GZIP.h"
#include "framework/util/Pinyin.h"
#include "framework/util/TextLength.h"
#include "framework/util/file_time.h"
#include "framework/util/pinyin.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utime.h>
#include <vector>

namespace {

std::vector<std::string> readings(uint16_t code)
{
    std::vector<std::string> out;
    const uint16_t* record = pinyin_record(code);
    for (int i = 0; i < pinyin_count(record); i++)
        out.push_back(pinyin_string(record, i));
    return out;
}

pf::Bytes pseudoRandom(std::size_t size)
{
    pf::Bytes out(size);
    uint32_t x = 2463534242u;
    for (auto& b : out) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<std::uint8_t>(x);
    }
    return out;
}

}

TEST(Pinyin, TableRowsGiveTheCommonReadingsFirstAndSyllablesStaySorted)
{
    using R = std::vector<std::string>;
    const std::pair<uint16_t, R> rows[] = {
        {0x4E00, {"yi"}}, {0x4E50, {"le", "yue"}}, {0x884C, {"xing", "hang", "heng"}}, {0x957F, {"zhang", "chang"}},
        {0x4DFF, {}}, {0x9FA6, {}},
    };
    for (const auto& [code, expected] : rows)
        EXPECT_EQ(readings(code), expected) << code;
    EXPECT_NE(pinyin_record(0x9FA5), nullptr);
    EXPECT_EQ(pinyin_count(nullptr), 0);
    for (int index : {1, 6, -1})
        EXPECT_EQ(pinyin_string(pinyin_record(0x4E00), index), nullptr) << index;
    // The lookup relies on the order, with v sorting after its u twin.
    auto key = [](std::string s) {
        for (std::size_t at; (at = s.find('v')) != std::string::npos;)
            s.replace(at, 1, "u!");
        return s;
    };
    for (unsigned i = 1; i < pinyin_syllable_count; i++)
        EXPECT_LT(key(pinyin_syllables[i - 1]), key(pinyin_syllables[i])) << pinyin_syllables[i];
}

TEST(Pinyin, InitialsOfNames)
{
    struct Row {
        const char* name;
        std::optional<std::string> initial;
    } rows[] = {
        {"\xE5\xBC\xA0\xE4\xB8\x89", "z"}, // U+5F20
        {"\xE7\x8E\x8B", "w"},             // U+738B
        {"Li", "L"},
        {"li", "l"},
        {"7up", "7"},
        {"\xC3\xA9t\xC3\xA9", "\xC3\xA9"}, // Latin-1 kept as it is
        {"", std::nullopt},
        {"\xE3\x81\x82", std::nullopt},     // U+3042 hiragana
        {"\xE9\xBE\xA6", std::nullopt},     // U+9FA6, past the table
        {"\xF0\x9F\x98\x80", std::nullopt}, // a surrogate pair
        {"\xFF", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(pinyinInitials(row.name), row.initial) << row.name;
}

TEST(TextLength, WeighsAsciiOneAndOtherUnitsTwo)
{
    struct Row {
        const char* text;
        int length;
    } rows[] = {
        {"abc", 3}, {"\xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97", 6}, {"a b", 3}, {"a\tb", 3},
        {"ab\xE4\xB8\xAD\xE6\x96\x87", 6}, {"", 0}, {"\xF0\x9F\x98\x80", 4},
    };
    for (const auto& row : rows)
        EXPECT_EQ(textLength(row.text), row.length) << row.text;
}

TEST(TextLength, CutsAtTheFirstUnitPastTheLimitAndNeverInsideAPair)
{
    const char* mixed = "ab\xE4\xB8\xAD\xE6\x96\x87"; // a b 中 文
    struct Row {
        const char* text;
        int limit;
        int index;
    } rows[] = {
        {mixed, 3, 2},
        {mixed, 4, 3},
        {mixed, 6, 4},
        {mixed, 100, 4},
        {"", 5, 0},
        {"abc", 3, 3},
        {"abcd", 3, 3},
        {"abc", 0, 0},
        {"a\xF0\x9F\x98\x80z", 3, 1},
        {"a\xF0\x9F\x98\x80z", 5, 3},
    };
    for (const auto& row : rows)
        EXPECT_EQ(textIndexOfLength(row.text, row.limit), row.index) << row.text << " " << row.limit;
}

TEST(TextLength, ReverseKeepsComposedSequencesTogether)
{
    EXPECT_EQ(reverseString("abc"), "cba");
    EXPECT_EQ(reverseString("ae\xCC\x81z"), "ze\xCC\x81" "a");
    EXPECT_EQ(reverseString("x\xF0\x9F\x98\x80\xE4\xB8\xAD"), "\xE4\xB8\xAD\xF0\x9F\x98\x80x");
    EXPECT_EQ(reverseString(""), "");
}

TEST(GZIP, RoundTripsReadsZlibAndRejectsDamage)
{
    for (const auto& input : {pf::Bytes{}, pf::Bytes{'a'}, pf::Bytes(100000, 'z'), pseudoRandom(70000)}) {
        auto packed = GZIPEncode(input);
        ASSERT_TRUE(packed);
        EXPECT_EQ((*packed)[0], 0x1f);
        EXPECT_EQ(GZIPDecode(*packed), input) << input.size();
    }
    pf::Bytes text(5000, 'q');
    uLongf size = compressBound(text.size());
    pf::Bytes zlibStream(size);
    ASSERT_EQ(compress(zlibStream.data(), &size, text.data(), text.size()), Z_OK);
    zlibStream.resize(size);
    EXPECT_EQ(GZIPDecode(zlibStream), text);

    pf::Bytes packed = *GZIPEncode(pseudoRandom(3000));
    pf::Bytes damaged = packed;
    damaged[packed.size() / 2] ^= 0x55;
    for (const auto& bad : {pf::Bytes(packed.begin(), packed.end() - 5), damaged, pf::Bytes{}, pf::Bytes{'n', 'o', 't'}})
        EXPECT_FALSE(GZIPDecode(bad)) << bad.size();
}

TEST(GZIP, OutputLimitStopsABomb)
{
    pf::Bytes bomb = *GZIPEncode(pf::Bytes(10 << 20, 0));
    EXPECT_FALSE(GZIPDecode(bomb, 1 << 20));
    EXPECT_EQ(GZIPDecode(bomb, 10 << 20)->size(), std::size_t(10 << 20));
    EXPECT_EQ(GZIPDecode(bomb)->size(), std::size_t(10 << 20));
}

TEST(FileTime, ReadsModificationSeconds)
{
    auto path = std::filesystem::temp_directory_path() / "zmr_file_time_test";
    std::ofstream(path) << "x";
    utimbuf times{1000, 1234567890};
    ASSERT_EQ(utime(path.c_str(), &times), 0);
    EXPECT_EQ(file_mtime(path.c_str()), 1234567890);
    std::filesystem::remove(path);
    EXPECT_EQ(file_mtime(path.c_str()), 0);
    EXPECT_EQ(file_mtime(nullptr), 0);
}
