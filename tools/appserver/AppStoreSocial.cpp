#include "tools/appserver/AppStore.h"

#include <sqlite3.h>

#include <cstdio>

namespace zmr {

namespace {

// A prepared statement that finalizes itself; texts and blobs are copied.
class Query {
public:
    Query(sqlite3* db, const char* sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "appserver: %s: %s\n", sql, sqlite3_errmsg(db));
            m_stmt = nullptr;
        }
    }
    ~Query() { sqlite3_finalize(m_stmt); }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    Query& text(const std::string& value)
    {
        m_ok = m_ok && m_stmt &&
               sqlite3_bind_text(m_stmt, ++m_index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT) == SQLITE_OK;
        return *this;
    }
    Query& blob(const std::string& value)
    {
        m_ok = m_ok && m_stmt &&
               sqlite3_bind_blob(m_stmt, ++m_index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT) == SQLITE_OK;
        return *this;
    }
    Query& integer(long long value)
    {
        m_ok = m_ok && m_stmt && sqlite3_bind_int64(m_stmt, ++m_index, value) == SQLITE_OK;
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return m_ok && m_stmt ? sqlite3_step(m_stmt) : SQLITE_MISUSE; }
    bool done() { return step() == SQLITE_DONE; }
    long long columnInteger(int column) { return sqlite3_column_int64(m_stmt, column); }
    std::string columnBytes(int column)
    {
        const void* bytes = sqlite3_column_blob(m_stmt, column);
        int length = sqlite3_column_bytes(m_stmt, column);
        return bytes ? std::string(static_cast<const char*>(bytes), static_cast<std::size_t>(length)) : std::string();
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
    int m_index = 0;
    bool m_ok = true;
};

// Rolls back unless committed.
class Transaction {
public:
    explicit Transaction(sqlite3* db) : m_db(db) { m_open = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK; }
    ~Transaction()
    {
        if (m_open)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    bool commit()
    {
        if (!m_open)
            return false;
        m_open = false;
        return sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    explicit operator bool() const { return m_open; }

private:
    sqlite3* m_db;
    bool m_open = false;
};

long long balanceOf(sqlite3* db, long long uid)
{
    Query select(db, "SELECT balance FROM points WHERE uid = ?");
    select.integer(uid);
    return select.step() == SQLITE_ROW ? select.columnInteger(0) : 0;
}

bool addToBalance(sqlite3* db, long long uid, long long delta)
{
    Query upsert(db, "INSERT INTO points (uid, balance) VALUES (?, ?) ON CONFLICT(uid) DO UPDATE SET balance = balance + excluded.balance");
    return upsert.integer(uid).integer(delta).done();
}

}

bool AppStore::openSocial()
{
    const char* schema[] = {
        "CREATE TABLE IF NOT EXISTS points (uid INTEGER PRIMARY KEY, balance INTEGER NOT NULL)",
        "CREATE TABLE IF NOT EXISTS exchanges (uid INTEGER NOT NULL, productId INTEGER NOT NULL, delivery TEXT,"
        " PRIMARY KEY (uid, productId))",
        "CREATE TABLE IF NOT EXISTS likes (uid INTEGER NOT NULL, pid INTEGER NOT NULL, PRIMARY KEY (uid, pid))",
        "CREATE TABLE IF NOT EXISTS comments (cid INTEGER PRIMARY KEY AUTOINCREMENT, uid INTEGER NOT NULL,"
        " pid INTEGER NOT NULL, parent INTEGER NOT NULL, body TEXT NOT NULL)",
        "CREATE TABLE IF NOT EXISTS posts (pid INTEGER PRIMARY KEY AUTOINCREMENT, uid INTEGER NOT NULL, json TEXT NOT NULL)",
        "CREATE TABLE IF NOT EXISTS images (id INTEGER PRIMARY KEY AUTOINCREMENT, bytes BLOB NOT NULL, contentType TEXT NOT NULL)",
        "CREATE TABLE IF NOT EXISTS profiles (uid INTEGER PRIMARY KEY, json TEXT NOT NULL)",
        // Posts made here follow the seeded feed's ids.
        "INSERT INTO sqlite_sequence (name, seq) SELECT 'posts', 1000 WHERE NOT EXISTS"
        " (SELECT 1 FROM sqlite_sequence WHERE name = 'posts')",
    };
    for (const char* sql : schema) {
        if (!exec(sql))
            return false;
    }
    return true;
}

long long AppStore::points(long long uid)
{
    std::lock_guard lock(m_mutex);
    return balanceOf(m_db, uid);
}

AppStore::PrizeOutcome AppStore::exchangePrize(long long uid, long long productId, const std::string& delivery, long long& balance)
{
    std::lock_guard lock(m_mutex);
    Transaction transaction(m_db);
    if (!transaction)
        return PrizeOutcome::Failed;
    long long cost = 0;
    {
        Query prize(m_db, "SELECT json_extract(json, '$.integral') FROM items WHERE list = 'ZMRPrizeListTask'"
                          " AND json_extract(json, '$.productId') = ?");
        prize.integer(productId);
        if (prize.step() != SQLITE_ROW)
            return PrizeOutcome::Unknown;
        cost = prize.columnInteger(0);
    }
    {
        Query exchanged(m_db, "SELECT 1 FROM exchanges WHERE uid = ? AND productId = ?");
        exchanged.integer(uid).integer(productId);
        if (exchanged.step() == SQLITE_ROW)
            return PrizeOutcome::AlreadyExchanged;
    }
    if (balanceOf(m_db, uid) < cost)
        return PrizeOutcome::NotEnoughPoints;
    {
        Query insert(m_db, "INSERT INTO exchanges (uid, productId, delivery) VALUES (?, ?, ?)");
        if (!insert.integer(uid).integer(productId).text(delivery).done() || !addToBalance(m_db, uid, -cost))
            return PrizeOutcome::Failed;
    }
    balance = balanceOf(m_db, uid);
    return transaction.commit() ? PrizeOutcome::Ok : PrizeOutcome::Failed;
}

std::optional<long long> AppStore::setLike(long long uid, long long pid, bool liked)
{
    std::lock_guard lock(m_mutex);
    Query change(m_db, liked ? "INSERT OR IGNORE INTO likes (uid, pid) VALUES (?, ?)" : "DELETE FROM likes WHERE uid = ? AND pid = ?");
    if (!change.integer(uid).integer(pid).done())
        return std::nullopt;
    Query count(m_db, "SELECT COUNT(*) FROM likes WHERE pid = ?");
    count.integer(pid);
    if (count.step() != SQLITE_ROW)
        return std::nullopt;
    return count.columnInteger(0);
}

std::optional<std::pair<long long, long long>> AppStore::addComment(long long uid, long long pid, long long parentCid,
                                                                   const std::string& body)
{
    std::lock_guard lock(m_mutex);
    if (parentCid != 0) {
        Query parent(m_db, "SELECT pid FROM comments WHERE cid = ?");
        parent.integer(parentCid);
        if (parent.step() != SQLITE_ROW)
            return std::nullopt;
        pid = parent.columnInteger(0);
    }
    Query insert(m_db, "INSERT INTO comments (uid, pid, parent, body) VALUES (?, ?, ?, ?)");
    if (!insert.integer(uid).integer(pid).integer(parentCid).text(body).done())
        return std::nullopt;
    return std::make_pair(static_cast<long long>(sqlite3_last_insert_rowid(m_db)), pid);
}

std::optional<long long> AppStore::addPost(long long uid, const std::string& json, long long award)
{
    std::lock_guard lock(m_mutex);
    Transaction transaction(m_db);
    if (!transaction)
        return std::nullopt;
    {
        Query insert(m_db, "INSERT INTO posts (uid, json) VALUES (?, json(?))");
        if (!insert.integer(uid).text(json).done())
            return std::nullopt;
    }
    long long pid = sqlite3_last_insert_rowid(m_db);
    if (!addToBalance(m_db, uid, award) || !transaction.commit())
        return std::nullopt;
    return pid;
}

std::optional<long long> AppStore::addImage(const std::string& bytes, const std::string& contentType)
{
    std::lock_guard lock(m_mutex);
    Query insert(m_db, "INSERT INTO images (bytes, contentType) VALUES (?, ?)");
    if (!insert.blob(bytes).text(contentType).done())
        return std::nullopt;
    return sqlite3_last_insert_rowid(m_db);
}

std::optional<std::pair<std::string, std::string>> AppStore::image(long long id)
{
    std::lock_guard lock(m_mutex);
    Query select(m_db, "SELECT bytes, contentType FROM images WHERE id = ?");
    select.integer(id);
    if (select.step() != SQLITE_ROW)
        return std::nullopt;
    return std::make_pair(select.columnBytes(0), select.columnBytes(1));
}

AppStore::Outcome AppStore::updateProfile(long long uid, const std::string& nick, const std::string& profileJson, AppUser& out)
{
    std::lock_guard lock(m_mutex);
    {
        Query taken(m_db, "SELECT 1 FROM users WHERE nick = ? AND uid <> ?");
        taken.text(nick).integer(uid);
        if (taken.step() == SQLITE_ROW)
            return Outcome::NickTaken;
    }
    Transaction transaction(m_db);
    if (!transaction)
        return Outcome::Failed;
    {
        Query rename(m_db, "UPDATE users SET nick = ? WHERE uid = ?");
        Query store(m_db, "INSERT INTO profiles (uid, json) VALUES (?, ?) ON CONFLICT(uid) DO UPDATE SET json = excluded.json");
        if (!rename.text(nick).integer(uid).done() || sqlite3_changes(m_db) != 1 || !store.integer(uid).text(profileJson).done())
            return Outcome::Failed;
    }
    if (!transaction.commit())
        return Outcome::Failed;
    auto user = userByUid(uid);
    if (!user)
        return Outcome::Failed;
    out = *user;
    return Outcome::Ok;
}

}
