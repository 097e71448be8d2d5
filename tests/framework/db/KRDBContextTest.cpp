#include "framework/db/KRDBContext.h"
#include "framework/db/KRDBObject.h"
#include "framework/db/KRSqlite.h"
#include "framework/db/KRSqliteCursor.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Collections.h"
#include "tests/c/db/FdbFixture.h"

#include <gtest/gtest.h>

#include <cstring>

using fdbtest::TempDir;

namespace {

class TagObject : public KRDBObject {
public:
    long long tid() const { return m_tid; }
    void setTid(long long v) { m_tid = v; }
    std::optional<std::string> tag() const { return m_tag; }
    void setTag(std::optional<std::string> v) { m_tag = std::move(v); }
    int weight() const { return m_weight; }
    void setWeight(int v) { m_weight = v; }
    double timestamp() const { return m_timestamp; }
    void setTimestamp(double v) { m_timestamp = v; }

    const _KRDBObjectIndex* tableIndexs(int& count) const override
    {
        static const _KRDBObjectIndex indexes[] = {{"weight", 1}, {"tag", 0}};
        count = 2;
        return indexes;
    }

private:
    long long m_tid = 0;
    std::optional<std::string> m_tag;
    int m_weight = 0;
    double m_timestamp = 0;
};

// A record of every property kind, derived from another record class.
class KindsObject : public TagObject {
public:
    long l() const { return m_l; }
    void setL(long v) { m_l = v; }
    float f() const { return m_f; }
    void setF(float v) { m_f = v; }
    bool b() const { return m_b; }
    void setB(bool v) { m_b = v; }
    std::shared_ptr<const pf::Bytes> blob() const { return m_blob; }
    void setBlob(std::shared_ptr<const pf::Bytes> v) { m_blob = std::move(v); }
    std::optional<pf::Date> when() const { return m_when; }
    void setWhen(std::optional<pf::Date> v) { m_when = v; }
    pf::ArrayRef ids() const { return m_ids; }
    void setIds(pf::ArrayRef v) { m_ids = std::move(v); }
    pf::Value any() const { return m_any; }
    void setAny(pf::Value v) { m_any = std::move(v); }

    const _KRDBObjectIndex* tableIndexs(int&) const override { return nullptr; }

private:
    long m_l = 0;
    float m_f = 0;
    bool m_b = false;
    std::shared_ptr<const pf::Bytes> m_blob;
    std::optional<pf::Date> m_when;
    pf::ArrayRef m_ids;
    pf::Value m_any;
};

// Rows of this class live in TagObject's table.
class SharedTagObject : public TagObject {
public:
    const pf::Class* tableClass() const override { return pf::Class::named("TagObject"); }
};

void registerTestRecords()
{
    static bool done = false;
    if (done) return;
    done = true;
    pf::ClassBuilder<TagObject>("TagObject")
        .superclass<KRDBObject>()
        .property("tid", &TagObject::tid, &TagObject::setTid)
        .property("tag", &TagObject::tag, &TagObject::setTag)
        .property("weight", &TagObject::weight, &TagObject::setWeight)
        .property("timestamp", &TagObject::timestamp, &TagObject::setTimestamp)
        .commit();
    pf::ClassBuilder<KindsObject>("KindsObject")
        .superclass<TagObject>()
        .property("l", &KindsObject::l, &KindsObject::setL)
        .property("f", &KindsObject::f, &KindsObject::setF)
        .property("b", &KindsObject::b, &KindsObject::setB)
        .property("blob", &KindsObject::blob, &KindsObject::setBlob)
        .property("when", &KindsObject::when, &KindsObject::setWhen)
        .property("ids", &KindsObject::ids, &KindsObject::setIds)
        .property("any", &KindsObject::any, &KindsObject::setAny)
        .commit();
    pf::ClassBuilder<SharedTagObject>("SharedTagObject").superclass<TagObject>().commit();
}

struct Store {
    TempDir dir;
    KRDBContext context;
    Store()
    {
        registerTestRecords();
        auto db = KRSqlite::initWithPath(dir.file("store.db"));
        EXPECT_TRUE(db.ok());
        if (db.ok()) context.setDb(db.value());
    }
    std::string schema(const std::string& name)
    {
        auto c = context.db()->query("SELECT sql FROM sqlite_master WHERE name=:n",
                                     pf::Value(pf::Dictionary::create({{"n", name}})));
        return c && c->next() ? c->stringValueAtIndex(0).value_or("") : "";
    }
    std::vector<std::string> indexNames(const std::string& table)
    {
        std::vector<std::string> out;
        auto c = context.db()->query("SELECT name FROM sqlite_master WHERE type='index' AND tbl_name=:t ORDER BY name",
                                     pf::Value(pf::Dictionary::create({{"t", table}})));
        while (c && c->next()) out.push_back(*c->stringValueAtIndex(0));
        return out;
    }
    std::vector<std::string> tags()
    {
        std::vector<std::string> out;
        auto c = context.query(pf::Class::named("TagObject"), " ORDER BY [rowid]");
        while (c && c->next()) out.push_back(c->stringValueForName("tag").value_or("(nil)"));
        return out;
    }
};

std::shared_ptr<TagObject> tag(const std::string& text, int weight)
{
    auto t = std::make_shared<TagObject>();
    t->setTid(weight * 100);
    t->setTag(text);
    t->setWeight(weight);
    t->setTimestamp(1.5);
    return t;
}

} // namespace

