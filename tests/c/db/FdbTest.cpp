#include "c/db/fdb.h"
#include "tests/c/db/FdbFixture.h"

#include <gtest/gtest.h>

#include <functional>

using namespace fdbtest;

namespace {

std::vector<Bytes> people(int n)
{
    std::vector<Bytes> rs;
    for (int i = 1; i <= n; ++i) rs.push_back(person(i, 1000 + i, i * 1.5, "p" + std::to_string(i)));
    return rs;
}

struct Store {
    _FDB* db = nullptr;
    _FDBCursor cursor{};
    explicit Store(const std::string& base, std::uint32_t capacity = 4)
    {
        db = FDBOpen(base.c_str());
        if (db) {
            FDBCursorInit(&cursor.data, db->dbClass);
            FDBCursorSetBufferCount(&cursor.data, capacity);
        }
    }
    ~Store()
    {
        FDBCursorCleanup(&cursor.data);
        FDBClose(db);
    }
    std::int32_t id(const void* record) const { return FDBIntValue(record, FDBClassGetProperty(db->dbClass, "id"), -99); }
};

} // namespace

TEST(FdbOpen, RejectsFilesThatDoNotAddUp)
{
    TempDir dir;
    const std::string base = dir.file("people");
    const Bytes good = recordFile(kRecordSize, kPeople, people(3));
    struct Row {
        const char* what;
        std::function<void(Bytes&)> damage;
    };
    const std::vector<Row> rows = {
        {"fourth magic byte not NUL", [](Bytes& b) { b[3] = '!'; }},
        {"short header", [](Bytes& b) { b.resize(10); }},
        {"descriptor cut short", [](Bytes& b) { b.resize(12 + 40); }},
        {"stated size differs from computed", [](Bytes& b) { put32(b, 8, 12 + 76 * 5 + 4); }},
        {"stated size past the file", [](Bytes& b) { put32(b, 8, 0x7fffffff); }},
        {"property count disagrees", [](Bytes& b) { put32(b, 16, 6); }},
        {"record size 0", [](Bytes& b) { put32(b, 12, 0); }},
        {"record size past 1 MiB", [](Bytes& b) { put32(b, 12, (1u << 20) + 1); }},
        {"value outside the record", [](Bytes& b) { put32(b, 24 + 76 * 3 + 72, 40); }},
        {"offset plus length wraps", [](Bytes& b) { put32(b, 24 + 72, 0xfffffffc); }},
        {"unterminated name", [](Bytes& b) { std::memset(b.data() + 24, 'x', 64); }},
        {"int32 value shorter than 4 bytes", [](Bytes& b) { put32(b, 24 + 68, 2); }},
        {"blob offset shorter than 8 bytes", [](Bytes& b) { put32(b, 24 + 76 * 4 + 68, 4); }},
    };
    {
        writeFile(base + ".db", good);
        Store s(base);
        ASSERT_NE(s.db, nullptr) << "the undamaged file opens";
        EXPECT_EQ(FDBRowCount(s.db), 3);
    }
    for (const Row& row : rows) {
        Bytes bad = good;
        row.damage(bad);
        writeFile(base + ".db", bad);
        _FDB* db = FDBOpen(base.c_str());
        EXPECT_EQ(db, nullptr) << row.what;
        FDBClose(db);
    }
    EXPECT_EQ(FDBOpen(dir.file("missing").c_str()), nullptr);
    EXPECT_EQ(FDBOpen(std::string(2000, 'a').c_str()), nullptr) << "path too long for the handle";
}

