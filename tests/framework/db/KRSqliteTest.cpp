#include "DBTestSupport.h"

#include "framework/db/KRSqliteUnionCursor.h"
#include "platform/foundation/Decimal.h"

#include <fstream>
#include <functional>

using namespace dbtest;

namespace {

// Not a record: the same keys as TagObject on a class of its own.
class LabelObject : public pf::Object {
public:
    std::string tag() const { return "label"; }
    int weight() const { return 9; }
};

// A getter that runs statements of its own on the database being bound to.
class NoisyObject : public pf::Object {
public:
    static inline KRSqlite* db = nullptr;
    std::string tag() const
    {
        for (int i = 0; i < 70; i++) // past the statement cache's size
            db->execture("INSERT INTO log (n) VALUES (" + std::to_string(i) + ")");
        return "noisy tag";
    }
    std::string other() const { return "bound before the noisy tag, a long text"; }
    std::string suffix() const { return "!"; }
};

const pf::Class* noisyClass()
{
    static const pf::Class* cls =
        pf::ClassBuilder<NoisyObject>("KRSqliteTestNoisy")
            .readonlyProperty("tag", &NoisyObject::tag)
            .readonlyProperty("other", &NoisyObject::other)
            .readonlyProperty("suffix", &NoisyObject::suffix)
            .commit();
    return cls;
}

const pf::Class* labelClass()
{
    static const pf::Class* cls = pf::ClassBuilder<LabelObject>("KRSqliteTestLabel")
                                      .readonlyProperty("tag", &LabelObject::tag)
                                      .readonlyProperty("weight", &LabelObject::weight)
                                      .commit();
    return cls;
}

const pf::Class* kinds() { return pf::Class::named("KindsObject"); }

} // namespace

TEST(KRSqliteBinding, EveryValueKindBindsByItsTypeCode)
{
    TempDir dir;
    KRSqliteRef db = openDB(dir);
    ASSERT_TRUE(db);
    struct Row {
        const char* what;
        pf::Value value;
        const char* type;
        const char* quoted;
    };
    auto decimal = [](const char* text) { return pf::Value::number(*pf::decimalFromText(text)); };
    const std::vector<Row> rows = {
        {"nil", pf::Value(), "null", "NULL"},
        {"null", pf::Value::null(), "null", "NULL"},
        {"data", pf::Value::data(pf::Bytes{1, 2}), "blob", "X'0102'"},
        {"empty data", pf::Value::data(pf::Bytes{}), "blob", "X''"},
        {"date", pf::Value(pf::Date{1.5}), "real", "1.5"},
        {"Bool 'c'", pf::Value::boolean(true), "integer", "1"},
        {"Int 'i'", pf::Value(-7), "integer", "-7"},
        {"Long 'l'", pf::Value(5000000000L), "integer", "5000000000"},
        {"LongLong 'q'", pf::Value(-9000000000000000000LL), "integer", "-9000000000000000000"},
        {"UnsignedLongLong 'Q'", pf::Value::unsignedNumber(~0ULL), "integer", "-1"},
        {"Float 'f'", pf::Value(1.25f), "real", "1.25"},
        {"Double 'd'", pf::Value(0.1), "real", "0.1"},
        {"whole decimal", decimal("18446744073709551615"), "integer", "-1"},
        {"decimal past 64 bits", decimal("-1E20"), "real", "-1.0e+20"},
        {"string", pf::Value("it's"), "text", "'it''s'"},
        {"array", pf::Value(pf::Array::create({1, 2})), "blob", "X'5B312C325D'"},
        {"dictionary", pf::Value(pf::Dictionary::create({{"a", "b"}})), "blob", "X'7B2261223A2262227D'"},
    };
    for (const Row& row : rows) {
        auto data = pf::Dictionary::create({{"v", row.value}});
        auto cursor = db->query("SELECT typeof(:v), quote(:v)", pf::Value(data));
        ASSERT_TRUE(cursor && cursor->next()) << row.what;
        EXPECT_EQ(cursor->stringValueAtIndex(0), row.type) << row.what;
        EXPECT_EQ(cursor->stringValueAtIndex(1), row.quoted) << row.what;
        cursor->close();
    }
}

