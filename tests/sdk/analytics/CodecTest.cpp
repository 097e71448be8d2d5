#include "platform/foundation/Collections.h"
#include "platform/foundation/Decimal.h"
#include "sdk/analytics/TXJKSerializer.h"
#include "sdk/analytics/TXJSONDecoder.h"
#include "tests/platform/foundation/ManyKeys.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

struct DecodeRow {
    const char* text;
    unsigned options;
    const char* expected; // the compact re-encoding, or null for a failure
    const char* error;    // the failure's message (prefix) when expected is null
    long line;
};

std::string repeated(const std::string& piece, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

}

TEST(TXJSONDecoderTable, ParsesOrFailsWithTheRightMessage)
{
    const DecodeRow rows[] = {
        {"[1,2]", 0, "[1,2]", nullptr, 0},
        {"42", 0, nullptr, "Expected either '[' or '{'.", 1},
        {"{}x", 0, nullptr, "A valid JSON object was parsed but there were additional", 1},
        {"{}x", 8, "{}", nullptr, 0},
        {"[\"\\u00e9\"]", 0, "[\"\xC3\xA9\"]", nullptr, 0},
        {"[\"\\ud834\"]", 0, nullptr, "Required a second \\u Unicode escape", 1},
        {"[\"\\ud834\"]", 4, "[\"\xEF\xBF\xBD\"]", nullptr, 0},
        {"[\"\\ud834\\udd1e\"]", 0, "[\"\xF0\x9D\x84\x9E\"]", nullptr, 0},
        {"[\"\\udd1e\"]", 0, nullptr, "Illegal \\u Unicode escape sequence.", 1},
        {"[18446744073709551615]", 0, "[18446744073709551615]", nullptr, 0},
        {"[18446744073709551616]", 0, nullptr, "The value '18446744073709551616' exceeded the maximum value", 1},
        {"[-9223372036854775809]", 0, nullptr, "The value '-9223372036854775809' exceeded the minimum value", 1},
        {"[-0]", 0, "[-0]", nullptr, 0},
        {"[1e999]", 0, nullptr, "The value '1e999' could not be represented as a 'double' due to overflow.", 1},
        {"/*c*/[1]", 1, "[1]", nullptr, 0},
        {"/*c*/[1]", 0, nullptr, "Expected either '[' or '{'.", 1},
        {"[1,\n2,\n}", 0, nullptr, "Unexpected '}'.", 3},
        {"[1,\r\n2\r3 x]", 0, nullptr, "Expected a comma or a ']', not '3'", 3},
        {"[1\xE2\x80\xA8,x]", 2, nullptr, "Unexpected token, wanted", 2},
        {"[\"a\tb\"]", 0, nullptr, "Invalid character < 0x20 found in string: 0x09.", 1},
        {"[\"\\x\"]", 0, nullptr, "Invalid escape sequence found in \"\" string.", 1},
        {"[\"\\u12g4\"]", 0, nullptr, "Unexpected character found in \\u Unicode escape sequence.  Found 'g'", 1},
        {"[\"\xC3\"]", 0, nullptr, "Illegal UTF8 sequence found in \"\" string.", 1},
        {"[\"\xFF\"]", 4, "[\"\xEF\xBF\xBD\"]", nullptr, 0},
        {"[01]", 0, nullptr, "Expected a comma or a ']', not '1'", 1},
        {"[1.]", 0, nullptr, "Invalid number.", 1},
        {"{\"a\" 1}", 0, nullptr, "Expected ':'.", 1},
        {"{\"a\":1,\"a\":2}", 0, "{\"a\":2}", nullptr, 0},
        // An unescaped key meets its plain twin after an inner object gave back its own keys.
        {"{\"a\\u0062\":{\"x\\u0079\":1},\"ab\":2,\"c\":{\"\\u0064\":3}}", 0, "{\"ab\":2,\"c\":{\"d\":3}}", nullptr, 0},
        {"[1,]", 0, nullptr, "Expected a value, not ']'", 1},
        {"[tru", 0, nullptr, "Reached the end of the buffer.", 1},
        {"[true,false,null]", 0, "[true,false,null]", nullptr, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        TXJKError error;
        pf::Value value = objectFromJSONString(row.text, row.options, &error);
        if (row.expected) {
            ASSERT_FALSE(value.isNil()) << error.description;
            EXPECT_EQ(JSONString(value).value_or("?"), row.expected);
        } else {
            EXPECT_TRUE(value.isNil());
            EXPECT_EQ(error.description.rfind(row.error, 0), 0u) << error.description;
            EXPECT_EQ(error.lineNumber, row.line);
        }
    }
}

TEST(TXJSONDecoderLimits, DepthIsBounded)
{
    std::string deep512 = std::string(512, '[') + std::string(512, ']');
    std::string deep513 = std::string(513, '[') + std::string(513, ']');
    EXPECT_TRUE(objectFromJSONString(deep512).isArray());
    TXJKError error;
    EXPECT_TRUE(objectFromJSONString(deep513, 0, &error).isNil());
    EXPECT_FALSE(error.description.empty());
    // Far deeper input must fail the same way, not exhaust the stack.
    EXPECT_TRUE(objectFromJSONString(std::string(200000, '[')).isNil());
}

TEST(TXJKSerializerTable, WritesTheExpectedText)
{
    auto dict = [](std::initializer_list<pf::Dictionary::Entry> entries) { return pf::Value(pf::Dictionary::create(entries)); };
    auto decimal = [](const char* text) { return pf::Value::number(*pf::decimalFromText(text)); };
    struct Row {
        pf::Value value;
        unsigned options;
        const char* expected;
    } rows[] = {
        {dict({{"s", "\t\xC3\xA9"}}), 0, "{\"s\":\"\\t\xC3\xA9\"}"},
        {dict({{"s", "\t\xC3\xA9"}}), 2, "{\"s\":\"\\t\\u00e9\"}"},
        {dict({{"s", "\xF0\x9D\x84\x9E"}}), 2, "{\"s\":\"\\ud834\\udd1e\"}"},
        {dict({{"b", 1}, {"a", 2}}), 1, "{\n  \"a\": 2,\n  \"b\": 1\n}"},
        {dict({{"p", "a/b\"\\\x01"}}), 16, "{\"p\":\"a\\/b\\\"\\\\\\u0001\"}"},
        {pf::Value(pf::Array::create({true, pf::Value::null(), pf::Value::unsignedNumber(18446744073709551615ULL)})), 0,
         "[true,null,18446744073709551615]"},
        // Escapes before, inside and after whole eight-byte words of plain text.
        {dict({{"p", "abcdefgh/ijklmnop\"qrstuvwxyz0123\\"}}), 16, "{\"p\":\"abcdefgh\\/ijklmnop\\\"qrstuvwxyz0123\\\\\"}"},
        {dict({{"p", "abcdefgh/ijklmnop\x1f"}}), 0, "{\"p\":\"abcdefgh/ijklmnop\\u001f\"}"},
        {dict({{"u", "abcdefghij\xE4\xB8\xADklmnopqrstuvw\xC3\xA9"}}), 2, "{\"u\":\"abcdefghij\\u4e2dklmnopqrstuvw\\u00e9\"}"},
        {dict({{"u", "abcdefghij\xE4\xB8\xADklmnopqrstuvw\xC3\xA9"}}), 0, "{\"u\":\"abcdefghij\xE4\xB8\xADklmnopqrstuvw\xC3\xA9\"}"},
        {dict({{"n", -9223372036854775807LL - 1}, {"d", 0.1}, {"f", false}}), 0,
         "{\"n\":-9223372036854775808,\"d\":0.10000000000000001,\"f\":false}"},
        // Decimals (what the ZZ parser makes of every number) are written as
        // doubles are, whole ones and ones past a double's digits included.
        {pf::Value(pf::Array::create({decimal("0.1"), decimal("12345678901234567890123"), decimal("5")})), 0,
         "[0.10000000000000001,1.2345678901234568e+22,5]"},
        {pf::Value(pf::Array::create({decimal("-0"), decimal("1e-7"), decimal("-18446744073709551617")})), 0,
         "[-0,9.9999999999999995e-08,-1.8446744073709552e+19]"},
    };
    for (const auto& row : rows) {
        TXJKError error;
        auto text = JSONStringWithOptions(row.value, row.options, &error);
        EXPECT_EQ(text.value_or("<" + error.description + ">"), row.expected);
    }
}

TEST(TXJKSerializerErrors, FailuresNameTheCause)
{
    struct Row {
        pf::Value value;
        const char* error;
    } rows[] = {
        {pf::Value(pf::Array::create({std::nan("")})), "Floating point values must be finite.  JSON does not support NaN or Infinity."},
        {pf::Value(pf::Array::create({pf::Value::data(pf::Bytes{1})})), "Unable to serialize object class Data."},
        {pf::Value("text"), "Unable to serialize object class String, expected a NSArray or NSDictionary."},
    };
    for (const auto& row : rows) {
        TXJKError error;
        EXPECT_FALSE(JSONStringWithOptions(row.value, 0, &error));
        EXPECT_EQ(error.description, row.error);
    }
    auto formatted = JSONStringWithOptions(pf::Value(pf::Array::create({pf::Value::data(pf::Bytes{1})})), 0, nullptr,
                                           [](const pf::Value&) { return pf::Value("blob"); });
    EXPECT_EQ(formatted.value_or(""), "[\"blob\"]");
    EXPECT_EQ(JSONStringWithOptions(std::string_view("a\"b"), 0, false).value_or(""), "a\\\"b");
    EXPECT_EQ(JSONStringWithOptions(std::string_view("a\"b"), 0, true).value_or(""), "\"a\\\"b\"");
}

// An object met again in one call is written as it was the first time, in
// compact text however far the text grew since; pretty text indents it for
// where it stands; a formatter's replacements, temporaries whose addresses
// come back, are each written for what they hold.
TEST(TXJKSerializerCache, ObjectsMetAgainAreWrittenForWhatTheyAre)
{
    auto shared = pf::Value(pf::Dictionary::create({{"k", "a\tb/\xC3\xA9 twelve bytes"}, {"n", 7}}));
    const std::string one = "{\"k\":\"a\\tb/\xC3\xA9 twelve bytes\",\"n\":7}";
    auto many = pf::Array::create();
    std::string expected = "[";
    for (int i = 0; i < 2000; ++i) {
        many->add(shared);
        expected += (i ? "," : "") + one;
    }
    expected += "]";
    EXPECT_EQ(JSONString(pf::Value(many)).value_or(""), expected);

    auto inner = pf::Value(pf::Array::create({1}));
    auto nested = pf::Value(pf::Array::create({inner, pf::Value(pf::Array::create({inner}))}));
    EXPECT_EQ(JSONStringWithOptions(nested, TXJKSerializeOptionPretty).value_or(""),
              "[\n  [\n    1\n  ],\n  [\n    [\n      1\n    ]\n  ]\n]");

    int made = 0;
    auto blobs = pf::Value(pf::Array::create({pf::Value::data(pf::Bytes{1}), pf::Value::data(pf::Bytes{2}),
                                              pf::Value::data(pf::Bytes{3})}));
    auto fresh = [&](const pf::Value&) { return pf::Value(pf::Array::create({std::to_string(made++)})); };
    EXPECT_EQ(JSONStringWithOptions(blobs, 0, nullptr, fresh).value_or(""), "[[\"0\"],[\"1\"],[\"2\"]]");
}

TEST(TXJSONDecoderStrings, FaultsAreFoundAtTheirByteWhateverCameBefore)
{
    const std::string longRun = "[\"" + repeated("\xE4\xB8\xAD\xC3\xA9" "A\xF0\x9D\x84\x9E", 300) + "\"]";
    struct Row {
        std::string text;
        unsigned options;
        const char* expected; // the compact re-encoding, or null for a failure
        const char* error;
        std::size_t index;
    } rows[] = {
        {"[\"\xE4\xB8\xAD\xE6\x96\x87 0123456789 \xC3\xA9\"]", 0, "[\"\xE4\xB8\xAD\xE6\x96\x87 0123456789 \xC3\xA9\"]",
         nullptr, 0},
        {"[\"0123456789abcdef\xC3(\"]", 0, nullptr, "Illegal UTF8 sequence found in \"\" string.", 18},
        {"[\"\xE4\xB8\xAD\xE4\xB8\"]", 0, nullptr, "Illegal UTF8 sequence found in \"\" string.", 5},
        {"[\"\xED\xA0\x80\"]", 0, nullptr, "Illegal UTF8 sequence found in \"\" string.", 2},
        {"[\"\xE4\xB8\xAD\xFF\xE4\xB8\xAD\"]", 4, "[\"\xE4\xB8\xAD\xEF\xBF\xBD\xE4\xB8\xAD\"]", nullptr, 0},
        {"[\"\xE4\xB8\xAD", 0, nullptr, "Reached the end of the buffer.", 5},
        {"[\"ab\\u12g4\"]", 0, nullptr, "Unexpected character found in \\u Unicode escape sequence.", 8},
        {"[\"a\\nbcdefghijkl\x01\"]", 0, nullptr, "Invalid character < 0x20 found in string: 0x01.", 16},
        {"[\"a\\tb\",\"a\\tb\",\"a\\u00e9\xE4\xB8\xAD\"]", 0, "[\"a\\tb\",\"a\\tb\",\"a\xC3\xA9\xE4\xB8\xAD\"]", nullptr, 0},
        {"{\"k\\u00e9\":1,\"o\":{\"k\\u00e9\":{\"x\\ty\":[1]},\"k\":2},\"k\\u00e9\":3}", 0,
         "{\"k\xC3\xA9\":3,\"o\":{\"k\xC3\xA9\":{\"x\\ty\":[1]},\"k\":2}}", nullptr, 0},
        // A run of escapes leaves each lone half to the mode's own rule.
        {"[\"\\u4e2d\\ud834\\u4e2d\\udd1e\\ud834\\udd1e\"]", 4,
         "[\"\xE4\xB8\xAD\xEF\xBF\xBD\xE4\xB8\xAD\xEF\xBF\xBD\xF0\x9D\x84\x9E\"]", nullptr, 0},
        {"[\"\\u4e2d\\ud834\\u4e2d\"]", 0, nullptr, "Illegal \\u Unicode escape sequence.", 20},
        {"[\"\\u4e2d\\U4E2D\"]", 0, nullptr, "Invalid escape sequence found in \"\" string.", 9},
        // A run far past the room one run is given at once.
        {"[\"" + repeated("\\u4e2d\\u00e9\\u0041\\ud834\\udd1e", 300) + "\"]", 0, longRun.c_str(), nullptr, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.text));
        TXJKError error;
        pf::Value value = objectFromJSONString(row.text, row.options, &error);
        if (row.expected) {
            ASSERT_FALSE(value.isNil()) << error.description;
            EXPECT_EQ(JSONString(value).value_or("?"), row.expected);
        } else {
            EXPECT_TRUE(value.isNil());
            EXPECT_EQ(error.description.rfind(row.error, 0), 0u) << error.description;
            EXPECT_EQ(error.atIndex, row.index);
        }
    }
    // An escaped string met again is answered from the cache, with the same text.
    TXJSONDecoder decoder;
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(JSONString(decoder.objectWithUTF8String("[\"\\u00e9\"]", 10)).value_or(""), "[\"\xC3\xA9\"]");
    EXPECT_EQ(decoder.cacheHits(), 1u);
}

