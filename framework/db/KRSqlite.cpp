#include "framework/db/KRSqlite.h"

#include "framework/db/KRSqliteBinding.h"
#include "framework/db/KRSqliteCursor.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kDomain = "KRSqlite";
constexpr std::size_t kStatementCacheLimit = 64;
constexpr std::size_t kKeptQueryLimit = 16;

pf::Error sqliteError(sqlite3* db, int rc, const std::string& what)
{
    std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    return pf::Error{kDomain, rc, what + ": " + message};
}

}

pf::ErrorOr<KRSqliteRef> KRSqlite::initWithPath(const std::string& path, KRSqliteDurability durability)
{
    sqlite3* db = nullptr;
    // A connection is used by one thread at a time (see the header), so the
    // library's own lock around every call would only cost time.
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        pf::Error error = sqliteError(db, rc, "cannot open " + path);
        sqlite3_close(db);
        return error;
    }
    // Opening is lazy: read the schema now, so that a file that is not a
    // database fails here rather than on first use.
    rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        pf::Error error = sqliteError(db, rc, "cannot read " + path);
        sqlite3_close(db);
        return error;
    }
    if (sqlite3_db_readonly(db, "main") == 1) {
        sqlite3_close(db);
        return pf::Error{kDomain, SQLITE_READONLY, "cannot write " + path};
    }
    if (durability == KRSqliteDurability::Relaxed) {
        // The journal mode answers the mode it took; one that stays on its
        // rollback journal still gains from the lighter syncs.
        rc = sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) {
            pf::Error error = sqliteError(db, rc, "cannot relax " + path);
            sqlite3_close(db);
            return error;
        }
    }
    KRSqliteRef sqlite(new KRSqlite);
    sqlite->m_db = db;
    sqlite->m_path = path;
    return sqlite;
}

KRSqlite::~KRSqlite()
{
    close();
}

KRSqlite::CachedStatement* KRSqlite::cachedStatement(const std::string& sql)
{
    if (m_last && *m_lastSql == sql)
        return m_last;
    m_lastText.reset();
    auto it = m_statements.find(sql);
    if (it != m_statements.end()) {
        m_lastSql = &it->first;
        m_last = &it->second;
        return m_last; // reset after its last run
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return nullptr;
    }
    if (!stmt)
        return nullptr; // only blanks or comments
    // Never while a run binds: a getter's own statement must not finalize
    // the one being bound.
    if (m_statements.size() >= kStatementCacheLimit && !m_binding)
        finalizeCache();
    auto made = m_statements.emplace(sql, CachedStatement{stmt, makeBindPlan(stmt)}).first;
    m_lastSql = &made->first;
    m_last = &made->second;
    return m_last;
}

void KRSqlite::finalizeCache()
{
    for (auto& [sql, cached] : m_statements)
        sqlite3_finalize(cached.stmt);
    m_statements.clear();
    m_lastSql = nullptr;
    m_last = nullptr;
    m_lastText.reset();
    for (auto& [sql, kept] : m_keptQueries)
        sqlite3_finalize(kept.stmt);
    m_keptQueries.clear();
}

std::optional<long long> KRSqlite::pragmaInteger(const std::string& sql)
{
    CachedStatement* cached = m_db ? cachedStatement(sql) : nullptr;
    if (!cached)
        return std::nullopt;
    int rc = sqlite3_step(cached->stmt);
    long long value = rc == SQLITE_ROW ? sqlite3_column_int64(cached->stmt, 0) : 0;
    sqlite3_reset(cached->stmt);
    if (rc != SQLITE_ROW)
        return std::nullopt;
    return value;
}

std::optional<long long> KRSqlite::schemaVersion()
{
    // The pragma reads the file's header, so a change made through another
    // connection shows too.
    return pragmaInteger("PRAGMA schema_version");
}

