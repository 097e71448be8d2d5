#include "tools/appserver/AppStore.h"

#include "tools/appserver/AppSql.h"
#include "framework/util/KRMD5String.h"

#include <sqlite3.h>

#include <cstdio>
#include <random>

namespace zmr {

namespace {

// A prepared statement that finalizes itself.
class Statement {
public:
    Statement(sqlite3* db, const char* sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "appserver: %s: %s\n", sql, sqlite3_errmsg(db));
            m_stmt = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    explicit operator bool() const { return m_stmt != nullptr; }
    bool bind(int index, const std::string& text)
    {
        return m_stmt && sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) == SQLITE_OK;
    }
    bool bind(int index, long long value) { return m_stmt && sqlite3_bind_int64(m_stmt, index, value) == SQLITE_OK; }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return m_stmt ? sqlite3_step(m_stmt) : SQLITE_MISUSE; }
    long long integer(int column) { return sqlite3_column_int64(m_stmt, column); }
    std::optional<std::string> text(int column)
    {
        const unsigned char* bytes = sqlite3_column_text(m_stmt, column);
        if (!bytes)
            return std::nullopt;
        return std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column)));
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

std::string randomHex(std::size_t bytes)
{
    static std::mutex mutex; // guards the generator
    static std::random_device device;
    std::lock_guard lock(mutex);
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < bytes; ++i) {
        unsigned v = device() & 0xff;
        out += digits[v >> 4];
        out += digits[v & 15];
    }
    return out;
}

// Passwords are kept salted and digested, never as sent.
std::string digestPassword(const std::string& salt, const std::string& password)
{
    return krMD5String(salt + ":" + password);
}

}

std::optional<std::string> AppStore::open(const std::string& path, std::unique_ptr<AppStore>& out)
{
    std::unique_ptr<AppStore> store(new AppStore);
    if (sqlite3_open_v2(path.c_str(), &store->m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr) != SQLITE_OK) {
        std::string error = store->m_db ? sqlite3_errmsg(store->m_db) : "out of memory";
        return path + ": " + error;
    }
    // A file from before the world's tables is started afresh: it only held
    // what a seed or a test run made.
    if (!store->exec("PRAGMA journal_mode=WAL") || !store->resetOlderSchema())
        return std::string("cannot prepare the database: ") + sqlite3_errmsg(store->m_db);
    const char* schema[] = {
        "CREATE TABLE IF NOT EXISTS users (uid INTEGER PRIMARY KEY AUTOINCREMENT, account TEXT UNIQUE, salt TEXT,"
        " password TEXT, nick TEXT UNIQUE, voxly TEXT UNIQUE, zz TEXT UNIQUE, logo TEXT NOT NULL DEFAULT '',"
        " latitude REAL NOT NULL DEFAULT 0, longitude REAL NOT NULL DEFAULT 0, points INTEGER NOT NULL DEFAULT 0,"
        " age INTEGER NOT NULL DEFAULT 0, constellation TEXT NOT NULL DEFAULT '', job TEXT NOT NULL DEFAULT '',"
        " city TEXT NOT NULL DEFAULT '')",
        "CREATE TABLE IF NOT EXISTS tokens (token TEXT PRIMARY KEY, uid INTEGER NOT NULL)",
        "CREATE TABLE IF NOT EXISTS devices (did INTEGER PRIMARY KEY AUTOINCREMENT, uniq TEXT UNIQUE, description TEXT)",
        "CREATE TABLE IF NOT EXISTS items (list TEXT NOT NULL, position INTEGER NOT NULL, json TEXT NOT NULL,"
        " PRIMARY KEY (list, position))",
        // Start user ids high enough to be told apart from small counters.
        "INSERT INTO sqlite_sequence (name, seq) SELECT 'users', 10000 WHERE NOT EXISTS"
        " (SELECT 1 FROM sqlite_sequence WHERE name = 'users')",
    };
    for (const char* sql : schema) {
        if (!store->exec(sql))
            return std::string("cannot create the tables: ") + sqlite3_errmsg(store->m_db);
    }
    if (!store->openPersonColumns())
        return std::string("cannot prepare the users table: ") + sqlite3_errmsg(store->m_db);
    if (auto error = store->openDataTables())
        return error;
    if (!store->openSocial() || !store->openWorld() || !store->exec("PRAGMA user_version = 2"))
        return std::string("cannot create the tables: ") + sqlite3_errmsg(store->m_db);
    out = std::move(store);
    return std::nullopt;
}