TEST(TXJSONDecoderNumbers, EveryFormKeepsItsTypeAndExactValue)
{
    struct Row {
        const char* text;
        pf::NumberType type;
        long long integer; // for the integer types
    } integers[] = {
        {"999999999999999999", pf::NumberType::LongLong, 999999999999999999LL},
        {"-999999999999999999", pf::NumberType::LongLong, -999999999999999999LL},
        {"9223372036854775807", pf::NumberType::LongLong, 9223372036854775807LL},
        {"-9223372036854775808", pf::NumberType::LongLong, -9223372036854775807LL - 1},
        {"9223372036854775808", pf::NumberType::UnsignedLongLong, static_cast<long long>(9223372036854775808ULL)},
        {"0", pf::NumberType::LongLong, 0},
    };
    for (const auto& row : integers) {
        SCOPED_TRACE(row.text);
        pf::Value value = objectFromJSONString(std::string("[") + row.text + "]");
        ASSERT_TRUE(value.isArray());
        pf::Value element = value.array()->at(0);
        const pf::Number* n = element.number();
        ASSERT_NE(n, nullptr);
        EXPECT_EQ(n->type, row.type);
        EXPECT_EQ(n->integer, row.integer);
    }
    // Reals are the correctly rounded value of their text, as strtod gives it.
    for (const char* text : {"-0", "-0.0", "0.1", "2.5", "-1234.5678", "12345678901234.5", "123456789012345.6",
                             "0.000000000000001", "9007199254740.993", "1.5e2", "4.9e-324", "1.7976931348623157e308"}) {
        SCOPED_TRACE(text);
        pf::Value value = objectFromJSONString(std::string("[") + text + "]");
        ASSERT_TRUE(value.isArray());
        pf::Value element = value.array()->at(0);
        const pf::Number* n = element.number();
        ASSERT_NE(n, nullptr);
        EXPECT_EQ(n->type, pf::NumberType::Double);
        double expected = std::strtod(text, nullptr);
        EXPECT_EQ(n->real, expected);
        EXPECT_EQ(std::signbit(n->real), std::signbit(expected));
    }
}

