#pragma once

// A prepared SQLite statement for the application server's newer tables:
// binds by number (a number past the statement's last parameter is ignored,
// so one set of binds serves statements that use only some of them), reads
// columns, and remembers any failure so that the caller checks once.

#include <sqlite3.h>

#include <cstdio>
#include <string>

namespace zmr {

// The column of the name a user is shown by, for the users table under
// `alias`: the nickname, else "#" and the account.
inline std::string userTitleColumn(const std::string& alias)
{
    return "COALESCE(NULLIF(" + alias + ".nick, ''), '#' || " + alias + ".account)";
}

class SqlQuery {
public:
    SqlQuery(sqlite3* db, const std::string& sql) : m_db(db)
    {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &m_stmt, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "appserver: %s: %s\n", sql.c_str(), sqlite3_errmsg(db));
            m_stmt = nullptr;
            m_failed = true;
        }
    }
    ~SqlQuery() { sqlite3_finalize(m_stmt); }
    SqlQuery(const SqlQuery&) = delete;
    SqlQuery& operator=(const SqlQuery&) = delete;

    SqlQuery& bind(int index, long long value)
    {
        if (inRange(index))
            check(sqlite3_bind_int64(m_stmt, index, value));
        return *this;
    }
    SqlQuery& bind(int index, int value) { return bind(index, static_cast<long long>(value)); }
    SqlQuery& bind(int index, double value)
    {
        if (inRange(index))
            check(sqlite3_bind_double(m_stmt, index, value));
        return *this;
    }
    SqlQuery& bind(int index, const std::string& text)
    {
        if (inRange(index))
            check(sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
        return *this;
    }
    SqlQuery& bindBlob(int index, const std::string& bytes)
    {
        if (inRange(index))
            check(sqlite3_bind_blob(m_stmt, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT));
        return *this;
    }

    // True for a row; false when done or on failure (see ok()).
    bool row()
    {
        if (m_failed || !m_stmt)
            return false;
        int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE) {
            std::fprintf(stderr, "appserver: %s\n", sqlite3_errmsg(m_db));
            m_failed = true;
        }
        return false;
    }
    // Runs a statement without rows; false on failure.
    bool run() { return !row() && ok(); }
    bool ok() const { return m_stmt && !m_failed; }

    long long integer(int column) { return sqlite3_column_int64(m_stmt, column); }
    double real(int column) { return sqlite3_column_double(m_stmt, column); }
    bool isNull(int column) { return sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }
    std::string text(int column)
    {
        const void* bytes = sqlite3_column_blob(m_stmt, column);
        int length = sqlite3_column_bytes(m_stmt, column);
        return bytes ? std::string(static_cast<const char*>(bytes), static_cast<std::size_t>(length)) : std::string();
    }

private:
    bool inRange(int index) const { return m_stmt && index <= sqlite3_bind_parameter_count(m_stmt); }
    void check(int rc)
    {
        if (rc != SQLITE_OK)
            m_failed = true;
    }

    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
    bool m_failed = false;
};

// Rolls back unless committed. A savepoint, so that it also nests inside
// a larger transaction (the seed writes the whole world in one).
class SqlTransaction {
public:
    explicit SqlTransaction(sqlite3* db) : m_db(db)
    {
        m_open = sqlite3_exec(db, "SAVEPOINT change", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~SqlTransaction()
    {
        if (m_open)
            sqlite3_exec(m_db, "ROLLBACK TO change; RELEASE change", nullptr, nullptr, nullptr);
    }
    bool commit()
    {
        if (!m_open)
            return false;
        m_open = false;
        return sqlite3_exec(m_db, "RELEASE change", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    explicit operator bool() const { return m_open; }
    SqlTransaction(const SqlTransaction&) = delete;
    SqlTransaction& operator=(const SqlTransaction&) = delete;

private:
    sqlite3* m_db;
    bool m_open = false;
};

}
