// The object store against the same work done with SQLite directly: 10,000
// inserts of a six-column record in one transaction, and reading 1,000 rows
// into objects. Both sides use an in-memory database, so the numbers show
// the store's own cost rather than the disk's.

#include "framework/db/KRDBContext.h"
#include "framework/db/KRDBObject.h"
#include "framework/db/KRDBRegistration.h"
#include "framework/db/KRSqlite.h"
#include "framework/db/KRSqliteCursor.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Collections.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>

namespace {

class LedgerRecord : public KRDBObject {
public:
    long long bid() const { return m_bid; }
    void setBid(long long v) { m_bid = v; }
    std::optional<std::string> title() const { return m_title; }
    void setTitle(std::optional<std::string> v) { m_title = std::move(v); }
    int category() const { return m_category; }
    void setCategory(int v) { m_category = v; }
    double amount() const { return m_amount; }
    void setAmount(double v) { m_amount = v; }
    double timestamp() const { return m_timestamp; }
    void setTimestamp(double v) { m_timestamp = v; }
    std::optional<std::string> note() const { return m_note; }
    void setNote(std::optional<std::string> v) { m_note = std::move(v); }

private:
    long long m_bid = 0;
    std::optional<std::string> m_title;
    int m_category = 0;
    double m_amount = 0;
    double m_timestamp = 0;
    std::optional<std::string> m_note;
};

const pf::Class* ledgerClass()
{
    static const pf::Class* cls = [] {
        registerDBClasses();
        return pf::ClassBuilder<LedgerRecord>("LedgerRecord")
            .superclass<KRDBObject>()
            .property("bid", &LedgerRecord::bid, &LedgerRecord::setBid)
            .property("title", &LedgerRecord::title, &LedgerRecord::setTitle)
            .property("category", &LedgerRecord::category, &LedgerRecord::setCategory)
            .property("amount", &LedgerRecord::amount, &LedgerRecord::setAmount)
            .property("timestamp", &LedgerRecord::timestamp, &LedgerRecord::setTimestamp)
            .property("note", &LedgerRecord::note, &LedgerRecord::setNote)
            .commit();
    }();
    return cls;
}

std::shared_ptr<LedgerRecord> makeRecord(int i)
{
    auto r = std::make_shared<LedgerRecord>();
    r->setBid(1000000 + i);
    r->setTitle("lunch " + std::to_string(i % 97));
    r->setCategory(i % 12);
    r->setAmount(12.5 + i);
    r->setTimestamp(1700000000.0 + i);
    r->setNote("paid with the shared card");
    return r;
}

KRDBContext openContext()
{
    KRDBContext context;
    auto db = KRSqlite::initWithPath(":memory:");
    if (!db.ok()) {
        std::fprintf(stderr, "%s\n", db.error().description.c_str());
        std::abort();
    }
    context.setDb(db.value());
    context.regDBObjectClass(ledgerClass());
    return context;
}

void check(int rc, sqlite3* db)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::abort();
    }
}

// The same table as the store creates, with the statements the store uses.
struct RawDB {
    sqlite3* db = nullptr;
    RawDB()
    {
        check(sqlite3_open(":memory:", &db), db);
        check(sqlite3_exec(db,
                           "CREATE TABLE IF NOT EXISTS [LedgerRecord] ( [rowid] INTEGER PRIMARY KEY AUTOINCREMENT "
                           ",[bid] BIGINT,[title] TEXT,[category] INT,[amount] DOUBLE,[timestamp] DOUBLE,[note] TEXT)",
                           nullptr, nullptr, nullptr),
              db);
    }
    ~RawDB() { sqlite3_close(db); }
    void insert(int count)
    {
        sqlite3_stmt* stmt = nullptr;
        check(sqlite3_prepare_v2(db,
                                 "INSERT INTO [LedgerRecord] ( [bid],[title],[category],[amount],[timestamp],[note])"
                                 " VALUES(:bid,:title,:category,:amount,:timestamp,:note)",
                                 -1, &stmt, nullptr),
              db);
        check(sqlite3_exec(db, "begin exclusive transaction", nullptr, nullptr, nullptr), db);
        for (int i = 0; i < count; ++i) {
            auto r = makeRecord(i);
            // The texts are bound in place, so they must live until the step.
            std::optional<std::string> title = r->title(), note = r->note();
            sqlite3_bind_int64(stmt, 1, r->bid());
            sqlite3_bind_text(stmt, 2, title->c_str(), -1, SQLITE_STATIC);
            sqlite3_bind_int(stmt, 3, r->category());
            sqlite3_bind_double(stmt, 4, r->amount());
            sqlite3_bind_double(stmt, 5, r->timestamp());
            sqlite3_bind_text(stmt, 6, note->c_str(), -1, SQLITE_STATIC);
            check(sqlite3_step(stmt), db);
            sqlite3_reset(stmt);
            r->setRowid(sqlite3_last_insert_rowid(db));
        }
        check(sqlite3_exec(db, "commit transaction", nullptr, nullptr, nullptr), db);
        sqlite3_finalize(stmt);
    }
};

void BM_Store_Insert10k(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        KRDBContext context = openContext();
        state.ResumeTiming();
        context.db()->beginTransaction();
        for (int i = 0; i < 10000; ++i)
            context.insertObject(makeRecord(i));
        context.db()->commit();
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_Store_Insert10k)->Unit(benchmark::kMillisecond);

void BM_RawSqlite_Insert10k(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        RawDB raw;
        state.ResumeTiming();
        raw.insert(10000);
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_RawSqlite_Insert10k)->Unit(benchmark::kMillisecond);

void BM_Store_Query1k(benchmark::State& state)
{
    KRDBContext context = openContext();
    context.db()->beginTransaction();
    for (int i = 0; i < 1000; ++i)
        context.insertObject(makeRecord(i));
    context.db()->commit();
    const pf::Class* cls = ledgerClass();
    for (auto _ : state) {
        auto cursor = context.query(cls, std::nullopt);
        pf::ArrayRef objects = cursor->dataObjects(cls);
        cursor->close();
        if (objects->count() != 1000)
            std::abort();
        benchmark::DoNotOptimize(objects);
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_Store_Query1k)->Unit(benchmark::kMicrosecond);

void BM_RawSqlite_Query1k(benchmark::State& state)
{
    RawDB raw;
    raw.insert(1000);
    sqlite3_stmt* stmt = nullptr;
    check(sqlite3_prepare_v2(raw.db, "SELECT * FROM [LedgerRecord] ", -1, &stmt, nullptr), raw.db);
    for (auto _ : state) {
        std::vector<std::shared_ptr<LedgerRecord>> objects;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            auto r = std::make_shared<LedgerRecord>();
            r->setRowid(sqlite3_column_int64(stmt, 0));
            r->setBid(sqlite3_column_int64(stmt, 1));
            r->setTitle(std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2))));
            r->setCategory(sqlite3_column_int(stmt, 3));
            r->setAmount(sqlite3_column_double(stmt, 4));
            r->setTimestamp(sqlite3_column_double(stmt, 5));
            r->setNote(std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 6))));
            objects.push_back(std::move(r));
        }
        sqlite3_reset(stmt);
        if (objects.size() != 1000)
            std::abort();
        benchmark::DoNotOptimize(objects);
    }
    sqlite3_finalize(stmt);
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_RawSqlite_Query1k)->Unit(benchmark::kMicrosecond);

}

BENCHMARK_MAIN();
