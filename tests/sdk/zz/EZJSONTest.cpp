#include "platform/foundation/Collections.h"
#include "sdk/zz/CVOSDKEZJSON.h"
#include "sdk/zz/CommonSDK.h"
#include "tests/platform/foundation/ManyKeys.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace {

// The trace as "code:message" lines, oldest first.
std::vector<std::string> traceOf(const CVOSDKEZJSONBase& codec)
{
    std::vector<std::string> lines;
    for (const auto& error : codec.errorTrace())
        lines.push_back(std::to_string(error->code) + ":" + error->description);
    return lines;
}

using Lines = std::vector<std::string>;

}

TEST(EZJSONParser, FailuresLeaveTheirStackedTraces)
{
    struct Row {
        std::string text;
        Lines trace;
    } rows[] = {
        { "42", { "4:Valid fragment, but not JSON" } },
        { "[1,]", { "9:Trailing comma disallowed in array" } },
        { "[01]", { "2:Leading 0 disallowed in number", "3:Expected value while parsing array" } },
        { "[1e400]", { "2:Failed creating decimal instance", "3:Expected value while parsing array" } },
        { "[tru]", { "3:Expected 'true'", "3:Expected value while parsing array" } },
        { "[x]", { "3:Unrecognised leading character", "3:Expected value while parsing array" } },
        { "{1:2}", { "3:Object key string expected" } },
        { "{\"a\" 1}", { "3:Expected ':' separating key and value" } },
        { "{\"k\":}", { "3:Unrecognised leading character", "3:Object value expected for key: k" } },
        { "[\"a\tb\"]", { "5:Unescaped control character '0x9'", "3:Expected value while parsing array" } },
        { "[\"abc", { "5:Unescaped control character '0x0'", "3:Expected value while parsing array" } },
        { "[\"\\u12G4\"]",
          { "6:Missing hex digit in quad", "6:Missing hex quad", "6:Broken unicode character",
            "3:Expected value while parsing array" } },
        { "[\"\\ude00\"]",
          { "6:Invalid high character in surrogate pair", "6:Broken unicode character",
            "3:Expected value while parsing array" } },
        { "[\"\\ud83d\\u0041\"]",
          { "6:Invalid low surrogate char", "6:Broken unicode character", "3:Expected value while parsing array" } },
        // A run of escapes leaves a lone half or a capital U where it stands.
        { "[\"\\u4e2d\\ud83d\\u0041\"]",
          { "6:Invalid low surrogate char", "6:Broken unicode character", "3:Expected value while parsing array" } },
        { "[\"\\u4e2d\\ud83d\"]",
          { "6:Missing low character in surrogate pair", "6:Broken unicode character",
            "3:Expected value while parsing array" } },
        { "[\"\\u4e2d\\U4E2D\"]", { "8:Illegal escape sequence '0x55'", "3:Expected value while parsing array" } },
        { "[\"\\q\"]", { "8:Illegal escape sequence '0x71'", "3:Expected value while parsing array" } },
        { "[\"\\", { "11:Unexpected EOF while parsing string", "3:Expected value while parsing array" } },
        { "", { "11:Unexpected end of string" } },
        { "[1 ", { "11:End of input while parsing array" } },
        { "{\"a\":1", { "11:End of input while parsing object" } },
        { "\xff[]", { "12:Input was 'nil'" } },
        { std::string("[1]\0", 4), { "10:Garbage after JSON" } },
        { std::string(513, '[') + std::string(513, ']'), { "7:Nested too deep" } },
    };
    for (const auto& row : rows) {
        CVOSDKEZJSONParser parser;
        EXPECT_TRUE(parser.objectWithString(row.text).isNil()) << row.text;
        Lines trace = traceOf(parser);
        // Nesting failures repeat the array's wrapper once per level; the
        // innermost cause is what matters.
        if (row.trace.front().starts_with("7:"))
            trace.resize(1);
        EXPECT_EQ(trace, row.trace) << row.text;
        // Each error wraps the one before it.
        for (std::size_t i = 1; i < parser.errorTrace().size(); ++i)
            EXPECT_EQ(parser.errorTrace()[i]->underlying, parser.errorTrace()[i - 1]);
        EXPECT_EQ(parser.errorTrace().front()->underlying, nullptr);
        EXPECT_EQ(parser.errorTrace().front()->domain, CVOSDKEZJSONBase::kErrorDomain);
    }
    CVOSDKEZJSONParser parser;
    EXPECT_TRUE(parser.objectWithString(std::nullopt).isNil());
    EXPECT_EQ(traceOf(parser), Lines { "12:Input was 'nil'" });
    EXPECT_FALSE(parser.objectWithString("[]").isNil());
    EXPECT_TRUE(parser.errorTrace().empty()); // a new call starts clean
}