TEST(KRSqliteBinding, ParametersReadKeyPathsOfAnyObject)
{
    TempDir dir;
    KRSqliteRef db = openDB(dir);
    ASSERT_TRUE(db->execture("CREATE TABLE t ([rowid] INTEGER PRIMARY KEY, [a] TEXT, [b] TEXT)"));
    ASSERT_TRUE(db->execture("INSERT INTO t (a, b) VALUES (:a, :b)", pf::Value(pf::Dictionary::create({{"a", "x"}}))));
    EXPECT_EQ(db->lastInsertRowid(), 1);
    ASSERT_TRUE(db->execture("UPDATE t SET a=:a, b=:b WHERE rowid=:rowid",
                             pf::Value(pf::Dictionary::create({{"a", "y"}, {"rowid", 1}}))));
    auto c = db->query("SELECT a, b FROM t");
    ASSERT_TRUE(c->next());
    EXPECT_EQ(c->stringValueForName("a"), "y");
    EXPECT_EQ(c->stringValueForName("b"), std::nullopt) << "a key the data lacks binds NULL";

    auto positional = db->query("SELECT ?, ?", pf::Value(pf::Array::create({"first", "second"})));
    ASSERT_TRUE(positional->next());
    EXPECT_EQ(positional->stringValueAtIndex(0), "first");
    EXPECT_EQ(positional->stringValueAtIndex(1), "second");

    auto row = std::make_shared<TagObject>();
    row->setWeight(42);
    auto o = db->query("SELECT :weight", pf::Value(row));
    ASSERT_TRUE(o->next());
    EXPECT_EQ(o->intValueAtIndex(0), 42);

    // One statement, run again and again, reads each run's data by that
    // data's own kind: a record, a dictionary, a record of a subclass, nil,
    // an object of another class with the same keys.
    const std::string insert = "INSERT INTO t (a, b) VALUES (:tag, :weight)";
    auto tagged = std::make_shared<TagObject>();
    tagged->setTag("first");
    tagged->setWeight(1);
    auto kinds = std::make_shared<KindsObject>();
    kinds->setTag("third");
    kinds->setWeight(3);
    ASSERT_TRUE(labelClass());
    for (const pf::Value& data : {pf::Value(tagged), pf::Value(pf::Dictionary::create({{"tag", "second"}})),
                                  pf::Value(kinds), pf::Value(), pf::Value(std::make_shared<LabelObject>()),
                                  pf::Value(tagged)})
        ASSERT_TRUE(db->execture(insert, data));
    auto runs = db->query("SELECT a, b FROM t WHERE rowid > 1 ORDER BY rowid");
    std::vector<std::string> seen;
    while (runs->next())
        seen.push_back(runs->stringValueAtIndex(0).value_or("-") + "/" + runs->stringValueAtIndex(1).value_or("-"));
    EXPECT_EQ(seen, (std::vector<std::string>{"first/1", "second/-", "third/3", "-/-", "label/9", "first/1"}));

    // The values bound for a run stay put while a getter runs statements.
    ASSERT_TRUE(db->execture("CREATE TABLE log (n)"));
    ASSERT_TRUE(noisyClass());
    NoisyObject::db = db.get();
    ASSERT_TRUE(db->execture("INSERT INTO t (a, b) VALUES (:other, :tag || :suffix)",
                             pf::Value(std::make_shared<NoisyObject>())));
    auto noisy = db->query("SELECT a, b FROM t WHERE rowid = :id",
                           pf::Value(pf::Dictionary::create({{"id", db->lastInsertRowid()}})));
    ASSERT_TRUE(noisy->next());
    EXPECT_EQ(noisy->stringValueAtIndex(0), "bound before the noisy tag, a long text");
    EXPECT_EQ(noisy->stringValueAtIndex(1), "noisy tag!");
    auto logged = db->query("SELECT count(*) FROM log");
    ASSERT_TRUE(logged->next());
    EXPECT_EQ(logged->intValueAtIndex(0), 70);

    EXPECT_FALSE(db->execture("NOT SQL"));
    EXPECT_NE(db->errcode(), 0);
    EXPECT_EQ(db->query("NOT SQL"), nullptr);
}