TEST(TXJSONDecoderObjects, ManyMembersAndLateRepeatsKeepTheirPlaces)
{
    std::string text = "{";
    for (int i = 0; i < 40; ++i)
        text += "\"k" + std::to_string(i) + "\":" + std::to_string(i) + ",";
    text += "\"k5\":\"x\",\"k39\":[]}";
    pf::Value value = objectFromJSONString(text);
    ASSERT_TRUE(value.isDictionary());
    auto dictionary = value.dictionary();
    EXPECT_EQ(dictionary->count(), 40u);
    EXPECT_EQ(dictionary->keys().front(), "k0");
    EXPECT_EQ(dictionary->keys().back(), "k39");
    EXPECT_EQ(dictionary->get("k5"), pf::Value("x"));
    EXPECT_TRUE(dictionary->get("k39").isArray());
    EXPECT_EQ(dictionary->get("k38").longLongValue(), 38);
}

TEST(TXJSONDecoderObjects, TimeGrowsLinearlyWithTheKeysOfOneObject)
{
    // Each new key was compared with every earlier one: ten times the keys
    // took a hundred times as long. Then keys made to meet under a hash known
    // outside the process each walked past the earlier ones in the index.
    auto members = [](const std::string& text) { return objectFromJSONString(text).dictionary()->count(); };
    pf::testing::expectFewReadsOfEachKey(members);
    pf::testing::expectShortIndexWalksForCollidingKeys(members);
}

