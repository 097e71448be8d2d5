#include "platform/foundation/Collections.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/PropertyListWriter.h"

#include <gtest/gtest.h>

#include <limits>

using namespace pf;

TEST(PropertyListWriter, WhatIsWrittenReadsBackEqual)
{
    auto nested = Dictionary::create({{"list", Value(Array::create())}, {"deep", Value(Dictionary::create({{"x", Value(1)}}))}});
    nested->array("list")->add(Value("a"));
    nested->array("list")->add(Value::boolean(false));
    auto extremes = Array::create();
    extremes->add(Value(std::numeric_limits<long long>::min()));
    extremes->add(Value(std::numeric_limits<long long>::max()));
    auto blobs = Array::create();
    for (int n = 0; n < 4; ++n)
        blobs->add(Value::data(Bytes(static_cast<std::size_t>(n), 0xFB)));
    struct Row {
        const char* name;
        Value value;
    };
    const Row rows[] = {
        {"markup characters", Value("a < b && c > \"d\" 'e'")},
        {"line breaks, tab, carriage return", Value("one\r\ntwo\tthree\r")},
        {"blank text", Value("   ")},
        {"CJK text", Value("确定 中文")},
        {"key needing escapes", Value(Dictionary::create({{"<&>", Value("v")}}))},
        {"integer extremes", Value(extremes)},
        {"real", Value(0.1)},
        {"date", Value(Date{1700000000})},
        {"data of every length mod 3", Value(blobs)},
        {"nested", Value(nested)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto xml = writePropertyList(row.value);
        ASSERT_TRUE(xml.ok()) << xml.error().description;
        auto back = parsePropertyList(*xml);
        ASSERT_TRUE(back.ok()) << back.error().description << "\n" << *xml;
        EXPECT_EQ(back.value(), row.value) << *xml;
    }
}

TEST(PropertyListWriter, RefusesWhatCannotBeReadBack)
{
    Value deep = Value(Array::create());
    for (int i = 0; i < 300; ++i) {
        auto outer = Array::create();
        outer->add(deep);
        deep = Value(outer);
    }
    auto withNull = Dictionary::create({{"ok", Value(1)}, {"bad", Value::null()}});
    struct Row {
        const char* name;
        Value value;
    };
    const Row rows[] = {
        {"null inside a dictionary", Value(withNull)},
        {"nil", Value()},
        {"control character", Value(std::string("a\x01" "b"))},
        {"not UTF-8", Value(std::string("\xC3\x28"))},
        {"too deep", deep},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(writePropertyList(row.value).ok());
    }
}
