#include "framework/core/KRJSON.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Decimal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace {

class JSONTestBase : public pf::Object {
public:
    long long rowid() const { return m_rowid; }
    void setRowid(long long v) { m_rowid = v; }

private:
    long long m_rowid = 7;
};

class JSONTestRecord : public JSONTestBase {
public:
    std::optional<std::string> a() const { return m_a; }
    void setA(std::optional<std::string> v) { m_a = std::move(v); }
    pf::Value b() const { return m_b; }
    void setB(pf::Value v) { m_b = std::move(v); }

private:
    std::optional<std::string> m_a;
    pf::Value m_b;
};

void registerTestClasses()
{
    pf::ClassBuilder<JSONTestBase>("JSONTestBase").property("rowid", &JSONTestBase::rowid, &JSONTestBase::setRowid).commit();
    pf::ClassBuilder<JSONTestRecord>("JSONTestRecord")
        .superclass<JSONTestBase>()
        .property("a", &JSONTestRecord::a, &JSONTestRecord::setA)
        .property("b", &JSONTestRecord::b, &JSONTestRecord::setB)
        .commit();
}

pf::NumberType typeOf(const pf::Value& v)
{
    return v.number() ? v.number()->type : pf::NumberType::Int;
}

}

TEST(KRJSONDecode, LenientTextDecodesLikeStrictText)
{
    struct Row {
        const char* text;
        const char* json;
    } rows[] = {
        {"{a:1,b:\"x\"}", R"({"a":1,"b":"x"})"},
        {"{\"a\":1 \"b\":2}", R"({"a":1,"b":2})"},
        {"[1 2 3]", "[1,2,3]"},
        {R"({"a":{"b":[1,{"c":null}]}})", R"({"a":{"b":[1,{}]}})"},
        {R"({"a":"it\'s","b":"\r\t"})", R"({"a":"it's","b":"\r\t"})"},
        {R"({"a":"\u4e2d\u0041"})", "{\"a\":\"\xE4\xB8\xAD" "A\"}"},
        {R"({"a":1,"b":2)", R"({"a":1})"},
        {R"({"a":[1,2)", R"({"a":[1]})"},
        {R"({"s":"a\)", "{}"},
        {"[true,false,null]", "[1,0,null]"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(KRJSON::encodeObject(KRJSON::decodeText(row.text)), row.json) << row.text;
}

TEST(KRJSONDecode, NumbersAreIntegersUnlessTheyHaveAFractionOrExponent)
{
    pf::DictionaryRef d = KRJSON::decodeText(
                              R"({"a":1.5,"b":-2,"c":1e3,"d":12345678901,"e":1E3,"f":1e+5,"g":99999999999999999999,"h":true,"z":"after"})")
                              .dictionary();
    ASSERT_TRUE(d);
    using T = pf::NumberType;
    const std::tuple<const char*, T, double> rows[] = {{"a", T::Double, 1.5},   {"b", T::LongLong, -2},
                                                       {"c", T::Double, 1000},  {"d", T::LongLong, 12345678901.0},
                                                       {"e", T::Double, 1000},  {"f", T::Double, 100000},
                                                       {"g", T::Double, 1e20},  {"h", T::Bool, 1}};
    for (const auto& [key, type, value] : rows) {
        EXPECT_EQ(typeOf(d->get(key)), type) << key;
        EXPECT_DOUBLE_EQ(d->get(key).doubleValue(), value) << key;
    }
    // The exponent did not spill into the following members.
    EXPECT_EQ(d->string("z"), "after");
    EXPECT_EQ(d->count(), 9u);
}

// Decimals of every length and the integer edges where a shortcut would
// round or overflow, against the C library.
TEST(KRJSONDecode, NumbersMatchTheCLibrary)
{
    std::vector<std::string> texts = {"-0.0", "5.", "-0", "999999999999999999", "-9223372036854775808",
                                      "9223372036854775808", "00012.50", "9007199254740993.0"};
    for (std::uint64_t seed = 88172645463325252ULL, i = 0; i < 3000; i++) {
        seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
        std::string digits = std::to_string(seed).substr(0, 1 + (seed >> 40) % 17);
        std::size_t point = 1 + (seed >> 50) % digits.size();
        texts.push_back(std::string(seed & 1 ? "-" : "") + digits.insert(point, "."));
    }
    for (const auto& text : texts) {
        pf::Value n = KRJSON::decodeText("[" + text + "]").array()->at(0);
        errno = 0;
        long long integer = std::strtoll(text.c_str(), nullptr, 10);
        double real = std::strtod(text.c_str(), nullptr);
        if (text.find('.') == std::string::npos && errno != ERANGE)
            EXPECT_TRUE(typeOf(n) == pf::NumberType::LongLong && n.longLongValue() == integer) << text;
        else
            EXPECT_TRUE(typeOf(n) == pf::NumberType::Double && std::signbit(n.doubleValue()) == std::signbit(real) &&
                        n.doubleValue() == real) << text;
    }
}

TEST(KRJSONDecode, TopLevelValues)
{
    EXPECT_EQ(KRJSON::decodeText("42 ").longLongValue(), 42);
    EXPECT_EQ(KRJSON::decodeText("\"s\"\n").stringValue(), "s");
    EXPECT_TRUE(KRJSON::decodeText("true").boolValue());
    EXPECT_TRUE(KRJSON::decodeText("null").isNull());
    // A scalar needs its terminator; text that cannot begin a value is
    // nothing, not the number 0, so that a proxy's error page never reads as an answer.
    for (const char* text : {"", "42", "\"s\"", "<html><body>Bad Gateway</body></html>", "Service Unavailable"})
        EXPECT_TRUE(KRJSON::decodeText(text).isNil()) << text;
}

TEST(KRJSONDecode, SurrogatesAndInvalidUtf8)
{
    pf::DictionaryRef d = KRJSON::decodeText(
                              "{\"smile\":\"\\ud83d\\ude00\",\"lone\":\"x\\ud83d\",\"bad\":\"\xff\",\"\xfe\":1,\"ok\":2}")
                              .dictionary();
    ASSERT_TRUE(d);
    EXPECT_EQ(d->string("smile"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(d->get("smile").length(), 2u);
    EXPECT_EQ(d->string("lone"), "x\xEF\xBF\xBD");
    EXPECT_FALSE(d->contains("bad"));
    EXPECT_EQ(d->get("ok").intValue(), 2);
    EXPECT_EQ(d->count(), 3u);

    pf::ArrayRef a = KRJSON::decodeText("[\"\xff\",\"y\"]").array();
    ASSERT_TRUE(a);
    EXPECT_EQ(a->count(), 1u);
}

// Repeated keys replace their member, also after a removal, in sibling
// objects and past the size where the dictionary's index takes over.
TEST(KRJSONDecode, RepeatedKeysReplaceTheirMember)
{
    for (int keys : {5, 40}) {
        std::string object = "{";
        for (int i = 0; i < 3 * keys; i++)
            object += "k" + std::to_string(i * 7 % keys) + ":" + std::to_string(i) + ",";
        object += "k0:\"\xff\",k0:-1}";
        pf::ArrayRef siblings = KRJSON::decodeText("[" + object + "," + object + "]").array();
        for (const auto& element : *siblings) {
            pf::DictionaryRef d = element.dictionary();
            EXPECT_EQ(d->count(), std::size_t(keys));
            EXPECT_EQ(d->keys().back(), "k0");
            EXPECT_EQ(d->get("k" + std::to_string(7 % keys)).longLongValue(), 2 * keys + 1);
            EXPECT_EQ(d->get("k0").longLongValue(), -1);
        }
    }
}

// Every key set, then each set again to bytes that are not UTF-8, which
// removes it: the work must grow with the count, not its square.
TEST(KRJSONDecode, RemovingManyKeysStaysLinear)
{
    auto rekeyed = [](int keys) {
        std::string text = "{";
        for (int i = 0; i < keys; i++)
            text += "k" + std::to_string(i) + ":1,";
        for (int i = 0; i < keys; i++)
            text += "k" + std::to_string(i) + ":\"\xff\",";
        return text + "last:2}";
    };
    std::size_t work[2], counts[2] = {10000, 40000};
    for (int row = 0; row < 2; row++) {
        std::size_t before = pf::Dictionary::reorganisedEntriesForTesting();
        pf::DictionaryRef d = KRJSON::decodeText(rekeyed(int(counts[row]))).dictionary();
        work[row] = pf::Dictionary::reorganisedEntriesForTesting() - before;
        ASSERT_TRUE(d);
        EXPECT_EQ(d->keys(), std::vector<std::string>{"last"});
        EXPECT_LE(work[row], 4 * counts[row]) << counts[row];
    }
    EXPECT_LE(work[1], 5 * work[0]);
}

// A container whose key is not UTF-8 is filled but never set: it goes with
// the scan, and its siblings stay.
TEST(KRJSONDecode, ContainersUnderKeysThatAreNotUtf8AreDropped)
{
    struct Row {
        const char* text;
        const char* json;
    } rows[] = {
        {"{\"\xfe\":{\"a\":1},\"b\":2}", R"({"b":2})"},
        {"[{\"\xfe\":[1,{\"c\":\"x\"}]},3]", R"([{},3])"},
        {"{\"a\":{\"\xfe\":[[\"deep\"]],\"s\":\"t\"}}", R"({"a":{"s":"t"}})"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(KRJSON::encodeObject(KRJSON::decodeText(row.text)), row.json) << row.text;
}

// Answers are decoded on a worker queue and kept, changed and dropped on the
// main thread: the collections' storage moves between threads freely.
TEST(KRJSONDecode, RowsDecodedOnOneThreadLiveOnAnother)
{
    std::string text = "{\"list\":[";
    for (int i = 0; i < 300; i++)
        text += (i ? ",{" : "{") + std::string("\"id\":") + std::to_string(i) +
                ",\"name\":\"a name longer than the inline storage\",\"tags\":[1,2,3]}";
    text += "]}";
    std::vector<pf::Value> answers(4);
    std::thread([&] {
        for (auto& answer : answers)
            answer = KRJSON::decodeText(text);
    }).join();
    for (std::size_t round = 0; round < answers.size(); round++) {
        pf::ArrayRef list = answers[round].dictionary()->array("list");
        ASSERT_EQ(list->count(), 300u);
        for (std::size_t i = 0; i < list->count(); i++) {
            pf::DictionaryRef row = list->at(i).dictionary();
            row->set("liked", true);
            row->remove("name");
            row->array("tags")->add(pf::Value(4));
            ASSERT_EQ(row->get("id").longLongValue(), static_cast<long long>(i));
        }
        EXPECT_EQ(KRJSON::encodeObject(list->at(7)), R"({"id":7,"tags":[1,2,3,4],"liked":1})");
        answers[round] = pf::Value();
    }
    EXPECT_EQ(KRJSON::decodeText(text).dictionary()->array("list")->count(), 300u);
}

TEST(KRJSONDecode, SaysWhetherTheTextClosedItsOutermostValue)
{
    struct Row {
        std::string text;
        bool closed;
        const char* json; // what was read either way
    } rows[] = {
        {R"({"a":[1,2]})", true, R"({"a":[1,2]})"},
        {"[1 2] and then some", true, "[1,2]"},
        {"true", true, "1"},
        {R"("text" )", true, R"("text")"},
        {R"({"timestamp":1,"error-code":500,"error":"server b)", false, R"({"timestamp":1,"error-code":500})"},
        {R"({"timestamp":1,"error-co)", false, R"({"timestamp":1})"},
        {R"({"a":[1,2])", false, R"({"a":[1,2]})"},
        {"[{}", false, "[{}]"},
        {"", false, "null"},
        {"<html>", false, "null"},
        {std::string(200000, '['), false, nullptr}, // cut by the depth bound
    };
    for (const auto& row : rows) {
        auto decoded = KRJSON::decodeTextAndEnd(row.text);
        EXPECT_EQ(decoded.closed, row.closed) << row.text.substr(0, 60);
        if (row.json)
            EXPECT_EQ(KRJSON::encodeObject(decoded.value), row.json) << row.text;
    }
}

TEST(KRJSONDecode, HostileNestingIsCutOff)
{
    pf::Value v = KRJSON::decodeText(std::string(200000, '['));
    ASSERT_TRUE(v.isArray());
    int depth = 0;
    for (pf::ArrayRef a = v.array(); a; a = a->at(0).array())
        depth++;
    EXPECT_EQ(depth, 512);
}

TEST(KRJSONEncode, ScalarsAndEscapes)
{
    struct Row {
        pf::Value value;
        const char* json;
    } rows[] = {
        {pf::Value(), "null"},
        {pf::Value::null(), "null"},
        {pf::Value::boolean(true), "1"},
        {pf::Value(-12), "-12"},
        {pf::Value(1.5), "1.5"},
        {pf::Value(1000.0), "1000"},
        {pf::Value(std::numeric_limits<double>::quiet_NaN()), "null"},
        {pf::Value(HUGE_VAL), "null"},
        {pf::Value::unsignedNumber(18446744073709551615ULL), "18446744073709551615"},
        {pf::Value(std::numeric_limits<long long>::min()), "-9223372036854775808"},
        {pf::Value(-2.2250738585072014e-308), "-2.2250738585072014e-308"},
        {pf::Value(1e300), "1e+300"},
        {pf::Value(0.1f), "0.1"},
        {pf::Value::number(*pf::decimalFromText("-1234567890123456789012.30e-2")), "-12345678901234567890.123"},
        {pf::Value(""), R"("")"},
        {pf::Value("q\"\n\t\\/\r"), R"("q\"\n\t\\/\r")"},
        {pf::Value(std::string("\x01\x1f", 2)), R"("\u0001\u001f")"},
        {pf::Value("\xE4\xB8\xAD"), "\"\xE4\xB8\xAD\""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(KRJSON::encodeObject(row.value), row.json);
}

TEST(KRJSONEncode, LongTextDecodesBackToWhatWasWritten)
{
    // Strings of every length up to 40 with a byte that needs an escape at
    // each place, in one array: the text outgrows its first room many times
    // and escapes fall at every offset of the eight-byte scan.
    const char specials[] = {'"', '\\', '\n', '\r', '\t', '\x01', '\x1f'};
    pf::ArrayRef strings = pf::Array::create();
    for (std::size_t length = 0; length <= 40; ++length) {
        for (std::size_t at = 0; at < std::max<std::size_t>(length, 1); ++at) {
            std::string s(length, 'a');
            if (length)
                s[at] = specials[(length + at) % std::size(specials)];
            strings->add(s + "\xE4\xB8\xAD");
        }
    }
    std::string text = KRJSON::encodeObject(strings);
    EXPECT_EQ(KRJSON::decodeText(text), pf::Value(strings));
}

TEST(KRJSONEncode, CollectionsLeaveOutNullMembersAndEscapeKeys)
{
    pf::DictionaryRef d = pf::Dictionary::create({{"k\"ey", 1}, {"gone", pf::Value::null()}, {"list", pf::Array::create({pf::Value::null()})}});
    EXPECT_EQ(KRJSON::encodeObject(d), R"({"k\"ey":1,"list":[null]})");
    EXPECT_EQ(KRJSON::encodeObject(pf::Array::create({pf::Value::null()})), "[null]");
    EXPECT_EQ(KRJSON::encodeObject(pf::Array::create()), "[]");
}

TEST(KRJSONEncode, RecordsWriteTheirDeclaredProperties)
{
    registerTestClasses();
    auto record = std::make_shared<JSONTestRecord>();
    record->setA("x");
    EXPECT_EQ(KRJSON::encodeObject(record), R"({"a":"x","rowid":7})");
    record->setB(pf::Dictionary::create({{"n", 2}}));
    EXPECT_EQ(KRJSON::encodeObject(record), R"({"a":"x","b":{"n":2},"rowid":7})");
}

TEST(KRJSONEncode, CyclesStopAtTheDepthLimit)
{
    pf::ArrayRef a = pf::Array::create();
    a->add(a);
    std::string text = KRJSON::encodeObject(a);
    EXPECT_EQ(text.size(), 512u * 2 + 4);
    a->clear(); // break the cycle so the array can be freed
}