TEST(KRSqliteCursorRead, TypedReadsByNameAndIndex)
{
    TempDir dir;
    KRSqliteRef db = openDB(dir);
    ASSERT_TRUE(db->execture("CREATE TABLE t (n INTEGER, r REAL, s TEXT, b BLOB, z)"));
    const double when = 4102444800.75; // past 2038
    ASSERT_TRUE(db->execture("INSERT INTO t VALUES (:n, :r, :s, :b, NULL)",
                             pf::Value(pf::Dictionary::create({{"n", 5000000000LL}, {"r", pf::Value(pf::Date{when})},
                                                               {"s", "text"}, {"b", pf::Value::data(pf::Bytes{})}}))));
    auto c = db->query("SELECT n, r, s, b, z, n AS n, s AS tag FROM t");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->intValueAtIndex(0), 0) << "no current row yet";
    ASSERT_TRUE(c->next());
    EXPECT_EQ(c->columnIndexForName("n"), 5) << "the later of two equal names wins";
    EXPECT_EQ(c->columnIndexForName("missing"), IKRSqliteCursor::NotFound);
    EXPECT_EQ(c->columnNameAtIndex(9), std::nullopt);
    EXPECT_EQ(c->longLongValueForName("n"), 5000000000LL);
    EXPECT_EQ(c->doubleValueForName("r"), when) << "a double keeps the fraction";
    EXPECT_EQ(c->dateValueForName("r"), pf::Date{4102444800.0}) << "a date keeps whole seconds, 64-bit";
    EXPECT_EQ(c->dateValueForName("z"), std::nullopt);
    EXPECT_EQ(c->dataValueForName("b"), nullptr) << "an empty blob reads as nil";
    EXPECT_EQ(c->cStringValueForName("missing"), nullptr);
    EXPECT_EQ(c->objectAtIndex(0), pf::Value(5000000000LL));
    EXPECT_EQ(c->objectAtIndex(1), pf::Value(when));
    EXPECT_TRUE(c->objectAtIndex(4).isNil());

    auto dict = pf::Dictionary::create();
    c->toDataObject(pf::Value(dict));
    EXPECT_EQ(dict->keys(), (std::vector<std::string>{"n", "r", "s", "tag"})) << "NULL and empty columns set nothing";
    // With a class, a dictionary takes that class's properties instead.
    auto walked = pf::Dictionary::create({{"tag", "old"}, {"when", 1}, {"other", 2}});
    c->toDataObject(pf::Value(walked), kinds());
    EXPECT_EQ(walked->get("tag"), pf::Value("text"));
    EXPECT_TRUE(walked->get("weight").number()) << "a number property without its column reads 0";
    EXPECT_TRUE(walked->get("when").isNil()) << "a nil value removes the key";
    EXPECT_EQ(walked->get("other"), pf::Value(2));
    EXPECT_TRUE(walked->get("n").isNil());
    EXPECT_FALSE(c->next());
    EXPECT_FALSE(c->next()) << "the end stays the end until reset";
    EXPECT_TRUE(c->reset());
    EXPECT_TRUE(c->next()) << "reset rewinds with the same bindings";
}

TEST(KRSqliteLifecycle, CloseClosesEveryCursorAndIsSafeTwice)
{
    TempDir dir;
    KRSqliteRef db = openDB(dir);
    ASSERT_TRUE(db->execture("CREATE TABLE t (a)"));
    ASSERT_TRUE(db->execture("INSERT INTO t VALUES (1)"));
    auto a = db->query("SELECT a FROM t");
    auto b = db->query("SELECT a FROM t");
    auto c = db->query("SELECT a FROM t");
    ASSERT_TRUE(a && b && c);
    ASSERT_TRUE(a->next());
    b->close();
    EXPECT_FALSE(b->sqlite()) << "a closed cursor has left its database";
    db->close();
    for (auto& cursor : {a, b, c}) {
        EXPECT_TRUE(cursor->isClosed());
        EXPECT_FALSE(cursor->next());
        EXPECT_EQ(cursor->intValueAtIndex(0), 0);
        EXPECT_FALSE(cursor->reset());
    }
    db->close();
    EXPECT_FALSE(db->execture("SELECT 1"));
    EXPECT_EQ(db->query("SELECT 1"), nullptr);

    KRSqliteRef other = openDB(dir);
    auto left = other->query("SELECT a FROM t");
    other.reset();
    EXPECT_TRUE(left->isClosed()) << "releasing the database closes its cursors";
}