TEST(EZJSONParser, ValuesMapOntoPlainTypes)
{
    CVOSDKEZJSONParser parser;
    pf::Value v = parser.objectWithString(
        " {\"b\":1,\"a\":[1 2, -0, 9223372036854775807, 18446744073709551615, -9223372036854775809, 1.5e2, 1e-400,"
        " true,false,null],\"b\":\"\\ud83d\\ude00\\/\\t\\u00e9\",\"c\":{}} ");
    ASSERT_TRUE(v.isDictionary());
    auto d = v.dictionary();
    EXPECT_EQ(d->keys(), (std::vector<std::string> { "b", "a", "c" })); // repeated key keeps its place
    EXPECT_EQ(*d->string("b"), "\xF0\x9F\x98\x80/\t\xC3\xA9");
    EXPECT_EQ(d->get("b").length(), 5u); // the pair is two UTF-16 units
    auto a = d->array("a");
    ASSERT_EQ(a->count(), 11u);
    struct Row {
        std::size_t index;
        pf::NumberType type;
        double value;
    } rows[] = {
        { 0, pf::NumberType::Decimal, 1 }, { 1, pf::NumberType::Decimal, 2 },
        { 2, pf::NumberType::Decimal, 0 }, { 3, pf::NumberType::Decimal, 9223372036854775807.0 },
        { 4, pf::NumberType::Decimal, 18446744073709551615.0 },
        { 5, pf::NumberType::Decimal, -9223372036854775809.0 }, { 6, pf::NumberType::Decimal, 150 },
        { 7, pf::NumberType::Decimal, 0 }, // 1e-400: below the range, so zero
        { 8, pf::NumberType::Bool, 1 }, { 9, pf::NumberType::Bool, 0 },
    };
    for (const auto& row : rows) {
        pf::Value element = a->at(row.index);
        const pf::Number* n = element.number();
        ASSERT_NE(n, nullptr) << row.index;
        EXPECT_EQ(n->type, row.type) << row.index;
        EXPECT_EQ(n->asDouble(), row.value) << row.index;
    }
    EXPECT_EQ(a->at(3).longLongValue(), 9223372036854775807LL);
    EXPECT_TRUE(a->at(10).isNull());

    EXPECT_EQ(parser.fragmentWithString(" 42 ").longLongValue(), 42);
    EXPECT_EQ(CommonSDK::JSONValue(std::nullopt), pf::Value());
    EXPECT_EQ(CommonSDK::JSONValue("\"s\""), pf::Value());
    EXPECT_TRUE(CommonSDK::JSONValue("[]").isArray());
}

