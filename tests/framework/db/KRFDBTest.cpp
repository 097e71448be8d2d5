#include "framework/db/KRFDB.h"
#include "framework/db/KRFDBCursor.h"
#include "framework/db/KRFDBIndex.h"
#include "framework/db/KRFDBIndexCursor.h"
#include "platform/foundation/Value.h"
#include "tests/c/db/FdbFixture.h"

#include <gtest/gtest.h>

using namespace fdbtest;

namespace {

Bytes nameItem(std::int32_t row, const std::string& name)
{
    Bytes b(20);
    put32(b, 0, std::uint32_t(row));
    putString(b, 4, name);
    return b;
}

// Five people; an index by name, sorted, with one item pointing at row 0.
struct Fixture {
    TempDir dir;
    std::string base = dir.file("people");
    Fixture()
    {
        BlobFile blobs;
        std::uint64_t bio = blobs.addText("likes tea");
        std::uint64_t empty = blobs.add({});
        writeFile(base + ".bob", blobs.bytes);
        writeFile(base + ".db", recordFile(kRecordSize, kPeople,
                                           {person(1, 10, 2.5, "cat", bio), person(2, 20, -1, "ant", empty),
                                            person(3, 30, 0, "bee"), person(4, 40, 1e10, "bee"),
                                            person(5, 50, 3, "dog")}));
        writeFile(base + "_name.idx",
                  indexFile(20, {{"row", 1, 4, 0}, {"name", 4, 16, 4}},
                            {nameItem(2, "ant"), nameItem(3, "bee"), nameItem(4, "bee"), nameItem(0, "bee"),
                             nameItem(1, "cat"), nameItem(5, "dog")}));
    }
};

} // namespace

TEST(KRFDBRead, TypedAccessorsFormatAndCopyValues)
{
    Fixture f;
    KRFDBRef db = KRFDB::initWithPath(f.base);
    ASSERT_TRUE(db);
    const _FDBProperty* id = db->getProperty("id");
    const _FDBProperty* score = db->getProperty("score");
    const _FDBProperty* name = db->getProperty("name");
    const _FDBProperty* bio = db->getProperty("bio");
    ASSERT_TRUE(id && score && name && bio);
    EXPECT_EQ(db->getProperty("nope"), nullptr);

    const void* first = db->dataItemOfRowid(1);
    ASSERT_TRUE(first);
    EXPECT_EQ(db->intValue(first, id), 1);
    EXPECT_EQ(db->stringValue(first, score), "2.500000");
    EXPECT_EQ(db->stringValue(first, name), "cat");
    EXPECT_EQ(db->stringValue(first, bio), "likes tea");
    ASSERT_TRUE(db->dataValue(first, bio));
    EXPECT_EQ(db->dataValue(first, bio)->size(), 10u);
    EXPECT_EQ(db->dataValue(first, name), nullptr) << "only blobs give data";
    EXPECT_EQ(db->intValue(nullptr, id), 0);
    EXPECT_EQ(db->stringValue(first, nullptr), std::nullopt);

    const void* second = db->dataItemOfRowid(2);
    EXPECT_EQ(db->dataValue(second, bio), nullptr) << "an empty blob";
    const void* third = db->dataItemOfRowid(3);
    EXPECT_EQ(db->stringValue(third, bio), std::nullopt) << "offset 0 is no blob";
    EXPECT_EQ(db->stringValue(db->dataItemOfRowid(4), score), "10000000000.000000");
    EXPECT_EQ(db->dataItemOfRowid(6), nullptr);
    EXPECT_EQ(db->dataItemOfRowid(0), nullptr);

    EXPECT_EQ(KRFDB::initWithPath(f.dir.file("missing")), nullptr);
}

