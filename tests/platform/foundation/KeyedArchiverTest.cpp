#include "platform/foundation/BinaryPropertyList.h"
#include "platform/foundation/BinaryPropertyListWriter.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Decimal.h"
#include "platform/foundation/KeyedArchiver.h"

#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <string>

using namespace pf;

namespace {

const std::set<std::string>& valueClasses()
{
    static const std::set<std::string> classes{"Dictionary", "Array", "String", "Number", "Date", "Data", "Null"};
    return classes;
}

Value decimal(const char* text) { return Value::number(*decimalFromText(text)); }

Value arrayOf(std::size_t count)
{
    auto array = Array::create();
    for (std::size_t i = 0; i < count; ++i)
        array->add(Value(static_cast<long long>(i) * 977));
    return Value(array);
}

}

// The list writer's objects read back through libplist as the values they
// were written as: text in ASCII and UTF-16 (with surrogate pairs), integers
// of every width and sign, lengths past the marker, wide references.
TEST(BinaryPropertyListWriter, ObjectsReadBackThroughLibplist)
{
    for (unsigned refSize : {1u, 2u, 4u, 8u}) {
        SCOPED_TRACE(refSize);
        BinaryPropertyListWriter writer(refSize);
        std::vector<BinaryPropertyListWriter::Ref> keys, values;
        auto put = [&](const std::string& key, BinaryPropertyListWriter::Ref value) {
            keys.push_back(writer.string(key));
            values.push_back(value);
        };
        put("ascii", writer.string("a text longer than fifteen characters"));
        put("中文键", writer.string("汉字 and an emoji 😀"));
        put("byte", writer.integer(200));
        put("short", writer.integer(60000));
        put("word", writer.integer(70000));
        put("negative", writer.integer(static_cast<std::uint64_t>(-5)));
        put("real", writer.real(-2.5));
        put("yes", writer.boolean(true));
        put("data", writer.data(Bytes(300, 7)));
        auto empty = writer.array({});
        put("list", writer.array(std::vector<BinaryPropertyListWriter::Ref>{empty, empty}));
        auto bytes = writer.finish(writer.dictionary(keys, values));
        ASSERT_TRUE(bytes);
        auto value = parseBinaryPropertyList({reinterpret_cast<const char*>(bytes->data()), bytes->size()});
        ASSERT_TRUE(value);
        auto root = value->dictionary();
        ASSERT_TRUE(root);
        EXPECT_EQ(*root->string("ascii"), "a text longer than fifteen characters");
        EXPECT_EQ(*root->string("中文键"), "汉字 and an emoji 😀");
        EXPECT_EQ(root->get("byte").number()->integer, 200);
        EXPECT_EQ(root->get("short").number()->integer, 60000);
        EXPECT_EQ(root->get("word").number()->integer, 70000);
        EXPECT_EQ(root->get("negative").number()->integer, -5);
        EXPECT_EQ(root->get("real").number()->real, -2.5);
        EXPECT_TRUE(root->get("yes").boolValue());
        EXPECT_EQ(*root->get("data").data(), Bytes(300, 7));
        EXPECT_EQ(root->get("list").array()->count(), 2u);
    }
    // Too many objects for one-byte references: the caller must widen them.
    BinaryPropertyListWriter narrow(1);
    for (int i = 0; i < 300; ++i)
        narrow.boolean(true);
    EXPECT_FALSE(narrow.finish(0));
}

TEST(KeyedArchiver, ArchivesReadBackAsTheirValues)
{
    auto nested = Dictionary::create();
    nested->set("名字", Value("值 😀"));
    nested->set("list", Value(Array::create({Value::null(), Value(true), Value(Date{1.5e9})})));
    struct Row {
        const char* what;
        Value value;
    } rows[] = {
        {"text", Value("plain")},
        {"text beyond the BMP", Value("𝄞 clef and 汉字")},
        {"numbers of each kind", Value(Array::create({Value(false), Value(-1), Value(std::numeric_limits<long long>::min()),
                                                      Value::unsignedNumber(std::numeric_limits<unsigned long long>::max()),
                                                      Value::number(NumberType::Float, 0.5), Value::number(NumberType::Int, 7LL)}))},
        {"decimals with every digit", Value(Array::create({decimal("-12345678901234567890.5"), decimal("1e-30"),
                                                           decimal("18446744073709551617"), decimal("-0")}))},
        {"data", Value::data(Bytes(40, 1))},
        {"nested dictionaries", Value(nested)},
        {"more than 255 objects", arrayOf(100)},
        {"more than 65535 objects", arrayOf(25000)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        auto archive = KeyedArchiver::archivedDataWithRootObject(row.value);
        ASSERT_TRUE(archive);
        auto back = KeyedUnarchiver::unarchiveObjectWithData(*archive, valueClasses(), archive->size());
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, row.value);
        // A decimal equals the double nearest it, so its text shows what came back.
        EXPECT_EQ(back->description(), row.value.description());
    }
    EXPECT_FALSE(KeyedArchiver::archivedDataWithRootObject(Value(std::string("nul\0inside", 10))));
}