TEST(EZJSONParser, DepthLimitFollowsMaxDepth)
{
    auto nested = [](int levels) { return std::string(levels, '[') + std::string(levels, ']'); };
    CVOSDKEZJSONParser parser;
    EXPECT_TRUE(parser.objectWithString(nested(512)).isArray());
    parser.setMaxDepth(0);
    EXPECT_TRUE(parser.objectWithString(nested(1500)).isArray());
    // Even without a configured limit, hostile nesting stops before the stack runs out.
    EXPECT_TRUE(parser.objectWithString(nested(CVOSDKEZJSONBase::kHardDepthLimit + 1)).isNil());
    EXPECT_EQ(parser.errorTrace().front()->code, 7);
    parser.setMaxDepth(2);
    EXPECT_TRUE(parser.objectWithString("{\"a\":[1]}").isDictionary());
    EXPECT_TRUE(parser.objectWithString("[[[1]]]").isNil());
}

TEST(EZJSONWriter, LayoutAndEscapes)
{
    auto parsed = [](const char* text) { return CVOSDKEZJSONParser().objectWithString(text); };
    auto doc = pf::Dictionary::create({ { "b", 1 }, { "a", pf::Array::create({ true, pf::Value::null() }) } });
    struct Row {
        pf::Value value;
        bool sort, human;
        std::string text;
    } rows[] = {
        { doc, true, true, "{\n  \"a\" : [\n    true,\n    null\n  ],\n  \"b\" : 1\n}" },
        { doc, false, false, "{\"b\":1,\"a\":[true,null]}" },
        { pf::Dictionary::create(), true, true, "{}" },
        { pf::Array::create(), false, true, "[]" },
        { pf::Array::create({ "a/b", "t\tq\"\\\x0b\x01\n\r\b\f", "é" }), false, false,
          "[\"a/b\",\"t\\tq\\\"\\\\\\u000b\\u0001\\n\\r\\b\\f\",\"é\"]" },
        { pf::Array::create({ 0.1, 1e300, -2.5, 3.0, pf::Value::unsignedNumber(18446744073709551615ULL), -7 }),
          false, false, "[0.1,1e+300,-2.5,3,18446744073709551615,-7]" },
        // Parsed numbers go out as the numbers their text was, every digit
        // kept and never with an exponent.
        { parsed("[18446744073709551617]"), false, false, "[18446744073709551617]" },
        { parsed("[-12345678901234567890.5]"), false, false, "[-12345678901234567890.5]" },
        { parsed("[0.000001,1.5E3]"), false, false, "[0.000001,1500]" },
        { parsed("[12345678901234567890123]"), false, false, "[12345678901234567890123]" },
        { parsed("[0.12345678901234567891]"), false, false, "[0.12345678901234567891]" },
    };
    for (const auto& row : rows) {
        CVOSDKEZJSONWriter writer;
        writer.setSortKeys(row.sort);
        writer.setHumanReadable(row.human);
        EXPECT_EQ(writer.stringWithObject(row.value), row.text);
    }
}

TEST(EZJSONWriter, UnwritableValuesFail)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Row {
        pf::Value value;
        bool fragment;
        Lines trace;
    } rows[] = {
        { "text", false, { "4:Not valid type for JSON" } },
        { pf::Value(), false, { "4:Not valid type for JSON" } },
        { pf::Array::create({ nan }), false, { "1:JSON serialisation not supported for Number" } },
        { pf::Dictionary::create({ { "k", -inf } }), false,
          { "1:JSON serialisation not supported for Number", "1:Unsupported value for key k in object" } },
        { pf::Value::data(pf::Bytes { 1 }), true, { "1:JSON serialisation not supported for Data" } },
        { pf::Value(pf::Date { 1 }), true, { "1:JSON serialisation not supported for Date" } },
    };
    for (const auto& row : rows) {
        CVOSDKEZJSONWriter writer;
        auto text = row.fragment ? writer.stringWithFragment(row.value) : writer.stringWithObject(row.value);
        EXPECT_FALSE(text.has_value());
        EXPECT_EQ(traceOf(writer), row.trace);
    }
    CVOSDKEZJSONWriter writer;
    writer.setMaxDepth(1);
    EXPECT_FALSE(writer.stringWithObject(pf::Array::create({ pf::Array::create() })));
    EXPECT_EQ(writer.errorTrace().front()->code, 7);
    EXPECT_EQ(writer.stringWithFragment(pf::Value::null()), "null");
}

