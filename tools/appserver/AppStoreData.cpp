// AppStore's category, tag, follow and ledger tables.

#include "tools/appserver/AppStore.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zmr {

namespace {

// A prepared statement that finalizes itself; failures are reported on
// standard error where they happen.
class Query {
public:
    Query(sqlite3* db, const char* sql) : m_db(db)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "appserver: %s: %s\n", sql, sqlite3_errmsg(db));
            m_stmt = nullptr;
        }
    }
    ~Query() { sqlite3_finalize(m_stmt); }
    Query& bind(int index, long long value)
    {
        if (m_stmt && sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK)
            fail();
        return *this;
    }
    Query& bind(int index, double value)
    {
        if (m_stmt && sqlite3_bind_double(m_stmt, index, value) != SQLITE_OK)
            fail();
        return *this;
    }
    Query& bind(int index, const std::string& text)
    {
        if (m_stmt && sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) != SQLITE_OK)
            fail();
        return *this;
    }
    // True for a row; false when done or on failure (see ok()).
    bool row()
    {
        if (!m_stmt)
            return false;
        int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE) {
            std::fprintf(stderr, "appserver: %s\n", sqlite3_errmsg(m_db));
            fail();
        }
        return false;
    }
    // Runs a statement without rows.
    bool run() { return !row() && ok(); }
    bool ok() const { return m_stmt && !m_failed; }
    long long integer(int column) { return sqlite3_column_int64(m_stmt, column); }
    double real(int column) { return sqlite3_column_double(m_stmt, column); }
    std::string text(int column)
    {
        const unsigned char* bytes = sqlite3_column_text(m_stmt, column);
        return bytes ? std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column)))
                     : std::string();
    }

private:
    void fail() { m_failed = true; }
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
    bool m_failed = false;
};

std::string joinIds(const std::vector<long long>& ids)
{
    std::string out;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (i)
            out += ',';
        out += std::to_string(ids[i]);
    }
    return out;
}

std::vector<long long> splitIds(const std::string& text)
{
    // Written by joinIds only: decimal ids joined by ",".
    std::vector<long long> ids;
    const char* at = text.c_str();
    while (*at) {
        char* end = nullptr;
        ids.push_back(std::strtoll(at, &end, 10));
        at = *end == ',' ? end + 1 : end + std::strlen(end);
    }
    return ids;
}

long long milliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

}

std::optional<std::string> AppStore::openDataTables()
{
    const char* schema[] = {
        "CREATE TABLE IF NOT EXISTS categories (cid INTEGER PRIMARY KEY, title TEXT NOT NULL)",
        "CREATE TABLE IF NOT EXISTS tags (tid INTEGER PRIMARY KEY, tag TEXT UNIQUE NOT NULL, weight INTEGER NOT NULL)",
        "CREATE TABLE IF NOT EXISTS follows (uid INTEGER NOT NULL, tuid INTEGER NOT NULL, PRIMARY KEY (uid, tuid))",
        "CREATE TABLE IF NOT EXISTS follow_versions (uid INTEGER PRIMARY KEY, version INTEGER NOT NULL)",
        "CREATE TABLE IF NOT EXISTS books (bid INTEGER PRIMARY KEY AUTOINCREMENT, uid INTEGER NOT NULL, payMoney REAL,"
        " expendMoney REAL, latitude REAL, longitude REAL, title TEXT, address TEXT, remark TEXT, cids TEXT,"
        " createTime INTEGER NOT NULL)",
        "CREATE INDEX IF NOT EXISTS books_time ON books (uid, createTime)",
        "INSERT OR IGNORE INTO categories (cid, title) VALUES (1, '餐饮'), (2, '服饰'), (3, '数码'), (4, '家居'),"
        " (5, '美妆'), (6, '出行'), (7, '母婴'), (8, '运动')",
        "INSERT OR IGNORE INTO tags (tid, tag, weight) VALUES (1, '打折', 90), (2, '包邮', 80), (3, '限时', 75),"
        " (4, '新品', 70), (5, '满减', 65), (6, '团购', 60), (7, '秒杀', 55), (8, '清仓', 50), (9, '会员', 45),"
        " (10, '返现', 40), (11, '积分', 30), (12, '赠品', 20)",
    };
    for (const char* sql : schema) {
        if (!exec(sql))
            return std::string("cannot create the data tables: ") + sqlite3_errmsg(m_db);
    }
    return std::nullopt;
}

