#include "platform/foundation/BinaryPropertyList.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/PropertyListWriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>
#include <vector>

using namespace pf;

namespace {

std::string text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// A binary list built object by object: two-byte references and four-byte
// offsets, object 0 at the top.
std::string handMade(const std::vector<std::string>& objects, std::uint64_t countInTrailer = 0)
{
    std::string out = "bplist00";
    std::vector<std::uint32_t> offsets;
    for (const auto& object : objects) {
        offsets.push_back(static_cast<std::uint32_t>(out.size()));
        out += object;
    }
    std::uint64_t tableOffset = out.size();
    for (std::uint32_t offset : offsets)
        for (int shift = 24; shift >= 0; shift -= 8)
            out += static_cast<char>((offset >> shift) & 0xFF);
    std::string trailer(32, '\0');
    trailer[6] = 4;
    trailer[7] = 2;
    auto put = [&trailer](int at, std::uint64_t value) {
        for (int i = 0; i < 8; ++i)
            trailer[at + i] = static_cast<char>((value >> (56 - 8 * i)) & 0xFF);
    };
    put(8, countInTrailer ? countInTrailer : objects.size());
    put(16, 0);
    put(24, tableOffset);
    return out + trailer;
}

// A one-member array referring to object `index`, or a two-member one.
std::string arrayOf(std::initializer_list<unsigned> members)
{
    std::string out(1, static_cast<char>(0xA0 | members.size()));
    for (unsigned index : members) {
        out += static_cast<char>(index >> 8);
        out += static_cast<char>(index & 0xFF);
    }
    return out;
}

const std::string kSmallInteger = std::string("\x10\x07", 2);

// An array naming object 1 `times` times, and object 1: a datum of a MiB.
std::string oneMebibyteNamed(unsigned times)
{
    std::string list = std::string("\xAF\x11", 2) + static_cast<char>(times >> 8) + static_cast<char>(times & 0xFF);
    for (unsigned i = 0; i < times; ++i)
        list += std::string("\x00\x01", 2);
    return handMade({list, std::string("\x4F\x12\x00\x10\x00\x00", 6) + std::string(1u << 20, 'x')});
}

}

TEST(BinaryPropertyList, WrittenListsReadBackEqual)
{
    Value deepest = Value(Array::create());
    for (unsigned level = 0; level < kMaxBinaryPropertyListDepth; ++level)
        deepest = Value(Array::create({ deepest }));
    const Value rows[] = {
        Dictionary::create({
            { "text", "a<b>&c 中文 \x01\t" },
            { "list", Array::create({ Value::boolean(true), Value::boolean(false), -42, 0, 1.5e-7,
                                      std::numeric_limits<long long>::min(), std::numeric_limits<long long>::max(),
                                      Value::unsignedNumber(255) }) },
            { "when", Value(Date { 1700000000.25 }) },
            { "before 2001", Value(Date { 86400.25 }) },
            { "a minute before 2001", Value(Date { 978307140.5 }) },
            { "bytes", Value::data(Bytes { 0, 1, 2, 250, 251 }) },
            { "nested", Dictionary::create({ { "empty", Dictionary::create() }, { "none", Array::create() } }) },
        }),
        Value("just a string"),
        Value(Array::create({ Value("same"), Value("same"), Value("same") })),
        deepest,
    };
    for (const Value& value : rows) {
        auto bytes = writeBinaryPropertyList(value);
        ASSERT_TRUE(bytes.ok()) << bytes.error().description;
        EXPECT_TRUE(isBinaryPropertyList(text(*bytes)));
        auto back = parseBinaryPropertyList(text(*bytes));
        ASSERT_TRUE(back.ok()) << back.error().description;
        EXPECT_EQ(*back, value) << value.description();
    }
}

TEST(BinaryPropertyList, UnwritableValuesFail)
{
    Value deep = Value(Array::create());
    for (unsigned level = 0; level <= kMaxBinaryPropertyListDepth; ++level)
        deep = Value(Array::create({ deep }));
    const Value refused[] = { deep, Value(), Value::null(), Value("\xff"), Value(std::string("a\0b", 3)),
                              Dictionary::create({ { "k", Value::null() } }),
                              Dictionary::create({ { std::string("k\0", 2), 1 } }),
                              Value::unsignedNumber(18446744073709551615ULL), Value(Date { 1e12 }),
                              Value(Date { -3e9 }) };
    for (const auto& value : refused)
        EXPECT_FALSE(writeBinaryPropertyList(value).ok()) << value.description();
}