TEST(EZJSONFacade, CopiesTheFailingTraceAndHandsBackTheLastError)
{
    CVOSDKEZJSON json;
    CVOSDKEZJSONErrorRef error;
    EXPECT_TRUE(json.objectWithString("[\"\\u00\"]", &error).isNil());
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->description, "Expected value while parsing array");
    EXPECT_EQ(error->underlying->description, "Broken unicode character");
    EXPECT_EQ(json.errorTrace().size(), 4u);
    EXPECT_FALSE(json.stringWithObject(pf::Value("x"), &error));
    EXPECT_EQ(error->code, 4);
    json.setSortKeys(true);
    EXPECT_EQ(json.stringWithObject(pf::Dictionary::create({ { "b", 1 }, { "a", 2 } })), "{\"a\":2,\"b\":1}");
}

TEST(EZJSONParser, StringsReadTheSameWhereverTheirEscapesFall)
{
    // Escapes and the closing quote at every place within and across
    // eight-byte words.
    for (std::size_t k = 0; k < 18; ++k) {
        SCOPED_TRACE(k);
        std::string a(k, 'a'), b(k, 'b');
        CVOSDKEZJSONParser parser;
        pf::Value v = parser.objectWithString("[\"" + a + "\\n\xE4\xB8\xAD\\u00e9\\u4E2D\\ud83d\\ude00\\/" + b + "\",\"" +
                                              a + "\"]");
        ASSERT_TRUE(v.isArray());
        EXPECT_EQ(*v.array()->at(0).string(), a + "\n\xE4\xB8\xAD\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80/" + b);
        EXPECT_EQ(*v.array()->at(1).string(), a);
        EXPECT_TRUE(parser.objectWithString("[\"" + a + "\\t" + b + "\x01\"]").isNil());
        EXPECT_EQ(traceOf(parser), (Lines { "5:Unescaped control character '0x1'", "3:Expected value while parsing array" }));
        EXPECT_TRUE(parser.objectWithString("[\"" + a + "\\u00e9" + b + "\\u12\"]").isNil());
        EXPECT_EQ(traceOf(parser).front(), "6:Missing hex digit in quad");
    }
    // A run of escapes far past the room one run is given at once, every
    // width and a pair in it, cut at the end by a short one.
    std::string escaped, text;
    for (int i = 0; i < 300; ++i) {
        escaped += "\\u4e2d\\u00e9\\u0041\\ud83d\\ude00";
        text += "\xE4\xB8\xAD\xC3\xA9" "A\xF0\x9F\x98\x80";
    }
    CVOSDKEZJSONParser parser;
    pf::Value v = parser.objectWithString("[\"" + escaped + "\"]");
    ASSERT_TRUE(v.isArray());
    EXPECT_EQ(*v.array()->at(0).string(), text);
    EXPECT_TRUE(parser.objectWithString("[\"" + escaped + "\\u4e2\"]").isNil());
    EXPECT_EQ(traceOf(parser).front(), "6:Missing hex digit in quad");
}