void KRSqlite::keepQueryStatement(sqlite3_stmt* stmt, std::string sql, long long schemaVersion)
{
    if (!stmt)
        return;
    // Reset ends the statement's read, and the cleared bindings let go of
    // the values copied for them.
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    if (!m_db || m_keptQueries.size() >= kKeptQueryLimit ||
        !m_keptQueries.emplace(std::move(sql), KeptQuery{stmt, schemaVersion}).second)
        sqlite3_finalize(stmt);
}

bool KRSqlite::execture(const std::string& sql, const pf::Value& data)
{
    if (!m_db)
        return false;
    CachedStatement* cached = cachedStatement(sql);
    return cached && run(cached, data);
}

bool KRSqlite::execture(const std::shared_ptr<const std::string>& sql, const pf::Value& data)
{
    if (!m_db || !sql)
        return false;
    if (m_last && m_lastText == sql)
        return run(m_last, data);
    CachedStatement* cached = cachedStatement(*sql);
    if (!cached)
        return false;
    m_lastText = sql;
    return run(cached, data);
}

bool KRSqlite::run(CachedStatement* cached, const pf::Value& data)
{
    sqlite3_stmt* stmt = cached->stmt;
    // A getter that runs a statement of its own while this one binds gets
    // its own holder, so the values bound here stay put.
    KRBoundValues nested;
    KRBoundValues& holder = m_binding ? nested : m_bound;
    bool outer = !m_binding;
    m_binding = true;
    int rc = bindStatementValues(stmt, data, KRBindLifetime::Static, holder, cached->plan);
    if (outer)
        m_binding = false;
    if (rc == SQLITE_OK)
        rc = sqlite3_step(stmt);
    // Reset at once: the statement ends its transaction part. The bound
    // values are dropped next without clearing the bindings, as the next run
    // binds every parameter again before it steps.
    sqlite3_reset(stmt);
    holder.values.clear();
    holder.texts.clear();
    return rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE;
}

std::optional<long long> KRSqlite::schemaVersionToPrepare()
{
    std::optional<long long> version = schemaVersion();
    if (version && version != m_schemaSeen) {
        // The connection reloads a schema another connection changed only
        // when a statement over it runs; a statement prepared before that
        // would find a table that is gone.
        if (CachedStatement* refresh = cachedStatement("SELECT count(*) FROM sqlite_master")) {
            sqlite3_step(refresh->stmt);
            sqlite3_reset(refresh->stmt);
        }
        m_schemaSeen = version;
    }
    return version;
}

sqlite3_stmt* KRSqlite::prepareAfterSchemaChange(const std::string& sql, long long& schemaVersion)
{
    if (!m_db)
        return nullptr;
    std::optional<long long> version = schemaVersionToPrepare();
    if (!version || *version == schemaVersion)
        return nullptr;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) != SQLITE_OK || !stmt) {
        sqlite3_finalize(stmt);
        return nullptr;
    }
    schemaVersion = *version;
    return stmt;
}

std::shared_ptr<KRSqliteCursor> KRSqlite::query(const std::string& sql, const pf::Value& data)
{
    if (!m_db)
        return nullptr;
    // Read before preparing: a schema change after this read, even one in
    // between made by another connection, makes the kept statement's
    // version differ, so a statement over a table dropped or made again is
    // never taken again and the query fails as a fresh one would.
    std::optional<long long> version = schemaVersionToPrepare();
    sqlite3_stmt* stmt = nullptr;
    if (auto kept = m_keptQueries.find(sql); kept != m_keptQueries.end()) {
        if (version && kept->second.schemaVersion == *version)
            stmt = kept->second.stmt;
        else
            sqlite3_finalize(kept->second.stmt);
        m_keptQueries.erase(kept);
    }
    if (!stmt &&
        (sqlite3_prepare_v2(m_db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) != SQLITE_OK || !stmt)) {
        sqlite3_finalize(stmt);
        return nullptr;
    }
    KRBoundValues holder;
    if (bindStatementValues(stmt, data, KRBindLifetime::Transient, holder) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return nullptr;
    }
    // Nothing is stepped here: the statement runs at the cursor's first
    // step, so a cursor never read holds no read and writes nothing.
    // Without a version the statement is never kept: -1 is no schema's.
    auto cursor = std::make_shared<KRSqliteCursor>(stmt, shared_from_this(), sql, version.value_or(-1));
    if (m_cursors.empty())
        m_cursors.reserve(4);
    m_cursors.push_back(cursor);
    return cursor;
}