TEST(KRDBSchema, RegistrationCreatesTheTableAndIndexesWithExactTexts)
{
    Store s;
    const pf::Class* tags = pf::Class::named("TagObject");
    EXPECT_TRUE(s.context.regDBObjectClass(tags));
    EXPECT_EQ(s.schema("TagObject"), "CREATE TABLE [TagObject] ( [rowid] INTEGER PRIMARY KEY AUTOINCREMENT "
                                     ",[tid] BIGINT,[tag] TEXT,[weight] INT,[timestamp] DOUBLE)");
    EXPECT_EQ(s.indexNames("TagObject"), (std::vector<std::string>{"TagObject_tag", "TagObject_weight"}));
    EXPECT_NE(s.schema("TagObject_weight").find("([weight] DESC)"), std::string::npos);
    EXPECT_NE(s.schema("TagObject_tag").find("([tag] ASC)"), std::string::npos);

    EXPECT_EQ(s.context.insertObjectSQL(tags),
              "INSERT INTO [TagObject] ( [tid],[tag],[weight],[timestamp]) VALUES(:tid,:tag,:weight,:timestamp)");
    EXPECT_EQ(s.context.updateObjectSQL(tags),
              "UPDATE [TagObject] SET [tid]=:tid,[tag]=:tag,[weight]=:weight,[timestamp]=:timestamp WHERE [rowid]=:rowid");
    EXPECT_EQ(s.context.deleteObjectSQL(tags), "DELETE FROM [TagObject] WHERE [rowid]=:rowid");

    EXPECT_TRUE(s.context.regDBObjectClass(pf::Class::named("KindsObject")));
    EXPECT_EQ(s.schema("KindsObject"),
              "CREATE TABLE [KindsObject] ( [rowid] INTEGER PRIMARY KEY AUTOINCREMENT "
              ",[l] INT,[f] DOUBLE,[b] INT,[blob] BLOB,[when] BLOB,[ids] BLOB,[any] BLOB"
              ",[tid] BIGINT,[tag] TEXT,[weight] INT,[timestamp] DOUBLE)")
        << "the most derived class's columns come first";
    EXPECT_TRUE(s.indexNames("KindsObject").empty()) << "a class without index declarations gets none";

    const std::string before = s.schema("TagObject");
    EXPECT_TRUE(s.context.regDBObjectClass(tags));
    EXPECT_EQ(s.schema("TagObject"), before) << "registering again changes nothing";
}

TEST(KRDBSchema, AnOlderTableGainsExactlyTheMissingColumns)
{
    Store s;
    // "[weight]" occurs inside another column's definition and counts as present.
    ASSERT_TRUE(s.context.db()->execture("CREATE TABLE [TagObject] ( [rowid] INTEGER PRIMARY KEY AUTOINCREMENT "
                                         ",[tid] BIGINT,[old] TEXT DEFAULT '[weight]')"));
    s.context.regDBObjectClass(pf::Class::named("TagObject"));
    auto c = s.context.db()->query("PRAGMA table_info([TagObject])");
    std::vector<std::string> columns;
    while (c->next()) columns.push_back(*c->stringValueForName("name"));
    EXPECT_EQ(columns, (std::vector<std::string>{"rowid", "tid", "old", "tag", "timestamp"}));
}

TEST(KRDBRecords, InsertUpdateDeleteTouchOnlyTheirRow)
{
    Store s;
    s.context.regDBObjectClass(pf::Class::named("TagObject"));
    auto a = tag("a", 1), b = tag("b", 2);
    ASSERT_TRUE(s.context.insertObject(a));
    EXPECT_EQ(a->rowid(), 1);
    ASSERT_TRUE(s.context.insertObject(b));
    EXPECT_EQ(b->rowid(), 2);
    a->setTag("a2");
    ASSERT_TRUE(s.context.updateObject(a));
    EXPECT_EQ(s.tags(), (std::vector<std::string>{"a2", "b"}));

    auto unsaved = tag("never", 3);
    EXPECT_TRUE(s.context.updateObject(unsaved)) << "rowid 0 matches no row and still succeeds";
    EXPECT_EQ(s.tags(), (std::vector<std::string>{"a2", "b"}));

    ASSERT_TRUE(s.context.deleteObject(a));
    EXPECT_EQ(s.tags(), (std::vector<std::string>{"b"}));

    auto shared = std::make_shared<SharedTagObject>();
    shared->setTag("shared");
    ASSERT_TRUE(s.context.insertObject(shared)) << "rows of a table class go to its table";
    EXPECT_EQ(s.tags(), (std::vector<std::string>{"b", "shared"}));

    auto all = s.context.query(pf::Class::named("TagObject"), std::nullopt);
    ASSERT_TRUE(all);
    auto objects = all->dataObjects(pf::Class::named("TagObject"));
    ASSERT_EQ(objects->count(), 2u);
    auto first = objects->at(0).objectAs<TagObject>();
    EXPECT_EQ(first->rowid(), b->rowid());
    EXPECT_EQ(first->tid(), 200);
    EXPECT_EQ(first->tag(), "b");
    EXPECT_EQ(first->weight(), 2);
    EXPECT_EQ(first->timestamp(), 1.5);

    auto some = s.context.query(pf::Class::named("TagObject"), "WHERE [weight] >= :w",
                                pf::Value(pf::Dictionary::create({{"w", 1}})));
    EXPECT_EQ(some->dataObjects(pf::Class::named("TagObject"))->count(), 1u);
    EXPECT_EQ(s.context.query(pf::Class::named("TagObject"), "WHERE nonsense ="), nullptr);

    auto orphan = std::make_shared<KindsObject>();
    orphan->setRowid(77);
    EXPECT_FALSE(s.context.insertObject(orphan)) << "its table was never created";
    EXPECT_EQ(orphan->rowid(), 77) << "a failed insert leaves rowid alone";
}