std::vector<AppCategory> AppStore::categories()
{
    std::lock_guard lock(m_mutex);
    std::vector<AppCategory> out;
    Query query(m_db, "SELECT cid, title FROM categories ORDER BY cid");
    while (query.row())
        out.push_back({query.integer(0), query.text(1)});
    return out;
}

std::vector<AppTag> AppStore::topTags(long long limit)
{
    std::lock_guard lock(m_mutex);
    std::vector<AppTag> out;
    Query query(m_db, "SELECT tid, tag FROM tags ORDER BY weight DESC, tid LIMIT ?");
    query.bind(1, limit);
    while (query.row())
        out.push_back({query.integer(0), query.text(1)});
    return out;
}

bool AppStore::setFollowing(long long uid, long long tuid, bool following)
{
    std::lock_guard lock(m_mutex);
    Query change(m_db, following ? "INSERT OR IGNORE INTO follows (uid, tuid) VALUES (?, ?)"
                                 : "DELETE FROM follows WHERE uid = ? AND tuid = ?");
    if (!change.bind(1, uid).bind(2, tuid).run())
        return false;
    if (sqlite3_changes(m_db) == 0)
        return true;
    // A new version on every change; milliseconds, so that it never repeats
    // an older one after a restart.
    Query version(m_db, "INSERT INTO follow_versions (uid, version) VALUES (?1, ?2) ON CONFLICT (uid) DO UPDATE SET"
                        " version = MAX(version + 1, ?2)");
    return version.bind(1, uid).bind(2, milliseconds()).run();
}

long long AppStore::followVersion(long long uid)
{
    std::lock_guard lock(m_mutex);
    Query query(m_db, "SELECT version FROM follow_versions WHERE uid = ?");
    query.bind(1, uid);
    return query.row() ? query.integer(0) : 0;
}

std::vector<AppFollow> AppStore::follows(long long uid, long long offset, long long limit)
{
    std::lock_guard lock(m_mutex);
    std::vector<AppFollow> out;
    Query query(m_db, "SELECT f.tuid, u.nick, u.logo, EXISTS (SELECT 1 FROM follows b WHERE b.uid = f.tuid AND b.tuid = f.uid)"
                      " FROM follows f JOIN users u ON u.uid = f.tuid WHERE f.uid = ? ORDER BY f.rowid LIMIT ? OFFSET ?");
    query.bind(1, uid).bind(2, limit).bind(3, offset);
    while (query.row())
        out.push_back({query.integer(0), query.text(1), query.text(2), query.integer(3) != 0});
    return out;
}

std::optional<AppBook> AppStore::addBook(const AppBook& book)
{
    std::lock_guard lock(m_mutex);
    Query insert(m_db, "INSERT INTO books (uid, payMoney, expendMoney, latitude, longitude, title, address, remark, cids,"
                       " createTime) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    insert.bind(1, book.uid).bind(2, book.payMoney).bind(3, book.expendMoney).bind(4, book.latitude).bind(5, book.longitude);
    insert.bind(6, book.title).bind(7, book.address).bind(8, book.remark).bind(9, joinIds(book.cids)).bind(10, book.createTime);
    if (!insert.run())
        return std::nullopt;
    AppBook added = book;
    added.bid = sqlite3_last_insert_rowid(m_db);
    return added;
}

std::vector<AppBook> AppStore::books(long long uid, long long start, long long end)
{
    std::lock_guard lock(m_mutex);
    std::vector<AppBook> out;
    Query query(m_db, "SELECT bid, payMoney, expendMoney, latitude, longitude, title, address, remark, cids, createTime"
                      " FROM books WHERE uid = ? AND createTime >= ? AND createTime <= ? ORDER BY createTime, bid");
    query.bind(1, uid).bind(2, start).bind(3, end);
    while (query.row()) {
        AppBook book;
        book.bid = query.integer(0);
        book.uid = uid;
        book.payMoney = query.real(1);
        book.expendMoney = query.real(2);
        book.latitude = query.real(3);
        book.longitude = query.real(4);
        book.title = query.text(5);
        book.address = query.text(6);
        book.remark = query.text(7);
        book.cids = splitIds(query.text(8));
        book.createTime = query.integer(9);
        out.push_back(std::move(book));
    }
    return out;
}

}