bool AppStore::resetOlderSchema()
{
    int version = 0;
    {
        Statement select(m_db, "PRAGMA user_version");
        if (select.step() != SQLITE_ROW)
            return false;
        version = static_cast<int>(select.integer(0));
    }
    if (version >= 2)
        return true;
    for (const char* table : {"users", "tokens", "devices", "items", "categories", "tags", "follows", "follow_versions", "books",
                              "points", "exchanges", "likes", "comments", "posts", "images", "profiles", "post_images", "prizes", "demo_books"}) {
        if (!exec((std::string("DROP TABLE IF EXISTS ") + table).c_str()))
            return false;
    }
    // Dropping a table also drops its id counter.
    return true;
}

AppStore::~AppStore()
{
    sqlite3_close_v2(m_db);
}

bool AppStore::exec(const char* sql)
{
    char* message = nullptr;
    int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &message);
    if (rc != SQLITE_OK)
        std::fprintf(stderr, "appserver: %s: %s\n", sql, message ? message : "?");
    sqlite3_free(message);
    return rc == SQLITE_OK;
}

AppStore::Outcome AppStore::addUser(const std::string& account, const std::string& password, const std::string& nick, AppUser& out)
{
    std::lock_guard lock(m_mutex);
    if (userWhere("account", account))
        return Outcome::AccountTaken;
    if (userWhere("nick", nick))
        return Outcome::NickTaken;
    std::string salt = randomHex(8);
    Statement insert(m_db, "INSERT INTO users (account, salt, password, nick) VALUES (?, ?, ?, ?)");
    if (!insert.bind(1, account) || !insert.bind(2, salt) || !insert.bind(3, digestPassword(salt, password)) ||
        !insert.bind(4, nick) || insert.step() != SQLITE_DONE)
        return Outcome::Failed;
    auto made = userByUid(sqlite3_last_insert_rowid(m_db));
    if (!made)
        return Outcome::Failed;
    out = *made;
    return Outcome::Ok;
}

bool AppStore::addUserWithId(long long uid, const std::string& account, const std::string& password, const std::string& nick)
{
    std::lock_guard lock(m_mutex);
    std::string salt = randomHex(8);
    Statement insert(m_db, "INSERT INTO users (uid, account, salt, password, nick) VALUES (?, ?, ?, ?, ?)");
    return insert.bind(1, uid) && insert.bind(2, account) && insert.bind(3, salt) && insert.bind(4, digestPassword(salt, password)) &&
           insert.bind(5, nick) && insert.step() == SQLITE_DONE;
}

bool AppStore::setUserLook(long long uid, const std::string& logo, double latitude, double longitude)
{
    std::lock_guard lock(m_mutex);
    SqlQuery update(m_db, "UPDATE users SET logo = ?, latitude = ?, longitude = ? WHERE uid = ?");
    return update.bind(1, logo).bind(2, latitude).bind(3, longitude).bind(4, uid).run() && sqlite3_changes(m_db) == 1;
}

std::optional<AppUser> AppStore::userWhere(const char* column, const std::string& value)
{
    std::string sql = std::string("SELECT uid FROM users WHERE ") + column + " = ?";
    Statement select(m_db, sql.c_str());
    if (!select.bind(1, value) || select.step() != SQLITE_ROW)
        return std::nullopt;
    return userByUid(select.integer(0));
}