// A query's statement is kept after its cursor closes and taken again by
// the next query of the same text: it binds that query's values, and after
// a schema change, here or through another connection, names the columns
// of the new schema even before the first step; a cursor reset after such
// a change names the new columns too, and one changed under a cursor not
// yet stepped names them from its first step. A table dropped, here or
// elsewhere, fails the query.
TEST(KRSqliteLifecycle, AKeptQueryReadsItsOwnBindingsAndTheCurrentSchema)
{
    TempDir dir;
    KRSqliteRef db = openDB(dir);
    ASSERT_TRUE(db->execture("CREATE TABLE t (a)"));
    ASSERT_TRUE(db->execture("INSERT INTO t VALUES (1)"));
    ASSERT_TRUE(db->execture("INSERT INTO t VALUES (5)"));
    auto other = KRSqlite::initWithPath(db->path());
    ASSERT_TRUE(other.ok());
    const std::string sql = "SELECT * FROM t WHERE a >= :min";
    struct Row {
        const char* name;
        std::function<bool()> change;
        int min;
        std::vector<std::string> a; // column "a" of the rows, read by its index found before stepping
        bool gone = false;           // the query fails
    } rows[] = {
        {"first run", [] { return true; }, 0, {"1", "5"}},
        {"the same text with another value", [] { return true; }, 2, {"5"}},
        {"a column added here",
         [&] { return db->execture("ALTER TABLE t ADD COLUMN b") && db->execture("UPDATE t SET b = 7"); }, 0, {"1", "5"}},
        {"the table made again by another connection with its columns swapped",
         [&] {
             auto& o = *other.value();
             return o.execture("DROP TABLE t") && o.execture("CREATE TABLE t (b, a)") &&
                    o.execture("INSERT INTO t VALUES (8, 9)");
         },
         0, {"9"}},
        {"nothing changed since", [] { return true; }, 0, {"9"}},
        {"the table made again here with its columns swapped back",
         [&] {
             return db->execture("DROP TABLE t") && db->execture("CREATE TABLE t (a, b)") &&
                    db->execture("INSERT INTO t VALUES (3, 4)");
         },
         0, {"3"}},
        {"the table dropped by another connection", [&] { return other.value()->execture("DROP TABLE t"); }, 0, {}, true},
        {"the table made again here",
         [&] { return db->execture("CREATE TABLE t (b, a)") && db->execture("INSERT INTO t VALUES (2, 6)"); }, 0, {"6"}},
        {"the table dropped here", [&] { return db->execture("DROP TABLE t"); }, 0, {}, true},
        {"the table made again by another connection",
         [&] {
             auto& o = *other.value();
             return o.execture("CREATE TABLE t (a, b)") && o.execture("INSERT INTO t VALUES (3, 4)");
         },
         0, {"3"}},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(row.change()) << row.name;
        auto cursor = db->query(sql, pf::Value(pf::Dictionary::create({{"min", row.min}})));
        if (row.gone) {
            EXPECT_EQ(cursor, nullptr) << row.name;
            EXPECT_NE(db->errmsg().value_or("").find("no such table"), std::string::npos) << row.name;
            continue;
        }
        ASSERT_TRUE(cursor) << row.name;
        int a = cursor->columnIndexForName("a");
        EXPECT_EQ(column(cursor, a), row.a) << row.name;
    }
    // Two open at once each have a statement; both close cleanly and the
    // text still runs after.
    auto first = db->query(sql, pf::Value(pf::Dictionary::create({{"min", 0}})));
    auto second = db->query(sql, pf::Value(pf::Dictionary::create({{"min", 100}})));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(column(second, 1), std::vector<std::string>());
    EXPECT_EQ(column(first, 0), std::vector<std::string>({"3"}));
    EXPECT_EQ(column(db->query(sql, pf::Value(pf::Dictionary::create({{"min", 3}}))), 0), std::vector<std::string>({"3"}));
    // A cursor read to its end, reset after another connection swapped the
    // columns, runs again under the new schema and names its columns.
    auto again = db->query(sql, pf::Value(pf::Dictionary::create({{"min", 0}})));
    ASSERT_TRUE(again);
    EXPECT_EQ(column(*again, again->columnIndexForName("a")), std::vector<std::string>({"3"}));
    ASSERT_TRUE(other.value()->execture("DROP TABLE t") && other.value()->execture("CREATE TABLE t (b, a)") &&
                other.value()->execture("INSERT INTO t VALUES (1, 2)"));
    ASSERT_TRUE(again->reset());
    EXPECT_EQ(column(*again, again->columnIndexForName("a")), std::vector<std::string>({"2"}));
    again->close();
    // Columns named before another connection swaps them are named anew by
    // the first step, which runs under the new schema.
    auto early = db->query(sql, pf::Value(pf::Dictionary::create({{"min", 0}})));
    ASSERT_TRUE(early);
    EXPECT_EQ(early->columnIndexForName("a"), 1);
    ASSERT_TRUE(other.value()->execture("DROP TABLE t") && other.value()->execture("CREATE TABLE t (a, b)") &&
                other.value()->execture("INSERT INTO t VALUES (5, 6)"));
    ASSERT_TRUE(early->next());
    EXPECT_EQ(early->columnIndexForName("a"), 0);
    EXPECT_EQ(early->stringValueForName("a"), "5");
    early->close();
    db->close();
    EXPECT_EQ(db->query(sql), nullptr);
}