TEST(FdbOpen, IndexFilesAreValidatedLikeRecordFiles)
{
    TempDir dir;
    const std::string base = dir.file("people");
    const std::vector<Prop> props = {{"row", 1, 4, 0}, {"key", 1, 4, 4}};
    const Bytes good = indexFile(8, props, {});
    struct Row {
        const char* what;
        std::function<void(Bytes&)> damage;
        bool opens;
    };
    const std::vector<Row> rows = {
        {"good", [](Bytes&) {}, true},
        {"record magic", [](Bytes& b) { b[0] = 'F'; }, false},
        {"item size 0", [](Bytes& b) { put32(b, 12, 0); }, false},
        {"no properties", [](Bytes& b) { b = indexFile(8, {}, {}); }, false},
        {"key outside the item", [](Bytes& b) { put32(b, 20 + 76 + 72, 6); }, false},
    };
    for (const Row& row : rows) {
        Bytes bytes = good;
        row.damage(bytes);
        writeFile(base + "_byKey.idx", bytes);
        _FDBIndexDB* idx = FDBIndexOpen(base.c_str(), "byKey");
        EXPECT_EQ(idx != nullptr, row.opens) << row.what;
        FDBIndexClose(idx);
    }
}

TEST(FdbReaders, ConvertTruncateSaturateOrFallBackToTheDefault)
{
    Bytes r = person(-7, 0x100000005LL, -2.75, "42abc", 99);
    Bytes props = properties(kPeople);
    _FDBProperty prop[5];
    std::memcpy(prop, props.data(), sizeof prop);
    const void* rec = r.data();
    EXPECT_EQ(FDBIntValue(rec, &prop[0], 0), -7);
    EXPECT_EQ(FDBIntValue(rec, &prop[1], 0), 5) << "low 32 bits";
    EXPECT_EQ(FDBIntValue(rec, &prop[2], 0), -2) << "toward zero";
    EXPECT_EQ(FDBIntValue(rec, &prop[3], 0), 42);
    EXPECT_EQ(FDBIntValue(rec, &prop[4], 11), 11);
    EXPECT_EQ(FDBInt64Value(rec, &prop[0], 0), -7) << "sign-extended";
    EXPECT_EQ(FDBInt64Value(rec, &prop[1], 0), 0x100000005LL);
    EXPECT_EQ(FDBDoubleValue(rec, &prop[2], 0), -2.75);
    EXPECT_EQ(FDBDoubleValue(rec, &prop[3], 0), 42.0);
    EXPECT_STREQ(FDBStringValue(rec, &prop[3], nullptr), "42abc");
    EXPECT_EQ(FDBStringValue(rec, &prop[0], "d"), std::string("d"));
    EXPECT_EQ(FDBBlobOffset(rec, &prop[4], 0), 99u);
    EXPECT_EQ(FDBBlobOffset(rec, &prop[3], 3), 3u);

    // Values a hostile file may hold: no terminator, a huge double.
    Bytes h = r;
    std::memset(h.data() + 20, 'z', 16);
    putDouble(h, 12, 1e300);
    EXPECT_EQ(FDBStringValue(h.data(), &prop[3], "d"), std::string("d"));
    EXPECT_EQ(FDBIntValue(h.data(), &prop[3], 5), 5);
    EXPECT_EQ(FDBIntValue(h.data(), &prop[2], 0), INT32_MAX);
    EXPECT_EQ(FDBInt64Value(h.data(), &prop[2], 0), INT64_MAX);
}

TEST(FdbCursor, ReadsInBlocksAndAppliesTheFilter)
{
    TempDir dir;
    const std::string base = dir.file("people");
    writeFile(base + ".db", recordFile(kRecordSize, kPeople, people(10)));
    Store s(base, 4);
    ASSERT_NE(s.db, nullptr);
    std::vector<int> seen;
    while (void* r = FDBCursorNext(s.db, &s.cursor)) seen.push_back(s.id(r));
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));

    Store even(base, 3);
    even.cursor.filter = [](_FDB* db, _FDBCursor*, const void* r) {
        return FDBIntValue(r, FDBClassGetProperty(db->dbClass, "id"), 0) % 2 == 0 ? 1 : 0;
    };
    seen.clear();
    while (void* r = FDBCursorNext(even.db, &even.cursor)) seen.push_back(even.id(r));
    EXPECT_EQ(seen, (std::vector<int>{2, 4, 6, 8, 10}));

    writeFile(dir.file("empty.db"), recordFile(kRecordSize, kPeople, {}));
    Store empty(dir.file("empty"));
    EXPECT_EQ(FDBRowCount(empty.db), 0);
    EXPECT_EQ(FDBCursorNext(empty.db, &empty.cursor), nullptr);
}