std::optional<AppUser> AppStore::userByUid(long long uid)
{
    Statement select(m_db, "SELECT uid, account, nick, voxly, zz FROM users WHERE uid = ?");
    if (!select.bind(1, uid) || select.step() != SQLITE_ROW)
        return std::nullopt;
    AppUser user;
    user.uid = select.integer(0);
    user.account = select.text(1).value_or("");
    user.nick = select.text(2).value_or("");
    user.voxlyToken = select.text(3);
    user.zzToken = select.text(4);
    return user;
}

std::optional<AppUser> AppStore::checkPassword(const std::string& account, const std::string& password)
{
    std::lock_guard lock(m_mutex);
    Statement select(m_db, "SELECT uid, salt, password FROM users WHERE account = ?");
    if (!select.bind(1, account) || select.step() != SQLITE_ROW)
        return std::nullopt;
    auto salt = select.text(1);
    auto stored = select.text(2);
    if (!salt || !stored || digestPassword(*salt, password) != *stored)
        return std::nullopt;
    return userByUid(select.integer(0));
}

std::optional<AppUser> AppStore::user(long long uid)
{
    std::lock_guard lock(m_mutex);
    return userByUid(uid);
}

bool AppStore::openPersonColumns()
{
    bool present = false;
    {
        SqlQuery columns(m_db, "PRAGMA table_info(users)");
        while (columns.row())
            present = present || columns.text(1) == "zz_person";
        if (!columns.ok())
            return false;
    }
    // A file of the same layout from before keeps its rows: their token
    // columns are matched once, when the person behind the token comes.
    if (!present && (!exec("ALTER TABLE users ADD COLUMN voxly_person TEXT") || !exec("ALTER TABLE users ADD COLUMN zz_person TEXT")))
        return false;
    return exec("CREATE UNIQUE INDEX IF NOT EXISTS users_voxly_person ON users (voxly_person)") &&
           exec("CREATE UNIQUE INDEX IF NOT EXISTS users_zz_person ON users (zz_person)");
}

std::optional<long long> AppStore::externalHolder(const std::string& kind, const std::string& person, const std::string& token)
{
    SqlQuery holder(m_db, "SELECT uid FROM users WHERE " + kind + "_person = ?");
    if (holder.bind(1, person).row())
        return holder.integer(0);
    SqlQuery legacy(m_db, "SELECT uid FROM users WHERE " + kind + " = ? AND " + kind + "_person IS NULL");
    if (legacy.bind(1, token).row())
        return legacy.integer(0);
    return std::nullopt;
}

bool AppStore::holdExternal(long long uid, const std::string& kind, const std::string& person, const std::string& token)
{
    SqlQuery keep(m_db, "UPDATE users SET " + kind + "_person = ? WHERE uid = ?");
    if (!keep.bind(1, person).bind(2, uid).run())
        return false;
    // The token only says which was the last; a row from before persons
    // were kept may still hold it (the same person's, signed in by another
    // road), and keeps it.
    SqlQuery last(m_db, "UPDATE OR IGNORE users SET " + kind + " = ? WHERE uid = ?");
    return last.bind(1, token).bind(2, uid).run();
}

std::optional<AppUser> AppStore::userForExternalPerson(const std::string& kind, const std::string& person, const std::string& token)
{
    if ((kind != "voxly" && kind != "zz") || person.empty())
        return std::nullopt;
    std::lock_guard lock(m_mutex);
    SqlTransaction transaction(m_db);
    if (!transaction)
        return std::nullopt;
    auto uid = externalHolder(kind, person, token);
    if (!uid) {
        // No nickname yet (NULL: the unique column takes any number of those,
        // but only one ""), so the application asks for one after the sign-in.
        SqlQuery insert(m_db, "INSERT INTO users (account, nick) VALUES (?, NULL)");
        if (!insert.bind(1, kind + "_" + randomHex(4)).run())
            return std::nullopt;
        uid = sqlite3_last_insert_rowid(m_db);
    }
    if (!holdExternal(*uid, kind, person, token) || !transaction.commit())
        return std::nullopt;
    return userByUid(*uid);
}

