// AppStore's category, tag, follow and ledger tables.

#include "tools/appserver/AppStore.h"

#include "tools/appserver/AppSql.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zmr {

namespace {

using Query = SqlQuery;

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
    Query query(m_db, "SELECT f.tuid, u.nick, u.logo, EXISTS (SELECT 1 FROM follows b WHERE b.uid = f.tuid AND b.tuid = f.uid), " +
                          userTitleColumn("u") + " FROM follows f JOIN users u ON u.uid = f.tuid WHERE f.uid = ? ORDER BY f.rowid LIMIT ? OFFSET ?");
    query.bind(1, uid).bind(2, limit).bind(3, offset);
    while (query.row())
        out.push_back({query.integer(0), query.text(1), query.text(2), query.integer(3) != 0, query.text(4)});
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