// A query's statement runs at its cursor's first step, not when the cursor
// is handed out nor when its columns are asked for: rows written in between
// are read, a write waits for next(), a statement failing there still
// answers a cursor, and a cursor never read holds no read that would keep
// another connection from writing.
TEST(KRSqliteLifecycle, AQueryRunsAtItsCursorsFirstStep)
{
    TempDir dir;
    KRSqliteRef db = openDB(dir);
    auto other = KRSqlite::initWithPath(db->path());
    ASSERT_TRUE(other.ok());
    ASSERT_TRUE(db->execture("CREATE TABLE t (a UNIQUE)"));
    struct Row {
        const char* name;
        const char* sql;
        std::function<bool()> between; // after query() and its columns, before the first next()
        bool next;                      // what the first next() answers
        std::vector<std::string> after; // t's rows after the cursor closed
        int columns = 0;                // "a" alone when 1
    } rows[] = {
        {"a row inserted before the first next", "SELECT a FROM t WHERE a > 1",
         [&] { return db->execture("INSERT INTO t VALUES (2)"); }, true, {"1", "2"}, 1},
        {"a delete asked for but not stepped", "DELETE FROM t",
         [&] { return column(db->query("SELECT a FROM t")) == std::vector<std::string>{"1"}; }, false, {}},
        {"an insert whose first step breaks the unique key", "INSERT INTO t VALUES (1)", [] { return true; }, false,
         {"1"}},
        {"a cursor never read, while another connection writes", "SELECT a FROM t",
         [&] { return other.value()->execture("INSERT INTO t VALUES (3)"); }, true, {"1", "3"}, 1},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(db->execture("DELETE FROM t") && db->execture("INSERT INTO t VALUES (1)")) << row.name;
        auto cursor = db->query(row.sql);
        ASSERT_TRUE(cursor) << row.name;
        EXPECT_EQ(cursor->count(), row.columns) << row.name;
        EXPECT_EQ(cursor->columnIndexForName("a"), row.columns ? 0 : IKRSqliteCursor::NotFound) << row.name;
        EXPECT_EQ(cursor->columnNameAtIndex(0), row.columns ? std::optional<std::string>("a") : std::nullopt) << row.name;
        EXPECT_TRUE(row.between()) << row.name;
        EXPECT_EQ(cursor->next(), row.next) << row.name;
        cursor->close();
        EXPECT_EQ(column(db->query("SELECT a FROM t ORDER BY a")), row.after) << row.name;
    }
    auto failing = db->query("INSERT INTO t VALUES (1)");
    ASSERT_TRUE(failing);
    EXPECT_FALSE(failing->next());
    EXPECT_NE(db->errmsg().value_or("").find("UNIQUE"), std::string::npos) << "the step's failure is the last error";
    EXPECT_FALSE(failing->next()) << "the end stays the end";
}