bool KRSqlite::beginTransaction()
{
    return execture("begin exclusive transaction");
}

bool KRSqlite::commit()
{
    return execture("commit transaction");
}

bool KRSqlite::rollback()
{
    return execture("rollback transaction");
}

KRSqliteFileReport KRSqlite::exectureSqlFile(const std::string& path)
{
    KRSqliteFileReport report;
    if (!m_db) {
        report.failures.push_back(pf::Error{kDomain, SQLITE_MISUSE, "database is closed"});
        return report;
    }
    FILE* file = std::fopen(path.c_str(), "r");
    if (!file) {
        report.failures.push_back(pf::Error{kDomain, SQLITE_CANTOPEN, "cannot read " + path});
        return report;
    }
    beginTransaction();
    std::string line;
    line.reserve(1024);
    auto run = [&] {
        char* message = nullptr;
        int rc = sqlite3_exec(m_db, line.c_str(), nullptr, nullptr, &message);
        if (rc != SQLITE_OK) {
            report.failures.push_back(pf::Error{kDomain, rc, (message ? message : sqlite3_errstr(rc)) +
                                                                 std::string(" in: ") + line});
        }
        sqlite3_free(message);
        line.clear();
        if (++report.statements % 100 == 0) {
            commit();
            beginTransaction();
        }
    };
    // Every line runs by itself, whatever its text: a line left open (a
    // stray quote) fails alone instead of swallowing the lines after it.
    std::vector<char> piece(102400);
    std::size_t n;
    while ((n = std::fread(piece.data(), 1, piece.size(), file)) > 0) {
        for (std::size_t i = 0; i < n; ++i) {
            char c = piece[i];
            if (c != '\n' && c != '\0')
                line.push_back(c);
            else if (!line.empty())
                run();
        }
        // A line that straddles two pieces is carried over to the next.
    }
    if (std::ferror(file))
        report.failures.push_back(pf::Error{kDomain, SQLITE_IOERR, "cannot read " + path});
    if (!line.empty())
        run();
    commit();
    std::fclose(file);
    return report;
}

std::optional<KRSqlite::DataVersion> KRSqlite::dataVersion()
{
    // The pragma, not the pager's counter: only a read sees another
    // connection's commit, and the pragma reads.
    std::optional<long long> commits = pragmaInteger("PRAGMA data_version");
    if (!commits)
        return std::nullopt;
    return DataVersion{sqlite3_total_changes64(m_db), *commits};
}

long long KRSqlite::lastInsertRowid() const
{
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

int KRSqlite::errcode() const
{
    return m_db ? sqlite3_errcode(m_db) : 0;
}

std::optional<std::string> KRSqlite::errmsg() const
{
    if (!m_db)
        return std::nullopt;
    return std::string(sqlite3_errmsg(m_db));
}

void KRSqlite::removeCursor(KRSqliteCursor* cursor)
{
    for (auto it = m_cursors.begin(); it != m_cursors.end(); ++it) {
        if (it->get() == cursor) {
            // Keep the cursor alive until it has left the list.
            auto keep = *it;
            keep->clearSqlite();
            m_cursors.erase(it);
            return;
        }
    }
}

void KRSqlite::close()
{
    // Take the list first: each cursor would otherwise remove itself from it
    // while it is being walked.
    auto cursors = std::move(m_cursors);
    m_cursors.clear();
    for (auto& cursor : cursors) {
        cursor->clearSqlite();
        cursor->close();
    }
    finalizeCache();
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}
