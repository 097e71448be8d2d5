#include "platform/foundation/Collections.h"
#include "platform/foundation/Decimal.h"
#include "platform/foundation/Text.h"
#include "tests/platform/foundation/ManyKeys.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <utility>
#include <vector>

using namespace pf;

TEST(ValueAccessors, StringsParseTheirLeadingNumber)
{
    struct Row {
        const char* text;
        long long integer;
        double real;
        bool flag;
    } rows[] = {
        {"42abc", 42, 42, true}, {"  -7", -7, -7, true}, {"3.5", 3, 3.5, true},
        {"abc", 0, 0, false},    {"yes", 0, 0, true},     {"0", 0, 0, false},
        {"", 0, 0, false},       {"1e3", 1, 1000, true},
    };
    for (const Row& r : rows) {
        Value v(r.text);
        EXPECT_EQ(v.longLongValue(), r.integer) << r.text;
        EXPECT_DOUBLE_EQ(v.doubleValue(), r.real) << r.text;
        EXPECT_EQ(v.boolValue(), r.flag) << r.text;
    }
}

TEST(ValueAccessors, NumbersConvertSafelyAndPrintShort)
{
    // Out-of-range doubles saturate instead of being undefined.
    EXPECT_EQ(Value(1e300).longLongValue(), std::numeric_limits<long long>::max());
    EXPECT_EQ(Value(std::nan("")).longLongValue(), 0);
    // The shortest "%g" text that reads back as the same number.
    for (const auto& [value, text] : std::vector<std::pair<Value, const char*>>{
             {Value(1.5), "1.5"},
             {Value(0.1), "0.1"},
             {Value(279.5), "279.5"},
             {Value(100.0), "1e+02"},
             {Value(-2.5e-7), "-2.5e-07"},
             {Value(1.0 / 3), "0.3333333333333333"},
             {Value(0.1f), "0.1"},
             {Value(5e-324), "5e-324"},
             {Value(1.7976931348623157e308), "1.7976931348623157e+308"},
             {Value(12345678901LL), "12345678901"},
             // Zeros around the digits of the shortest text do not count
             // towards the precision the search starts from.
             {Value(0.001), "0.001"},
             {Value(120000.0), "1.2e+05"},
             {Value(9007199254740993.0), "9007199254740992"},
             {Value(123456.789), "123456.789"},
             {Value(0.30000000000000004), "0.30000000000000004"},
             {Value(3.14159f), "3.14159"},
             {Value(16777216.0f), "16777216"},
             {Value(0.3f), "0.3"},
             // Few decimals: written from their digits, the same text.
             {Value(-279.5), "-279.5"},
             {Value(0.0001), "0.0001"},
             {Value(0.00001), "1e-05"},
             {Value(99.95), "99.95"},
             {Value(1e8 + 0.5), "100000000.5"},
         }) {
        EXPECT_EQ(value.description(), text);
    }
    // Decimals of every size against the shortest "%.*g"
    // text that reads back, found the slow way.
    auto reference = [](double d) {
        char text[40];
        for (int precision = 1; precision <= 17; ++precision) {
            std::snprintf(text, sizeof text, "%.*g", precision, d);
            if (std::strtod(text, nullptr) == d)
                break;
        }
        return std::string(text);
    };
    std::uint64_t state = 88172645463325252ULL;
    for (int i = 0; i < 20000; ++i) {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        const int decimals = static_cast<int>(state % 8);
        const auto digits = static_cast<double>((state >> 3) % 17 + 1);
        const auto whole = static_cast<double>((state >> 10) % static_cast<std::uint64_t>(std::pow(10.0, digits)));
        const double d = whole / std::pow(10.0, decimals) * ((state >> 9) % 2 ? -1 : 1);
        ASSERT_EQ(Value(d).description(), reference(d)) << i;
    }
    EXPECT_EQ(Value(3).stringValue(), "3");
    EXPECT_FALSE(Value::null().stringValue());
    EXPECT_EQ(Value::null().length(), 0u);
}