TEST(KRSqliteLifecycle, OpeningABadFileFailsWithAnError)
{
    TempDir dir;
    std::ofstream(dir.file("garbage.db")) << std::string(4096, 'x');
    std::filesystem::create_directory(dir.file("folder.db"));
    for (const std::string& path : {dir.file("garbage.db"), dir.file("folder.db"), dir.file("no/such/dir.db")}) {
        auto db = KRSqlite::initWithPath(path);
        ASSERT_FALSE(db.ok()) << path;
        EXPECT_NE(db.error().description.find(path), std::string::npos) << "the error names the file";
    }
}

TEST(KRSqliteDurability, RelaxedLogsAheadAndKeepsCommitsAcrossReopening)
{
    TempDir dir;
    struct Row {
        KRSqliteDurability durability;
        const char* name;
        const char* journal;
        const char* synchronous; // 1 normal, 2 full
    };
    const std::vector<Row> rows = {
        {KRSqliteDurability::Full, "full.db", "delete", "2"},
        {KRSqliteDurability::Relaxed, "relaxed.db", "wal", "1"},
    };
    for (const Row& row : rows) {
        auto opened = KRSqlite::initWithPath(dir.file(row.name), row.durability);
        ASSERT_TRUE(opened.ok()) << row.name;
        KRSqliteRef db = opened.value();
        EXPECT_EQ(column(db->query("PRAGMA journal_mode")), std::vector<std::string>{row.journal}) << row.name;
        EXPECT_EQ(column(db->query("PRAGMA synchronous")), std::vector<std::string>{row.synchronous}) << row.name;
        ASSERT_TRUE(db->execture("CREATE TABLE t (a)"));
        ASSERT_TRUE(db->beginTransaction());
        ASSERT_TRUE(db->execture("INSERT INTO t VALUES (1)"));
        ASSERT_TRUE(db->commit());
        ASSERT_TRUE(db->execture("INSERT INTO t VALUES (2)"));
        db->close();
        // Whatever the mode it was written in, the file opens with all its commits.
        auto again = KRSqlite::initWithPath(dir.file(row.name));
        ASSERT_TRUE(again.ok()) << row.name;
        EXPECT_EQ(column(again.value()->query("SELECT a FROM t ORDER BY a")), (std::vector<std::string>{"1", "2"})) << row.name;
    }
}

TEST(KRSqliteTransaction, CommitKeepsAndRollbackDrops)
{
    TempDir dir;
    KRSqliteRef db = openDB(dir);
    ASSERT_TRUE(db->execture("CREATE TABLE t (a)"));
    ASSERT_TRUE(db->beginTransaction());
    ASSERT_TRUE(db->execture("INSERT INTO t VALUES (1)"));
    ASSERT_TRUE(db->rollback());
    ASSERT_TRUE(db->beginTransaction());
    ASSERT_TRUE(db->execture("INSERT INTO t VALUES (2)"));
    EXPECT_FALSE(db->beginTransaction()) << "no nesting";
    ASSERT_TRUE(db->commit());
    EXPECT_FALSE(db->commit()) << "nothing to commit";
    auto c = db->query("SELECT a FROM t");
    EXPECT_EQ(column(c), std::vector<std::string>{"2"});
}

// The mark moves with what may change the content, this connection's writes
// and another connection's commits, and holds still over reads.
TEST(KRSqliteTransaction, DataVersionMovesWithWritesAndOtherConnectionsCommits)
{
    TempDir dir;
    KRSqliteRef db = openDB(dir);
    ASSERT_TRUE(db->execture("CREATE TABLE t (a)"));
    auto other = KRSqlite::initWithPath(db->path());
    ASSERT_TRUE(other.ok());
    struct Row {
        const char* name;
        std::function<bool()> step;
        bool moves;
    } rows[] = {
        {"a read", [&] { return column(db->query("SELECT a FROM t")).empty(); }, false},
        {"an insert", [&] { return db->execture("INSERT INTO t VALUES (1)"); }, true},
        {"the other's read", [&] { return column(other.value()->query("SELECT a FROM t")).size() == 1; }, false},
        {"an update of the same value", [&] { return db->execture("UPDATE t SET a = 1"); }, true},
        {"a rolled-back delete",
         [&] { return db->beginTransaction() && db->execture("DELETE FROM t") && db->rollback(); }, true},
        {"the other's insert", [&] { return other.value()->execture("INSERT INTO t VALUES (2)"); }, true},
        {"nothing", [] { return true; }, false},
    };
    auto before = db->dataVersion();
    ASSERT_TRUE(before);
    for (const Row& row : rows) {
        ASSERT_TRUE(row.step()) << row.name;
        auto after = db->dataVersion();
        ASSERT_TRUE(after) << row.name;
        EXPECT_EQ(*after != *before, row.moves) << row.name;
        before = after;
    }
    db->close();
    EXPECT_FALSE(db->dataVersion());
}

