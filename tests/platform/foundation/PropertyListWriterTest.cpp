#include "platform/foundation/Collections.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/PropertyListWriter.h"

#include <gtest/gtest.h>

#include <limits>

using namespace pf;

TEST(PropertyListWriter, WrittenListsReadBackEqualAndUnwritableValuesFail)
{
    auto document = Dictionary::create({
        { "text", "a<b>&c \"q\" 中文\r\n\t " },
        { "list", Array::create({ Value::boolean(true), Value::boolean(false), -42, 1.5e-7, 0.1 }) },
        { "when", Value(Date { 1700000000 }) },
        { "bytes", Value::data(Bytes { 0, 1, 2, 250, 251 }) },
        { "nested", Dictionary::create({ { "empty", Dictionary::create() }, { "none", Array::create() } }) },
    });
    auto text = writePropertyList(document);
    ASSERT_TRUE(text.ok());
    auto back = parsePropertyList(*text);
    ASSERT_TRUE(back.ok()) << back.error().description;
    EXPECT_EQ(*back, Value(document));

    Value deep = Value(Array::create());
    for (int level = 0; level < 300; ++level)
        deep = Value(Array::create({ deep }));
    const Value refused[] = { deep, Value(), Value::null(), Array::create({ std::numeric_limits<double>::infinity() }),
                              Value("bell\x07"), Value("\xff"), Dictionary::create({ { "k", Value::null() } }),
                              Value::unsignedNumber(18446744073709551615ULL) };
    for (const auto& value : refused)
        EXPECT_FALSE(writePropertyList(value).ok()) << value.description();
}