TEST(FdbCursor, ToRowidRepositionsAndServesTheBufferedWindow)
{
    TempDir dir;
    const std::string base = dir.file("people");
    writeFile(base + ".db", recordFile(kRecordSize, kPeople, people(10)));
    Store s(base, 4);
    ASSERT_NE(s.db, nullptr);
    ASSERT_EQ(s.id(FDBCursorToRowid(s.db, &s.cursor, 6)), 6);
    EXPECT_EQ(s.cursor.location, 5u);
    EXPECT_EQ(s.cursor.length, 3u) << "rows 7 to 9 stay buffered";

    // Change row 8 on disk: the buffered copy is what comes back.
    Bytes file = readFile(base + ".db");
    std::size_t row8 = 12 + 12 + 76 * kPeople.size() + kRecordSize * 7;
    put32(file, row8, 800);
    writeFile(base + ".db", file);
    EXPECT_EQ(s.id(FDBCursorToRowid(s.db, &s.cursor, 8)), 8);

    const std::int64_t outside[] = {0, -1, 11, 1LL << 40};
    for (std::int64_t row : outside) EXPECT_EQ(FDBCursorToRowid(s.db, &s.cursor, row), nullptr) << row;
    EXPECT_EQ(s.id(FDBCursorNext(s.db, &s.cursor)), 9) << "the cursor stays where it was";
    EXPECT_EQ(s.id(FDBCursorNext(s.db, &s.cursor)), 10);
    EXPECT_EQ(FDBCursorNext(s.db, &s.cursor), nullptr);
    EXPECT_EQ(s.id(FDBCursorToRowid(s.db, &s.cursor, 8)), 800) << "outside the window it reads the file";
    EXPECT_EQ(s.id(FDBCursorToRowid(s.db, &s.cursor, 2)), 2);
}

TEST(FdbCursor, CommitRewritesExactlyTheLastReturnedRecord)
{
    TempDir dir;
    const std::string base = dir.file("people");
    writeFile(base + ".db", recordFile(kRecordSize, kPeople, people(10)));
    const Bytes before = readFile(base + ".db");
    Store s(base, 4);
    ASSERT_NE(s.db, nullptr);
    EXPECT_EQ(FDBCursorCommit(s.db, &s.cursor), -1) << "nothing returned yet";
    void* r = nullptr;
    for (int i = 0; i < 3; ++i) r = FDBCursorNext(s.db, &s.cursor);
    std::memcpy(static_cast<unsigned char*>(r) + 20, "renamed", 8);
    ASSERT_EQ(FDBCursorCommit(s.db, &s.cursor), 0);

    Bytes expected = before;
    std::size_t row3 = 12 + 12 + 76 * kPeople.size() + kRecordSize * 2;
    std::memcpy(expected.data() + row3 + 20, "renamed", 8);
    EXPECT_EQ(readFile(base + ".db"), expected);
    // Reads go on after the commit, each opening the file itself.
    EXPECT_EQ(s.id(FDBCursorNext(s.db, &s.cursor)), 4);
    EXPECT_EQ(s.id(FDBCursorToRowid(s.db, &s.cursor, 9)), 9);

    std::filesystem::remove(base + ".db");
    EXPECT_EQ(FDBCursorCommit(s.db, &s.cursor), -1) << "the file cannot be opened for writing";
}