TEST(KRSqliteUnion, TakesOneRowFromEachCursorInTurn)
{
    TempDir dir;
    KRSqliteRef db = openDB(dir);
    ASSERT_TRUE(db->execture("CREATE TABLE a (v)"));
    ASSERT_TRUE(db->execture("INSERT INTO a VALUES ('a1'), ('a2')"));
    ASSERT_TRUE(db->execture("CREATE TABLE b (v)"));
    ASSERT_TRUE(db->execture("INSERT INTO b VALUES ('b1')"));
    KRSqliteUnionCursor u({db->query("SELECT v FROM a"), db->query("SELECT v FROM b")});
    EXPECT_EQ(u.stringValueForName("v"), std::nullopt) << "nothing to read before the first row";
    EXPECT_EQ(column(u, 0), (std::vector<std::string>{"a1", "b1", "a2"}));
    EXPECT_TRUE(u.reset());
    EXPECT_EQ(column(u, 0).size(), 3u) << "reset rewinds every cursor";
    u.close();
    EXPECT_TRUE(u.isClosed());
    for (auto& c : u.cursors()) EXPECT_TRUE(c->isClosed());
    KRSqliteUnionCursor empty({});
    EXPECT_FALSE(empty.next());
}

TEST(KRSqliteFile, RunsEachLineByItselfInBatchesAndCarriesSplitLines)
{
    TempDir dir;
    KRSqliteRef db = openDB(dir);
    ASSERT_TRUE(db->execture("CREATE TABLE t (n, s)"));
    std::string text;
    for (int i = 1; i <= 250; ++i) {
        text += "INSERT INTO t VALUES (" + std::to_string(i) + ", 'x');\n";
        if (i % 50 == 0) text += "\n"; // empty lines are skipped
    }
    // A statement straddling the first 102,400-byte piece.
    text += "INSERT INTO t VALUES (1000, '";
    text += std::string(102400 - text.size() + 10, 'y');
    text += "');\n";
    text += "INSERT INTO t VALUES (1001, it's);\n"; // a stray quote fails alone
    text += "INSERT INTO t VALUES (1002, 'no terminator')\n";
    text += "INSERT INTO t VALUES (1003, 'two\nlines');\n"; // two lines, each failing
    text += "INSERT INTO missing VALUES (1);\n";
    text += "INSERT INTO t VALUES (1004, 'after a failure');"; // no final line feed
    std::ofstream(dir.file("batch.sql")) << text;

    KRSqliteFileReport report = db->exectureSqlFile(dir.file("batch.sql"));
    EXPECT_EQ(report.statements, 257u);
    ASSERT_EQ(report.failures.size(), 4u);
    EXPECT_NE(report.failures[0].description.find("it's"), std::string::npos);
    EXPECT_NE(report.failures[3].description.find("missing"), std::string::npos);

    auto c = db->query("SELECT count(*), sum(n) FROM t WHERE n <= 250");
    ASSERT_TRUE(c->next());
    EXPECT_EQ(c->intValueAtIndex(0), 250);
    EXPECT_EQ(c->intValueAtIndex(1), 250 * 251 / 2);
    auto big = db->query("SELECT length(s) FROM t WHERE n = 1000");
    ASSERT_TRUE(big->next());
    EXPECT_GT(big->intValueAtIndex(0), 10);
    auto tail = db->query("SELECT s FROM t WHERE n > 1000 ORDER BY n");
    EXPECT_EQ(column(tail), (std::vector<std::string>{"no terminator", "after a failure"}));
    EXPECT_TRUE(db->beginTransaction()) << "no transaction was left open";
    EXPECT_TRUE(db->rollback());

    KRSqliteFileReport missing = db->exectureSqlFile(dir.file("missing.sql"));
    EXPECT_EQ(missing.statements, 0u);
    EXPECT_EQ(missing.failures.size(), 1u);
}
