#include "DBTestSupport.h"

#include "framework/db/KRDBContext.h"

#include <functional>
#include <tuple>

using namespace dbtest;

namespace {

struct Store {
    TempDir dir;
    KRDBContext context;
    Store() { context.setDb(openDB(dir)); }
    std::vector<std::string> sql(const std::string& text, const std::string& name = "")
    {
        return column(context.db()->query(text, pf::Value(pf::Dictionary::create({{"n", name}}))));
    }
    std::vector<std::string> indexes(const std::string& table)
    {
        return sql("SELECT name FROM sqlite_master WHERE type='index' AND tbl_name=:n ORDER BY name", table);
    }
    std::string schema(const std::string& name)
    {
        auto texts = sql("SELECT sql FROM sqlite_master WHERE name=:n", name);
        return texts.empty() ? "" : texts[0];
    }
    std::vector<std::string> tags()
    {
        return column(context.query(pf::Class::named("TagObject"), " ORDER BY [rowid]"), 2);
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
    EXPECT_EQ(s.indexes("TagObject"),
              (std::vector<std::string>{"TagObject_tag", "TagObject_weight"}));
    EXPECT_NE(s.schema("TagObject_weight").find("([weight] DESC)"), std::string::npos);
    EXPECT_NE(s.schema("TagObject_tag").find("([tag] ASC)"), std::string::npos);

    EXPECT_TRUE(s.context.regDBObjectClass(pf::Class::named("KindsObject")));
    EXPECT_EQ(s.schema("KindsObject"),
              "CREATE TABLE [KindsObject] ( [rowid] INTEGER PRIMARY KEY AUTOINCREMENT "
              ",[l] INT,[f] DOUBLE,[b] INT,[blob] BLOB,[when] BLOB,[ids] BLOB,[any] BLOB"
              ",[tid] BIGINT,[tag] TEXT,[weight] INT,[timestamp] DOUBLE)")
        << "the most derived class's columns come first";
    EXPECT_TRUE(s.indexes("KindsObject").empty()) << "a class without index declarations gets none";

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
    EXPECT_EQ(column(s.context.db()->query("PRAGMA table_info([TagObject])"), 1),
              (std::vector<std::string>{"rowid", "tid", "old", "tag", "timestamp"}));
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
    EXPECT_EQ(objects->at(0).objectAs<TagObject>()->rowid(), b->rowid());

    EXPECT_EQ(s.context.query(pf::Class::named("TagObject"), "WHERE nonsense ="), nullptr);

    auto orphan = std::make_shared<KindsObject>();
    orphan->setRowid(77);
    EXPECT_FALSE(s.context.insertObject(orphan)) << "its table was never created";
    EXPECT_EQ(orphan->rowid(), 77) << "a failed insert leaves rowid alone";
}

// Each step runs between two inserts of tags: the statement run last
// changes, its text is run as a plain text, or the database's statement
// cache is emptied. Every row still lands in its own table.
TEST(KRDBRecords, InsertsAmongOtherStatementsReachTheirOwnTables)
{
    Store s;
    const pf::Class* tagClass = pf::Class::named("TagObject");
    ASSERT_TRUE(s.context.regDBObjectClass(tagClass));
    ASSERT_TRUE(s.context.regDBObjectClass(pf::Class::named("KindsObject")));
    struct Step {
        const char* name;
        std::function<bool()> run;
        const char* addedTag; // a tag row the step adds itself
    } steps[] = {
        {"nothing", [] { return true; }, nullptr},
        {"another statement run by its text", [&] { return s.context.db()->execture("SELECT 1"); }, nullptr},
        {"an insert of another class", [&] { return s.context.insertObject(std::make_shared<KindsObject>()); }, nullptr},
        {"the insert's text run as text",
         [&] { return s.context.db()->execture(s.context.insertObjectSQL(tagClass), pf::Value(tag("as text", 9))); },
         "as text"},
        {"more statements than the cache keeps",
         [&] {
             for (int i = 0; i < 70; ++i)
                 if (!s.context.db()->execture("SELECT " + std::to_string(i)))
                     return false;
             return true;
         },
         nullptr},
        {"an update", [&] { return s.context.updateObject(tag("never stored", 4)); }, nullptr},
    };
    std::vector<std::string> expected;
    for (const Step& step : steps) {
        ASSERT_TRUE(s.context.insertObject(tag(step.name, 1))) << step.name;
        expected.push_back(step.name);
        ASSERT_TRUE(step.run()) << step.name;
        if (step.addedTag)
            expected.push_back(step.addedTag);
    }
    ASSERT_TRUE(s.context.insertObject(tag("last", 1)));
    expected.push_back("last");
    EXPECT_EQ(s.tags(), expected);
    EXPECT_EQ(s.sql("SELECT count(*) FROM KindsObject"), std::vector<std::string>{"1"});
}

// Written from the object's properties, read back by each property's declared type.
TEST(KRDBRecords, EveryPropertyKindRoundTrips)
{
    Store s;
    const pf::Class* kinds = pf::Class::named("KindsObject");
    s.context.regDBObjectClass(kinds);
    auto roundTrip = [&](const std::shared_ptr<KindsObject>& k) -> std::shared_ptr<KindsObject> {
        EXPECT_TRUE(s.context.insertObject(k));
        auto cursor = s.context.query(kinds, "WHERE [rowid]=:rowid", pf::Value(k));
        auto back = cursor->dataObjects(kinds);
        EXPECT_FALSE(cursor->isClosed()) << "dataObjects leaves the cursor open";
        return back->count() == 1 ? back->at(0).objectAs<KindsObject>() : nullptr;
    };
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
    auto r = roundTrip(k);
    ASSERT_TRUE(r && r->blob() && r->ids());
    EXPECT_EQ(r->rowid(), k->rowid());
    EXPECT_EQ(std::make_tuple(r->tid(), r->tag(), r->weight(), r->timestamp(), r->l(), r->f(), r->b()),
              std::make_tuple(1LL << 40, std::optional<std::string>("tag"), -3, 2.25, -5000000000L, 0.5f, true));
    EXPECT_EQ(*r->blob(), (pf::Bytes{0, 1, 2}));
    EXPECT_EQ(r->when(), pf::Date{1700000000}) << "dates come back in whole seconds";
    EXPECT_EQ(*r->ids(), (pf::Array{3LL, 5LL, 8LL})) << "arrays travel as JSON text";

    const std::vector<std::pair<pf::Value, pf::Value>> anyRows = {
        {pf::Value(5), pf::Value(5LL)}, // a stored number never reads back as nil
        {pf::Value(2.5), pf::Value(2.5)},
        {pf::Value("plain text"), pf::Value("plain text")}, // not JSON: the text itself
        {pf::Value(pf::Array::create({1, 2})), pf::Value(pf::Array::create({1LL, 2LL}))},
        {pf::Value(pf::Dictionary::create({{"k", "v"}})), pf::Value(pf::Dictionary::create({{"k", "v"}}))},
    };
    for (const auto& [stored, expected] : anyRows) {
        auto a = std::make_shared<KindsObject>();
        a->setAny(stored);
        auto back = roundTrip(a);
        ASSERT_TRUE(back) << stored.description();
        EXPECT_EQ(back->any(), expected) << stored.description();
    }

    auto e = roundTrip(std::make_shared<KindsObject>());
    ASSERT_TRUE(e);
    EXPECT_EQ(e->tag(), std::nullopt);
    EXPECT_EQ(e->blob(), nullptr);
    EXPECT_EQ(e->when(), std::nullopt);
    EXPECT_EQ(e->ids(), nullptr);
    EXPECT_TRUE(e->any().isNil());
}

TEST(KRDBRecords, PlainPropertiesStoreWhatTheirValuesWould)
{
    // Numbers and texts are bound straight from their C++ types; each column
    // must hold what binding the property's value would have stored.
    Store s;
    const pf::Class* kinds = pf::Class::named("KindsObject");
    s.context.regDBObjectClass(kinds);
    auto k = std::make_shared<KindsObject>();
    k->setTid(-(1LL << 40));
    k->setWeight(-3);
    k->setL(-5000000000L);
    k->setF(0.1f);
    k->setB(true);
    k->setTimestamp(0.1);
    ASSERT_TRUE(s.context.insertObject(k));
    auto values = pf::Dictionary::create({{"f", pf::Value(0.1f)}, {"rowid", k->rowid()}});
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"typeof([tag])", "null"}, // a nil text is NULL, not an empty text
        {"typeof([tid]) || [tid]", "integer-1099511627776"},
        {"typeof([weight]) || [weight]", "integer-3"},
        {"typeof([l]) || [l]", "integer-5000000000"},
        {"typeof([b]) || [b]", "integer1"},
        {"typeof([f]) || ([f] = :f)", "real1"}, // rounded to a float first, as a float value binds
        {"typeof([timestamp]) || ([timestamp] = 0.1)", "real1"},
    };
    for (const auto& [expression, expected] : rows) {
        auto cursor = s.context.db()->query("SELECT " + expression + " FROM [KindsObject] WHERE [rowid]=:rowid",
                                            pf::Value(values));
        EXPECT_EQ(column(cursor), std::vector<std::string>{expected}) << expression;
    }
    k->setTag("");
    k->setB(false);
    ASSERT_TRUE(s.context.updateObject(k));
    for (const auto& [expression, expected] :
         std::vector<std::pair<std::string, std::string>>{{"typeof([tag])", "text"}, {"[b]", "0"}}) {
        auto cursor = s.context.db()->query("SELECT " + expression + " FROM [KindsObject] WHERE [rowid]=:rowid",
                                            pf::Value(values));
        EXPECT_EQ(column(cursor), std::vector<std::string>{expected}) << expression;
    }
}

TEST(KRDBMemory, ObjectSetsAreKeptByTableAndNeverReachTheDatabase)
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
}