TEST(TXJKSerializerUtf8, OnlyWellFormedTextIsWrittenAsAString)
{
    struct Row {
        std::string text;
        unsigned options;
        const char* expected; // or null for a failure
        const char* error;
    } rows[] = {
        {"\xE4\xB8\xAD\xC3\xA9z\xF0\x9F\x98\x80", 2, "[\"\\u4e2d\\u00e9z\\ud83d\\ude00\"]", nullptr},
        {"\xE4\xB8\xAD\xC3\xA9z\xF0\x9F\x98\x80", 0, "[\"\xE4\xB8\xAD\xC3\xA9z\xF0\x9F\x98\x80\"]", nullptr},
        {"a\xED\xA0\x80", 0, nullptr, "Unable to create NSString object"}, // an encoded surrogate
        {"a\xE0\x80\xAF", 0, nullptr, "Unable to create NSString object"}, // an overlong slash
        {"a\xED\xA0\x80", 2, nullptr, "Error converting UTF8."},
        {"\xC3", 2, nullptr, "Error converting UTF8."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.text));
        TXJKError error;
        auto text = JSONStringWithOptions(pf::Value(pf::Array::create({row.text})), row.options, &error);
        if (row.expected) {
            EXPECT_EQ(text.value_or("<" + error.description + ">"), row.expected);
        } else {
            EXPECT_FALSE(text);
            EXPECT_EQ(error.description, row.error);
        }
    }
    // As data the bytes go out as they are.
    auto data = JSONDataWithOptions(pf::Value(pf::Array::create({"a\xED\xA0\x80"})), 0);
    ASSERT_TRUE(data);
    EXPECT_EQ(std::string(data->begin(), data->end()), "[\"a\xED\xA0\x80\"]");
}