TEST(FdbBlob, ReadsAheadAndRefusesLengthsPastTheFile)
{
    TempDir dir;
    const std::string base = dir.file("people");
    BlobFile blobs;
    const std::uint64_t a = blobs.addText("first");
    const std::uint64_t b = blobs.addText("second");
    const std::uint64_t big = blobs.add(Bytes(200000, 'x'));
    const std::uint64_t after = blobs.addText("after");
    writeFile(base + ".bob", blobs.bytes);
    writeFile(base + ".db", recordFile(kRecordSize, kPeople, {person(1, 1, 1, "a", a)}));
    Store s(base);
    ASSERT_NE(s.db, nullptr);
    std::uint32_t length = 0;
    const char* text = static_cast<const char*>(FDBBlobRead(s.db, a, &length));
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "first");
    EXPECT_EQ(length, 6u);

    // "second" is inside the window read with "first": emptying the file
    // shows that it comes from the cache.
    writeFile(base + ".bob", {});
    EXPECT_STREQ(static_cast<const char*>(FDBBlobRead(s.db, b, nullptr)), "second");
    writeFile(base + ".bob", blobs.bytes);

    const void* bigBytes = FDBBlobRead(s.db, big, &length);
    ASSERT_NE(bigBytes, nullptr);
    EXPECT_EQ(length, 200000u);
    EXPECT_STREQ(static_cast<const char*>(FDBBlobRead(s.db, after, nullptr)), "after");
    EXPECT_STREQ(static_cast<const char*>(FDBBlobRead(s.db, a + 2, &length)), nullptr)
        << "an offset inside a blob finds no sound length word";

    Bytes hostile = blobs.bytes;
    put32(hostile, after, 0x7ffffff0);
    writeFile(base + ".bob", hostile);
    Store fresh(base);
    EXPECT_EQ(FDBBlobRead(fresh.db, after, &length), nullptr);
    EXPECT_EQ(FDBBlobRead(fresh.db, 1ULL << 62, &length), nullptr);
    EXPECT_STREQ(static_cast<const char*>(FDBBlobRead(fresh.db, a, nullptr)), "first");
}

namespace {

// Index items: row @0, key @4 (int32 or string[8]).
struct Index {
    _FDBIndexDB* db = nullptr;
    _FDBIndexCursor cursor{};
    Index(const std::string& base, const char* name, std::uint32_t capacity)
    {
        db = FDBIndexOpen(base.c_str(), name);
        if (db) {
            FDBIndexCursorInit(&cursor.data, db->index);
            FDBIndexCursorSetBufferSize(&cursor.data, capacity);
        }
    }
    ~Index()
    {
        FDBIndexCursorCleanup(&cursor.data);
        FDBIndexClose(db);
    }
    std::vector<int> rows(_FDBIndexCursorProperty key)
    {
        std::vector<int> out;
        const _FDBProperty* row = &db->index->properties[0];
        for (void* item = FDBIndexCursorToBeginWithKeys(db, &cursor, &key, 1); item;
             item = FDBIndexCursorToNextWithKeys(db, &cursor, &key, 1))
            out.push_back(FDBIntValue(item, row, 0));
        return out;
    }
};

Bytes item(std::int32_t row, std::int32_t key)
{
    Bytes b(8);
    put32(b, 0, std::uint32_t(row));
    put32(b, 4, std::uint32_t(key));
    return b;
}

Bytes textItem(std::int32_t row, const std::string& key)
{
    Bytes b(12);
    put32(b, 0, std::uint32_t(row));
    putString(b, 4, key);
    return b;
}

} // namespace