TEST(KRDBRecords, EveryPropertyKindRoundTrips)
{
    Store s;
    const pf::Class* kinds = pf::Class::named("KindsObject");
    s.context.regDBObjectClass(kinds);
    auto k = std::make_shared<KindsObject>();
    k->setTid(1LL << 40);
    k->setTag("tag");
    k->setWeight(-3);
    k->setTimestamp(2.25);
    k->setL(-5000000000L);
    k->setF(0.5f);
    k->setB(true);
    k->setBlob(std::make_shared<const pf::Bytes>(pf::Bytes{0, 1, 2}));
    k->setWhen(pf::Date{1700000000.9});
    k->setIds(pf::Array::create({3, 5, 8}));
    k->setAny(pf::Value(5));
    ASSERT_TRUE(s.context.insertObject(k));

    auto back = s.context.query(kinds, "WHERE [rowid]=:rowid", pf::Value(k))->dataObjects(kinds);
    ASSERT_EQ(back->count(), 1u);
    auto r = back->at(0).objectAs<KindsObject>();
    EXPECT_EQ(r->rowid(), k->rowid());
    EXPECT_EQ(r->tid(), 1LL << 40);
    EXPECT_EQ(r->tag(), "tag");
    EXPECT_EQ(r->weight(), -3);
    EXPECT_EQ(r->timestamp(), 2.25);
    EXPECT_EQ(r->l(), -5000000000L);
    EXPECT_EQ(r->f(), 0.5f);
    EXPECT_TRUE(r->b());
    ASSERT_TRUE(r->blob());
    EXPECT_EQ(*r->blob(), (pf::Bytes{0, 1, 2}));
    EXPECT_EQ(r->when(), pf::Date{1700000000}) << "dates come back in whole seconds";
    ASSERT_TRUE(r->ids());
    EXPECT_EQ(*r->ids(), (pf::Array{3LL, 5LL, 8LL})) << "arrays travel as JSON text";
    EXPECT_EQ(r->any(), pf::Value(5LL)) << "a stored number never reads back as nil";

    auto empty = std::make_shared<KindsObject>();
    ASSERT_TRUE(s.context.insertObject(empty));
    auto blank = s.context.query(kinds, "WHERE [rowid]=:rowid", pf::Value(empty))->dataObjects(kinds);
    auto e = blank->at(0).objectAs<KindsObject>();
    EXPECT_EQ(e->tag(), std::nullopt);
    EXPECT_EQ(e->blob(), nullptr);
    EXPECT_EQ(e->when(), std::nullopt);
    EXPECT_EQ(e->ids(), nullptr);
    EXPECT_TRUE(e->any().isNil());
}

TEST(KRDBMemory, ObjectSetsAndTheValueBag)
{
    Store s;
    const pf::Class* tags = pf::Class::named("TagObject");
    EXPECT_EQ(s.context.queryObjects(tags), nullptr);
    auto a = tag("a", 1), b = tag("b", 2);
    auto shared = std::make_shared<SharedTagObject>();
    s.context.setObject(a);
    s.context.setObject(b);
    s.context.setObject(a);
    s.context.setObject(shared);
    ASSERT_TRUE(s.context.queryObjects(tags));
    EXPECT_EQ(s.context.queryObjects(tags)->size(), 3u) << "sets by table, each object once";
    s.context.removeObject(b);
    EXPECT_EQ(s.context.queryObjects(tags)->count(b), 0u);
    s.context.removeObjects(tags);
    EXPECT_EQ(s.context.queryObjects(tags), nullptr);
    EXPECT_EQ(s.tags(), std::vector<std::string>{}) << "sets never reach the database";

    s.context.setValue("v", "k");
    EXPECT_EQ(s.context.valueForKey("k"), pf::Value("v"));
    s.context.setValue(pf::Value(), "k");
    EXPECT_TRUE(s.context.valueForKey("k").isNil());
}