// A decimal compares by value with integers and decimals, and as a double
// with doubles, the way integers do.
TEST(ValueAccessors, DecimalsEqualNumbersOfTheirValue)
{
    auto decimal = [](const char* text) { return Value::number(*decimalFromText(text)); };
    struct Row {
        const char* text;
        Value other;
        bool equal;
    } rows[] = {
        {"42", Value(42), true},
        {"4.2e1", Value(42.0), true},
        {"1.50", decimal("15e-1"), true},
        {"-0", Value(0), true},
        {"0.1", Value(0.1), true},
        {"0.1", Value::number(NumberType::Decimal, 0.1), true},
        {"-7", Value::number(NumberType::Decimal, -7LL), true},
        {"18446744073709551615", Value::unsignedNumber(18446744073709551615ULL), true},
        {"18446744073709551617", Value::unsignedNumber(1), false},
        {"-9223372036854775808", Value(std::numeric_limits<long long>::min()), true},
        {"42.5", Value(42), false},
        {"0.12345678901234567891", decimal("0.1234567890123456789"), false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(decimal(row.text) == row.other, row.equal) << row.text;
        EXPECT_EQ(row.other == decimal(row.text), row.equal) << row.text;
    }
}

TEST(ValueCollections, DictionaryKeepsInsertionOrderAcrossRemoval)
{
    Dictionary d;
    d.set("z", 1);
    d.set("a", 2);
    d.set("m", 3);
    d.set("a", 4); // replacing keeps the position
    d.remove("z");
    d.set("b", 5);
    d.set("m", Value()); // nil removes
    EXPECT_EQ(d.keys(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(d.get("a").intValue(), 4);
    EXPECT_EQ(d.get("b").intValue(), 5);
    EXPECT_TRUE(d.get("m").isNil());
}

TEST(ValueCollections, KeysChosenToMeetUnderTheUnseededHashSpreadOverTheIndex)
{
    // The buckets depend only on how many keys came: ordinary ones tell how
    // many there will be, and then keys that share a bucket under a hash
    // known outside the process crowded it, each lookup comparing them all.
    const int count = 3000;
    Dictionary ordinary;
    for (int i = 0; i < count; ++i)
        ordinary.set("k" + std::to_string(i), i);
    std::size_t buckets = ordinary.indexBucketsForTesting();
    ASSERT_GT(buckets, 0u);
    auto keys = pf::testing::collidingKeys(count, buckets);
    Dictionary d;
    for (int i = 0; i < count; ++i)
        d.set(keys[std::size_t(i)], i);
    ASSERT_EQ(d.indexBucketsForTesting(), buckets);
    EXPECT_LE(d.indexComparisonsForTesting(), std::size_t(count) * 3);
    EXPECT_EQ(d.count(), std::size_t(count));
    EXPECT_EQ(d.get(keys.back()).intValue(), count - 1);
}

TEST(ValueCollections, EqualityIsByContentRegardlessOfOrder)
{
    auto a = Dictionary::create({{"x", 1}, {"y", Array::create({"p", Value::null()})}});
    auto b = Dictionary::create({{"y", Array::create({"p", Value::null()})}, {"x", 1}});
    Value shared(b);
    EXPECT_EQ(Value(a), shared);
    b->set("x", 2); // collections are shared references
    EXPECT_FALSE(Value(a) == shared);
    EXPECT_EQ(shared.dictionary()->get("x").intValue(), 2);
}

TEST(ValueCollections, EqualityWalksSameOrderAndFallsBackToLookups)
{
    auto make = [](std::initializer_list<std::pair<const char*, Value>> entries, const char* removed = nullptr) {
        auto d = Dictionary::create();
        if (removed)
            d->set(removed, 0);
        for (const auto& [key, value] : entries)
            d->set(key, value);
        if (removed)
            d->remove(removed);
        return Value(d);
    };
    struct Row {
        Value a, b;
        bool equal;
    } rows[] = {
        {make({{"a", 1}, {"b", "t"}}), make({{"a", 1}, {"b", "t"}}), true},
        {make({{"a", 1}, {"b", "t"}}), make({{"a", 1}, {"b", "u"}}), false},
        {make({{"a", 1}, {"b", 2}, {"c", 3}}), make({{"a", 1}, {"c", 3}, {"b", 2}}), true},
        {make({{"a", 1}, {"b", 2}, {"c", 3}}), make({{"a", 1}, {"c", 3}, {"b", 4}}), false},
        {make({{"a", 1}, {"b", 2}}), make({{"a", 1}, {"c", 2}}), false},
        {make({{"a", 1}, {"b", 2}}, "x"), make({{"a", 1}, {"b", 2}}), true},
        {make({{"a", 1}, {"b", 2}}, "x"), make({{"b", 2}, {"a", 1}}, "y"), true},
        {make({{"a", 1}, {"b", 2}}, "x"), make({{"a", 1}, {"b", 3}}), false},
        {make({}), make({}), true},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.a == row.b, row.equal) << row.a.description() << " / " << row.b.description();
        EXPECT_EQ(row.b == row.a, row.equal) << row.b.description() << " / " << row.a.description();
    }
}

TEST(ValueDescription, CollectionsPrintInPropertyListStyle)
{
    auto d = Dictionary::create({{"name", "Bo"}, {"tags", Array::create({"a b", 2})}});
    EXPECT_EQ(Value(d).description(), "{\n    name = Bo;\n    tags = (\n        \"a b\",\n        2\n    );\n}");
    EXPECT_EQ(Value().description(), "(null)");
}

TEST(Text, LengthsAndIndexesCountUtf16Units)
{
    std::string s = "a\xE4\xB8\xAD\xF0\x9F\x98\x80z"; // a, U+4E2D, U+1F600, z
    EXPECT_EQ(utf16Length(s), 5u);
    EXPECT_EQ(Value(s).length(), 5u);
    EXPECT_EQ(utf16Substring(s, 1, 1), "\xE4\xB8\xAD");
    EXPECT_EQ(utf16Substring(s, 2, 2), "\xF0\x9F\x98\x80");
    EXPECT_EQ(utf16Substring(s, 4, 100), "z");
    EXPECT_EQ(utf16Substring(s, 9, 1), "");
    EXPECT_EQ(fromUtf16(toUtf16(s)), s);
    EXPECT_EQ(fromUtf16(u"\xD83D"), "\xEF\xBF\xBD"); // lone surrogate
    EXPECT_FALSE(isValidUtf8("\xC3"));
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80")); // encoded surrogate
    EXPECT_TRUE(isValidUtf8(s));
}

TEST(Text, MultibyteRunsStopAtAsciiAndAtTheFirstInvalidSequence)
{
    struct Row {
        std::string bytes;
        std::size_t run;
        bool valid; // isValidUtf8 of the bytes
    } rows[] = {
        {"", 0, true},
        {"abc", 0, true},
        {"\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80z\xC3\xA9", 9, true},
        {"\xC2\x80\xDF\xBF", 4, true},                 // the two-byte range's ends
        {"\xE0\xA0\x80\xEF\xBF\xBF", 6, true},         // the three-byte range's ends
        {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", 8, true}, // the four-byte range's ends
        {"\xC3\xA9\xC0\xAF", 2, false},                // overlong two bytes
        {"\xE0\x9F\xBF", 0, false},                    // overlong three bytes
        {"\xF0\x8F\xBF\xBF", 0, false},                // overlong four bytes
        {"\xED\xA0\x80", 0, false},                    // encoded surrogate
        {"\xED\x9F\xBF", 3, true},                     // the last code point before them
        {"\xF4\x90\x80\x80", 0, false},                // past U+10FFFF
        {"\xF5\x80\x80\x80", 0, false},
        {"\x80", 0, false},                            // stray continuation
        {"\xE4\xB8", 0, false},                        // cut by the end
        {"\xE4\xB8z", 0, false},                       // cut by ASCII
        {std::string(13, 'a') + "\xE4\xB8", 0, false}, // after a long ASCII run
        {std::string(16, 'a') + "\xC3\xA9" + std::string(9, 'b'), 0, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.bytes));
        EXPECT_EQ(utf8MultibyteRun(row.bytes), row.run);
        EXPECT_EQ(isValidUtf8(row.bytes), row.valid);
    }
}

TEST(Text, HexQuadsAndEncodedCodePoints)
{
    struct Row {
        const char* digits;
        long value;
    } quads[] = {{"00e9", 0xE9}, {"FFFF", 0xFFFF}, {"abCD", 0xABCD}, {"12g4", -1}, {"12 4", -1}, {"G000", -1}};
    for (const auto& row : quads)
        EXPECT_EQ(hexQuadValue(row.digits), row.value) << row.digits;
    for (char32_t cp : {U'\0', U'A', U'\x7F', U'\x80', U'\xE9', U'\x7FF', U'\x800', U'\x4E2D', U'\xFFFF', U'\x10000',
                        U'\x1F600', U'\x10FFFF'}) {
        char bytes[4];
        std::string encoded(bytes, encodeUtf8(cp, bytes));
        EXPECT_TRUE(isValidUtf8(encoded)) << std::uint32_t(cp);
        std::u16string units = toUtf16(encoded);
        char32_t decoded = units.size() == 2 ? 0x10000 + ((char32_t(units[0]) - 0xD800) << 10) + (units[1] - 0xDC00)
                                             : char32_t(units.at(0));
        EXPECT_EQ(decoded, cp);
        EXPECT_EQ(utf8MultibyteRun(encoded), cp < 0x80 ? 0u : encoded.size()) << std::uint32_t(cp);
    }
    EXPECT_EQ(hexDigitValue('f'), 15);
    EXPECT_EQ(hexDigitValue('/'), -1);
}

TEST(ValueCollections, LargeDictionariesFindEveryKeyAcrossRemovals)
{
    Dictionary d;
    for (int i = 0; i < 40; ++i)
        d.set("k" + std::to_string(i), i);
    for (int i = 0; i < 40; i += 3)
        d.remove("k" + std::to_string(i));
    d.remove(d.begin()->first); // a key that lives in the entry itself
    for (int i = 0; i < 40; ++i) {
        Value v = d.get("k" + std::to_string(i));
        if (i % 3 == 0 || i == 1)
            EXPECT_TRUE(v.isNil()) << i;
        else
            EXPECT_EQ(v.intValue(), i) << i;
    }
    EXPECT_EQ(d.count(), 25u);
    auto copy = d.mutableCopy();
    copy->set("k1", 1);
    copy->remove("k2");
    EXPECT_EQ(copy->get("k1").intValue(), 1);
    EXPECT_TRUE(d.get("k1").isNil());
    EXPECT_EQ(d.get("k2").intValue(), 2);
    Dictionary assigned;
    assigned = *copy;
    copy->clear();
    EXPECT_EQ(assigned.get("k1").intValue(), 1);
    EXPECT_EQ(assigned.get("k38").intValue(), 38);
    EXPECT_EQ(assigned.count(), 25u);
    Dictionary moved = std::move(assigned); // with removed entries behind
    EXPECT_EQ(moved.count(), 25u);
    EXPECT_EQ(assigned.count(), 0u); // NOLINT(bugprone-use-after-move): moved-from stays usable
    assigned.set("again", 1);
    EXPECT_EQ(assigned.count(), 1u);
}