TEST(BinaryPropertyList, HostileInputIsRefusedBeforeItUnfolds)
{
    // Forty arrays each naming the next twice unfold into 2^40 nodes.
    std::vector<std::string> laughs;
    for (unsigned i = 0; i + 1 < 40; ++i)
        laughs.push_back(arrayOf({ i + 1, i + 1 }));
    laughs.push_back(kSmallInteger);
    std::vector<std::string> chain;
    for (unsigned i = 0; i < 300; ++i)
        chain.push_back(arrayOf({ i + 1 }));
    chain.push_back(kSmallInteger);
    std::vector<std::string> loop = { arrayOf({ 1 }), arrayOf({ 0 }) };

    struct Row {
        const char* what;
        std::string bytes;
    } rows[] = {
        { "empty", "" },
        { "magic only", "bplist00" },
        { "XML", "<plist><string>x</string></plist>" },
        { "shared containers", handMade(laughs) },
        { "nested past the cap", handMade(chain) },
        { "a cycle", handMade(loop) },
        { "a reference past the table", handMade({ arrayOf({ 5 }), kSmallInteger }) },
        { "more objects than offsets", handMade({ kSmallInteger }, 1000) },
        { "a container longer than its data", handMade({ std::string("\xAF\x13\x7F\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 10) }) },
        { "truncated", handMade({ arrayOf({ 1 }), kSmallInteger }).substr(0, 20) },
        { "a string not UTF-8", handMade({ std::string("\x52\xC3\x28", 3) }) },
        { "a UID", handMade({ std::string("\x80\x01", 2) }) },
        { "a key with a NUL", handMade({ std::string("\xD1\x00\x01\x00\x02", 5), std::string("\x52\x61\x00", 3), kSmallInteger }) },
        { "a key that is a number", handMade({ std::string("\xD1\x00\x01\x00\x02", 5), kSmallInteger, kSmallInteger }) },
        { "a MiB of data named a hundred times", oneMebibyteNamed(100) },
    };
    for (const auto& row : rows)
        EXPECT_FALSE(parseBinaryPropertyList(row.bytes).ok()) << row.what;

    auto fine = parseBinaryPropertyList(handMade({ arrayOf({ 1, 1 }), kSmallInteger }));
    ASSERT_TRUE(fine.ok()) << fine.error().description;
    EXPECT_EQ(*fine, Value(Array::create({ 7, 7 })));
    auto keyed = parseBinaryPropertyList(handMade({ std::string("\xD1\x00\x01\x00\x02", 5), std::string("\x52\x61\x62", 3), kSmallInteger }));
    ASSERT_TRUE(keyed.ok()) << keyed.error().description;
    EXPECT_EQ(*keyed, Value(Dictionary::create({ { "ab", 7 } })));
    auto shared = parseBinaryPropertyList(oneMebibyteNamed(3));
    ASSERT_TRUE(shared.ok()) << shared.error().description;
    EXPECT_EQ(shared->array()->count(), 3u);
}

TEST(BinaryPropertyList, FilesOfEitherFormReadTheSame)
{
    auto value = Value(Dictionary::create({ { "CFBundleIdentifier", "com.example.peer" }, { "n", 3 } }));
    std::string dir = temporaryDirectory() + "/plist-forms";
    createDirectories(dir);
    ASSERT_FALSE(writePropertyListFile(dir + "/xml.plist", value));
    auto binary = writeBinaryPropertyList(value);
    ASSERT_TRUE(binary.ok());
    ASSERT_FALSE(writeFileAtomically(dir + "/binary.plist", text(*binary)));
    for (const char* name : { "/xml.plist", "/binary.plist" }) {
        auto read = readPropertyListFile(dir + name);
        ASSERT_TRUE(read.ok()) << name << ": " << read.error().description;
        EXPECT_EQ(*read, value) << name;
    }
    std::remove((dir + "/binary.plist").c_str());
    std::remove((dir + "/xml.plist").c_str());
}