AppStore::BindOutcome AppStore::bindExternalPerson(long long uid, const std::string& kind, const std::string& person,
                                                   const std::string& token)
{
    if ((kind != "voxly" && kind != "zz") || person.empty())
        return BindOutcome::Failed;
    std::lock_guard lock(m_mutex);
    SqlTransaction transaction(m_db);
    if (!transaction || !userByUid(uid))
        return BindOutcome::Failed;
    if (auto holder = externalHolder(kind, person, token); holder && *holder != uid)
        return BindOutcome::HeldByAnother;
    return holdExternal(uid, kind, person, token) && transaction.commit() ? BindOutcome::Ok : BindOutcome::Failed;
}

std::optional<std::string> AppStore::issueToken(long long uid)
{
    std::lock_guard lock(m_mutex);
    std::string token = randomHex(16);
    Statement insert(m_db, "INSERT INTO tokens (token, uid) VALUES (?, ?)");
    if (!insert.bind(1, token) || !insert.bind(2, uid) || insert.step() != SQLITE_DONE)
        return std::nullopt;
    return token;
}

std::optional<long long> AppStore::tokenOwner(const std::string& token)
{
    std::lock_guard lock(m_mutex);
    Statement select(m_db, "SELECT uid FROM tokens WHERE token = ?");
    if (!select.bind(1, token) || select.step() != SQLITE_ROW)
        return std::nullopt;
    return select.integer(0);
}

void AppStore::revokeToken(const std::string& token)
{
    std::lock_guard lock(m_mutex);
    Statement remove(m_db, "DELETE FROM tokens WHERE token = ?");
    if (!remove.bind(1, token) || remove.step() != SQLITE_DONE)
        std::fprintf(stderr, "appserver: cannot revoke a token: %s\n", sqlite3_errmsg(m_db));
}

std::optional<long long> AppStore::deviceFor(const std::string& unique, const std::string& description)
{
    std::lock_guard lock(m_mutex);
    Statement insert(m_db, "INSERT OR IGNORE INTO devices (uniq, description) VALUES (?, ?)");
    if (!insert.bind(1, unique) || !insert.bind(2, description) || insert.step() != SQLITE_DONE)
        return std::nullopt;
    Statement select(m_db, "SELECT did FROM devices WHERE uniq = ?");
    if (!select.bind(1, unique) || select.step() != SQLITE_ROW)
        return std::nullopt;
    return select.integer(0);
}

void AppStore::addListItem(const std::string& list, const std::string& json)
{
    std::lock_guard lock(m_mutex);
    Statement insert(m_db, "INSERT INTO items (list, position, json) VALUES (?1,"
                           " (SELECT COUNT(*) FROM items WHERE list = ?1), ?2)");
    if (!insert.bind(1, list) || !insert.bind(2, json) || insert.step() != SQLITE_DONE)
        std::fprintf(stderr, "appserver: cannot add to %s: %s\n", list.c_str(), sqlite3_errmsg(m_db));
}

std::size_t AppStore::listCount(const std::string& list)
{
    std::lock_guard lock(m_mutex);
    Statement select(m_db, "SELECT COUNT(*) FROM items WHERE list = ?");
    if (!select.bind(1, list) || select.step() != SQLITE_ROW)
        return 0;
    return static_cast<std::size_t>(select.integer(0));
}

std::vector<std::string> AppStore::listPage(const std::string& list, std::size_t offset, std::size_t limit)
{
    std::lock_guard lock(m_mutex);
    std::vector<std::string> page;
    Statement select(m_db, "SELECT json FROM items WHERE list = ? AND position >= ? AND position < ? ORDER BY position");
    if (!select.bind(1, list) || !select.bind(2, static_cast<long long>(offset)) ||
        !select.bind(3, static_cast<long long>(offset + limit)))
        return page;
    while (select.step() == SQLITE_ROW)
        page.push_back(select.text(0).value_or("null"));
    return page;
}

}