TEST(KRFDBCursorRead, QueriesFilterCommitAndStopWithTheStore)
{
    Fixture f;
    KRFDBRef db = KRFDB::initWithPath(f.base);
    ASSERT_TRUE(db);
    db->setMaxBufferCount(2);
    const _FDBProperty* id = db->getProperty("id");

    std::vector<int> ids;
    KRFDBCursorRef all = db->query();
    while (void* r = all->nextDataItem()) ids.push_back(db->intValue(r, id));
    EXPECT_EQ(ids, (std::vector<int>{1, 2, 3, 4, 5}));

    ids.clear();
    KRFDBCursorRef odd = db->queryFilter([&](KRFDB& store, KRFDBCursor& cursor, const void* r) {
        EXPECT_EQ(&store, db.get());
        EXPECT_EQ(cursor.fdb(), db);
        return store.intValue(r, id) % 2 == 1;
    });
    while (void* r = odd->nextDataItem()) ids.push_back(db->intValue(r, id));
    EXPECT_EQ(ids, (std::vector<int>{1, 3, 5}));

    KRFDBRef reopened = KRFDB::initWithPath(f.base);
    KRFDBCursorRef open = db->query();
    db->close();
    EXPECT_EQ(open->nextDataItem(), nullptr);
    EXPECT_FALSE(open->commit());
    EXPECT_EQ(db->query(), nullptr);
    EXPECT_EQ(db->dataItemOfRowid(1), nullptr);
    EXPECT_EQ(db->getProperty("id"), nullptr);

    KRFDBCursorRef orphan = reopened->query();
    reopened.reset();
    EXPECT_EQ(orphan->nextDataItem(), nullptr) << "a cursor that outlives its store reads nothing";

    writeFile(f.dir.file("empty.db"), recordFile(kRecordSize, kPeople, {}));
    KRFDBRef empty = KRFDB::initWithPath(f.dir.file("empty"));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->query()->nextDataItem(), nullptr);
}

TEST(KRFDBIndexQuery, RunsOfAKeyAndTheirRecords)
{
    Fixture f;
    KRFDBRef db = KRFDB::initWithPath(f.base);
    ASSERT_TRUE(db);
    KRFDBIndexRef index = db->openIndex("name");
    ASSERT_TRUE(index);
    EXPECT_EQ(db->openIndex("name"), index);
    EXPECT_EQ(db->openIndex("missing"), nullptr);
    const _FDBProperty* name = index->getProperty("name");
    ASSERT_TRUE(name);
    EXPECT_EQ(index->queryProperty(nullptr, "bee"), nullptr);

    auto rows = [&](KRFDBIndexCursorRef cursor) {
        std::vector<std::string> out;
        while (void* item = cursor->nextIndexItem()) {
            const void* rec = cursor->getDataItem(item);
            out.push_back(rec ? *db->stringValue(rec, db->getProperty("id")) : "none");
        }
        EXPECT_EQ(cursor->nextIndexItem(), nullptr) << "the end stays the end";
        return out;
    };
    const std::vector<std::pair<std::pair<std::string, int>, std::vector<std::string>>> table = {
        {{"bee", 0}, {"3", "4", "none"}}, // later items ("cat", "dog") are not part of the run
        {{"b", 1}, {"3", "4", "none"}},   // a prefix; the search itself is the record-file store's
    };
    index->setMaxBufferLength(2); // runs cross the buffer's edge
    for (const auto& [query, expected] : table)
        EXPECT_EQ(rows(index->queryProperty(name, query.first, -1, query.second)), expected) << query.first;
    EXPECT_EQ(rows(index->query()).size(), 6u);

    index->close();
    EXPECT_EQ(index->query(), nullptr);
    KRFDBIndexRef again = db->openIndex("name");
    ASSERT_TRUE(again);
    EXPECT_NE(again, index) << "a closed index is opened anew";

    KRFDBIndexCursorRef pending = again->query();
    db->close();
    EXPECT_TRUE(again->isClosed()) << "closing the store closes its indexes";
    EXPECT_EQ(pending->nextIndexItem(), nullptr);
    EXPECT_EQ(db->openIndex("name"), nullptr);
}