TEST(EZJSONParser, EscapedAndRepeatedKeysKeepTheirObjects)
{
    CVOSDKEZJSONParser parser;
    pf::Value v = parser.objectWithString(
        "{\"a\\u0062\":1,\"o\":{\"a\\u0062\":{\"x\\ty\":[1]},\"ab\":2,\"c\":{\"a\\u0062\":0}},\"ab\":3}");
    ASSERT_TRUE(v.isDictionary());
    CVOSDKEZJSONWriter writer;
    EXPECT_EQ(writer.stringWithObject(v), "{\"ab\":3,\"o\":{\"ab\":2,\"c\":{\"ab\":0}}}");
    EXPECT_TRUE(parser.objectWithString("{\"a\\u0062\":{\"x\":}}").isNil());
    EXPECT_EQ(traceOf(parser), (Lines { "3:Unrecognised leading character", "3:Object value expected for key: x",
                                        "3:Object value expected for key: ab" }));

    std::string text = "{";
    for (int i = 0; i < 40; ++i)
        text += "\"k" + std::to_string(i) + "\":" + std::to_string(i) + " ";
    text += "\"k5\":\"x\",\"k39\":[]}";
    pf::Value many = parser.objectWithString(text);
    ASSERT_TRUE(many.isDictionary());
    auto d = many.dictionary();
    EXPECT_EQ(d->count(), 40u);
    EXPECT_EQ(d->keys().back(), "k39");
    EXPECT_EQ(d->get("k5"), pf::Value("x"));
    EXPECT_TRUE(d->get("k39").isArray());
    EXPECT_EQ(d->get("k38").longLongValue(), 38);
}

TEST(EZJSONParser, TimeGrowsLinearlyWithTheKeysOfOneObject)
{
    // Each new key was compared with every earlier one: ten times the keys
    // took a hundred times as long. Then keys made to meet under a hash known
    // outside the process each walked past the earlier ones in the index.
    CVOSDKEZJSONParser parser;
    auto members = [&](const std::string& text) { return parser.objectWithString(text).dictionary()->count(); };
    pf::testing::expectFewReadsOfEachKey(members);
    pf::testing::expectShortIndexWalksForCollidingKeys(members);
}

TEST(EZJSONParser, NumbersKeepTheirTypeAndExactValue)
{
    const long long max = std::numeric_limits<long long>::max(), min = std::numeric_limits<long long>::min();
    struct Row {
        const char* text;
        pf::NumberType type;
        long long integer;
    } integers[] = {
        { "999999999999999999", pf::NumberType::Decimal, 999999999999999999LL },
        { "-999999999999999999", pf::NumberType::Decimal, -999999999999999999LL },
        { "-9223372036854775808", pf::NumberType::Decimal, -9223372036854775807LL - 1 },
        { "9223372036854775808", pf::NumberType::Decimal, static_cast<long long>(9223372036854775808ULL) },
        { "-0", pf::NumberType::Decimal, 0 },
        // Past 64 bits, and fractions past the signed range, saturate.
        { "18446744073709551617", pf::NumberType::Decimal, max },
        { "-12345678901234567890.5", pf::NumberType::Decimal, min },
        { "9223372036854775808.5", pf::NumberType::Decimal, max },
        { "-2.5", pf::NumberType::Decimal, -2 },
    };
    CVOSDKEZJSONParser parser;
    for (const auto& row : integers) {
        pf::Value v = parser.fragmentWithString(row.text);
        const pf::Number* n = v.number();
        ASSERT_NE(n, nullptr) << row.text;
        EXPECT_EQ(n->type, row.type) << row.text;
        EXPECT_EQ(v.longLongValue(), row.integer) << row.text;
    }
    // Reals are the correctly rounded value of their text, past 38 digits
    // too: the last text lies a hair above the point halfway between two
    // doubles, where its 38 digits alone would round down.
    for (const char* text : { "-0.0", "0.1", "2.5", "-1234.5678", "12345678901234.5", "123456789012345.6",
                              "0.000000000000001", "9007199254740.993", "1.5e2", "4.9e-324",
                              "0.12345678901234567891", "12345678901234567890123", "1.7976931348623157e308",
                              "2.4703282292062328e-324", "9007199254740993.00000000000000000000000001" }) {
        pf::Value v = parser.fragmentWithString(text);
        const pf::Number* n = v.number();
        ASSERT_NE(n, nullptr) << text;
        EXPECT_EQ(n->type, pf::NumberType::Decimal) << text;
        double expected = std::strtod(text, nullptr);
        EXPECT_EQ(v.doubleValue(), expected) << text;
        EXPECT_EQ(std::signbit(v.doubleValue()), std::signbit(expected)) << text;
    }
}
