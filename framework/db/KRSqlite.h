#pragma once

// One SQLite database file. Statements name their parameters after key
// paths (":rowid", ":user.nick"); the values are read from a data object (a
// dictionary, an array or any object) and bound by their kind. Unnamed
// parameters read the key path "@<position>" (from 0).
//
// No locks: a database and its cursors are used by one thread or serial
// queue at a time. Failures answer false or null; errcode() and errmsg()
// tell the reason of the last failed call.
//
// Statements run by execture() are prepared once and kept for reuse until
// the database closes. Cursors handed out by query() stay in the database's
// open-cursor list until they are closed; close() closes them all. A closed
// cursor's statement is kept, reset, for the next query of the same text,
// which takes it only while the schema is the one it was prepared under.

#include "framework/db/Forward.h"
#include "framework/db/KRSqliteBinding.h"
#include "framework/db/KRSqliteDurability.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// What a run of a file of SQL did.
struct KRSqliteFileReport {
    std::size_t statements = 0;
    std::vector<pf::Error> failures; // one per failed statement, or for a file that cannot be read
};

class KRSqlite : public std::enable_shared_from_this<KRSqlite> {
public:
    // Opens the file, creating it when absent. A file that is not a
    // database, or one that cannot be written, fails with an error. A
    // file system that refuses the write-ahead log keeps a relaxed
    // database on its rollback journal, with fewer flushes.
    static pf::ErrorOr<KRSqliteRef> initWithPath(const std::string& path,
                                                 KRSqliteDurability durability = KRSqliteDurability::Full);
    ~KRSqlite();

    const std::string& path() const { return m_path; }
    bool isClosed() const { return m_db == nullptr; }

    // Runs the first statement of the text once.
    bool execture(const std::string& sql, const pf::Value& data = {});
    // The same for a text its owner never changes: a run right after a run
    // of the same text finds the statement by the text's address, without
    // comparing the text (the rows of a bulk insert).
    bool execture(const std::shared_ptr<const std::string>& sql, const pf::Value& data = {});
    // A cursor positioned before the first row; null when the statement
    // does not prepare (its table is gone, here or through another
    // connection) or the database is closed. The statement runs at the
    // cursor's first step: rows written before it are read, a write runs
    // only then, and a statement that fails there answers a cursor whose
    // next() is false.
    std::shared_ptr<KRSqliteCursor> query(const std::string& sql, const pf::Value& data = {});

    bool beginTransaction();
    bool commit();
    bool rollback();

    // Runs a file of statements, each line (ended by a line feed or a NUL)
    // by itself, in transactions of 100 lines; empty lines are skipped. A
    // failing line is reported and the run goes on.
    KRSqliteFileReport exectureSqlFile(const std::string& path);

    // A mark of the database's content: it moves with every write through
    // this connection (rolled-back ones too) and every commit of another
    // connection to the file, so two equal marks mean that what was read in
    // between still holds. Nothing for a closed database or a failed read.
    struct DataVersion {
        long long changes = 0;
        long long commits = 0;
        bool operator==(const DataVersion&) const = default;
    };
    std::optional<DataVersion> dataVersion();

    long long lastInsertRowid() const;
    int errcode() const;
    std::optional<std::string> errmsg() const;

    // Called by a cursor's close(): forgets the cursor.
    void removeCursor(KRSqliteCursor* cursor);
    // Called by a cursor's close() with its statement and the text it was
    // asked by, which the database now owns: kept for a later query() of the
    // same text while the schema keeps `schemaVersion`, the version read
    // before it was prepared; or finalized.
    void keepQueryStatement(sqlite3_stmt* stmt, std::string sql, long long schemaVersion);
    // Called by a cursor's reset(): `sql` prepared anew when the schema's
    // version is no longer `schemaVersion`, which then takes the current
    // one. Null while the schema is unchanged, or when the text no longer
    // prepares (the cursor's own statement then fails at its step).
    sqlite3_stmt* prepareAfterSchemaChange(const std::string& sql, long long& schemaVersion);
    void close();

    KRSqlite(const KRSqlite&) = delete;
    KRSqlite& operator=(const KRSqlite&) = delete;

private:
    KRSqlite() = default;
    struct CachedStatement {
        sqlite3_stmt* stmt = nullptr;
        KRBindPlan plan;
    };
    CachedStatement* cachedStatement(const std::string& sql);
    bool run(CachedStatement* cached, const pf::Value& data);
    void finalizeCache();
    // The integer a one-value pragma answers; none when closed or unreadable.
    std::optional<long long> pragmaInteger(const std::string& sql);
    // The schema's version as stored in the file; none when it cannot be read.
    std::optional<long long> schemaVersion();
    // The same, with the connection's copy of the schema brought up to it,
    // so that a statement prepared next sees that schema.
    std::optional<long long> schemaVersionToPrepare();
    struct KeptQuery {
        sqlite3_stmt* stmt = nullptr;
        long long schemaVersion = 0;
    };

    sqlite3* m_db = nullptr;
    std::vector<std::shared_ptr<KRSqliteCursor>> m_cursors;
    std::string m_path;
    std::unordered_map<std::string, CachedStatement> m_statements;
    // Statements of closed cursors by their text, each owned here until a
    // query() takes it back. A text kept again while one waits is finalized.
    std::unordered_map<std::string, KeptQuery> m_keptQueries;
    // The schema version last read to prepare by, after which the
    // connection's copy of the schema was brought up to date.
    std::optional<long long> m_schemaSeen;
    // The statement run last and its text, kept in the cache: a run of the
    // same statement again (the rows of a bulk insert) is found without
    // hashing its text.
    const std::string* m_lastSql = nullptr;
    CachedStatement* m_last = nullptr;
    // The shared text m_last was last run by, held so that its address
    // names no other text while it is here.
    std::shared_ptr<const std::string> m_lastText;
    // Reused by execture() for what it binds, so that a run allocates
    // nothing of its own; a run nested in a property getter makes its own.
    KRBoundValues m_bound;
    bool m_binding = false;
};
