#include "framework/util/text_helpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <tuple>
#include <vector>

namespace {

std::string encode(const std::string& bytes)
{
    byte_buffer* buffer = byte_buffer_create(0, 64);
    std::string text;
    if (base64_encode(bytes.data(), static_cast<int64_t>(bytes.size()), buffer))
        text.assign(reinterpret_cast<char*>(buffer->data), buffer->length);
    byte_buffer_free(buffer);
    return text;
}

struct Decoded {
    int ok;
    std::string bytes;
};

Decoded decode(const char* text)
{
    byte_buffer* buffer = byte_buffer_create(0, 64);
    Decoded result{base64_decode(text, buffer), {}};
    if (buffer->length > 0)
        result.bytes.assign(reinterpret_cast<char*>(buffer->data), buffer->length);
    byte_buffer_free(buffer);
    return result;
}

}

TEST(Base64, EncodesKnownVectorsAndBreaksLinesAfter76Characters)
{
    struct Row {
        std::string in, out;
    } rows[] = {
        {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"}, {"abc", "YWJj"}, {std::string("\xff\xfe\x00", 3), "//4A"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(encode(row.in), row.out) << row.in;

    EXPECT_EQ(encode(std::string(57, 'a')).find('\n'), std::string::npos);
    EXPECT_EQ(encode(std::string(58, 'a')).substr(76), "\nYQ==");
    EXPECT_EQ(encode(std::string(114, 'a')).size(), 153u); // two full lines, one break, no trailing break
}

TEST(Base64, EmptyOrNullInputAppendsNothing)
{
    byte_buffer* buffer = byte_buffer_create(0, 64);
    byte_buffer_append_string(buffer, "keep");
    EXPECT_EQ(base64_encode("x", 0, buffer), 0);
    EXPECT_EQ(base64_encode(nullptr, 3, buffer), 0);
    EXPECT_EQ(base64_encode("x", 1, nullptr), 0);
    EXPECT_EQ(base64_decode(nullptr, buffer), 0);
    EXPECT_STREQ(byte_buffer_cstring(buffer), "keep");
    byte_buffer_free(buffer);
}

TEST(Base64, DecodesGroupsAndKeepsBytesBeforeAFault)
{
    struct Row {
        const char* text;
        int ok;
        std::string bytes;
    } rows[] = {
        {"YWJj\nYQ==", 1, "abca"},
        {" \r\nYWJj\t", 1, "abc"},
        {"YQ==YWJj", 1, "aabc"},
        {"", 1, ""},
        {"YW Jj", 0, ""},
        {"YQ", 0, ""},
        {"YWJjYQ", 0, "abc"},
        {"YWJjY!==", 0, "abc"},
        {"YWJjYQ=x", 0, "abc"},
        {"Y===", 0, ""},
        {"====", 0, ""},
        {"Zm8=", 1, "fo"},
    };
    for (const auto& row : rows) {
        Decoded d = decode(row.text);
        EXPECT_EQ(d.ok, row.ok) << row.text;
        EXPECT_EQ(d.bytes, row.bytes) << row.text;
    }
}

TEST(StrContains, FindsSubstringsAndRefusesNull)
{
    const std::tuple<const char*, const char*, int> rows[] = {
        {"aaab", "aab", 1}, {"abc", "", 1}, {"abc", "abcd", 0}, {"abc", "x", 0}, {nullptr, "a", 0}, {"a", nullptr, 0},
    };
    for (const auto& [text, part, found] : rows)
        EXPECT_EQ(str_contains(text, part), found) << (text ? text : "null") << " / " << (part ? part : "null");
}

TEST(Utf16ToUtf8, CombinesSurrogatePairsAndReplacesLoneHalves)
{
    struct Row {
        std::vector<uint16_t> units;
        std::string utf8;
    } rows[] = {
        {{0x41}, "A"},
        {{0xE9}, "\xC3\xA9"},
        {{0x4E2D}, "\xE4\xB8\xAD"},
        {{0xD83D, 0xDE00}, "\xF0\x9F\x98\x80"},
        {{0xD83D}, "\xEF\xBF\xBD"},
        {{0xDE00, 0xD83D}, "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {{0xD83D, 0x41}, "\xEF\xBF\xBD" "A"},
        {{0x0}, std::string(1, '\0')},
    };
    for (const auto& row : rows) {
        std::vector<unsigned char> out(row.units.size() * 3);
        uint32_t n = utf16_to_utf8(row.units.data(), static_cast<uint32_t>(row.units.size()), out.data());
        EXPECT_EQ(std::string(reinterpret_cast<char*>(out.data()), n), row.utf8);
    }
}

TEST(HttpDate, FormatsUtcWithEnglishNamesInAnyZone)
{
    const char* zone = std::getenv("TZ");
    std::string saved = zone ? zone : "";
    setenv("TZ", "Asia/Shanghai", 1);
    tzset();
    char out[64];
    EXPECT_EQ(http_date_format(0, out, sizeof out), 29u);
    EXPECT_STREQ(out, "Thu, 01 Jan 1970 00:00:00 GMT");
    EXPECT_GT(http_date_format(1700000000, out, sizeof out), 0u);
    EXPECT_STREQ(out, "Tue, 14 Nov 2023 22:13:20 GMT");
    EXPECT_EQ(http_date_format(0, out, 29), 0u); // no room for the terminator
    EXPECT_EQ(http_date_format(0, out, 30), 29u);
    if (zone)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}