TEST(FdbIndexSearch, StringKeysMatchExactlyOrByPrefix)
{
    TempDir dir;
    const std::string base = dir.file("people");
    const std::vector<std::string> keys = {"aa", "ab", "abc", "abz", "ac", "b"};
    std::vector<Bytes> items;
    for (std::size_t i = 0; i < keys.size(); ++i) items.push_back(textItem(int(i) + 1, keys[i]));
    writeFile(base + "_byName.idx", indexFile(12, {{"row", 1, 4, 0}, {"name", 4, 8, 4}}, items));
    for (std::uint32_t capacity : {1u, 2u, 4u, 2000u}) {
        Index idx(base, "byName", capacity);
        ASSERT_NE(idx.db, nullptr);
        _FDBIndexCursorProperty key{};
        key.property = &idx.db->index->properties[1];
        key.mode = -1;
        key.stringValue = "ab";
        key.stringMatch = 1;
        EXPECT_EQ(idx.rows(key), (std::vector<int>{2, 3, 4})) << capacity;
        key.stringMatch = 0;
        EXPECT_EQ(idx.rows(key), (std::vector<int>{2})) << capacity;
        key.stringValue = "a";
        EXPECT_TRUE(idx.rows(key).empty()) << capacity;
        key.stringValue = nullptr;
        EXPECT_TRUE(idx.rows(key).empty()) << "a null key is the empty string";
        key.stringValue = "zz";
        EXPECT_TRUE(idx.rows(key).empty()) << "after every item";
    }
}

TEST(FdbIndexSearch, FindsEveryRunInSmallAndShortBlockedIndexes)
{
    TempDir dir;
    const std::string base = dir.file("people");
    // Keys -50, -48, ... with every third key repeated, so runs straddle blocks.
    std::vector<Bytes> items;
    std::vector<std::pair<int, int>> rows; // key, row
    int row = 1;
    for (int k = -50; k < 150; k += 2) {
        int copies = (k % 3 == 0) ? 3 : 1;
        for (int c = 0; c < copies; ++c) {
            items.push_back(item(row, k));
            rows.push_back({k, row++});
        }
    }
    writeFile(base + "_byKey.idx", indexFile(8, {{"row", 1, 4, 0}, {"key", 1, 4, 4}}, items));
    for (std::uint32_t capacity : {1u, 3u, 7u, 64u, 2000u}) {
        Index idx(base, "byKey", capacity);
        ASSERT_NE(idx.db, nullptr);
        _FDBIndexCursorProperty key{};
        key.property = &idx.db->index->properties[1];
        key.mode = -1;
        for (int k = -52; k <= 150; ++k) {
            key.int32Value = k;
            std::vector<int> expected;
            for (auto [kk, r] : rows)
                if (kk == k) expected.push_back(r);
            ASSERT_EQ(idx.rows(key), expected) << "key " << k << " capacity " << capacity;
        }
        std::size_t all = 0;
        for (void* it = FDBIndexCursorToBegin(idx.db, &idx.cursor, nullptr, nullptr); it;
             it = FDBIndexCursorToNext(idx.db, &idx.cursor, nullptr, nullptr))
            ++all;
        EXPECT_EQ(all, items.size());
    }
}

TEST(FdbIndexSearch, DescendingIndexesUseModeOne)
{
    TempDir dir;
    const std::string base = dir.file("people");
    std::vector<Bytes> items = {item(1, 9), item(2, 5), item(3, 5), item(4, 1), item(5, -3)};
    writeFile(base + "_desc.idx", indexFile(8, {{"row", 1, 4, 0}, {"key", 1, 4, 4}}, items));
    Index idx(base, "desc", 2);
    _FDBIndexCursorProperty key{};
    key.property = &idx.db->index->properties[1];
    key.mode = 1;
    const std::vector<std::pair<int, std::vector<int>>> table = {
        {9, {1}}, {5, {2, 3}}, {-3, {5}}, {4, {}}, {10, {}}, {-4, {}}};
    for (const auto& [k, expected] : table) {
        key.int32Value = k;
        EXPECT_EQ(idx.rows(key), expected) << k;
    }
    key.mode = INT32_MIN;
    key.int32Value = 5;
    EXPECT_EQ(idx.rows(key).size(), 0u) << "any negative mode reads as ascending, without overflow";
}
