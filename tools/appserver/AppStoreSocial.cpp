// AppStore's points, prizes, likes, comments, posts, pictures and profiles.

#include "tools/appserver/AppStore.h"

#include "tools/appserver/AppJson.h"
#include "tools/appserver/AppPictures.h"
#include "tools/appserver/AppSql.h"

#include <chrono>
#include <cstdio>

namespace zmr {

namespace {

long long secondsNow()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

long long balanceOf(sqlite3* db, long long uid)
{
    SqlQuery select(db, "SELECT points FROM users WHERE uid = ?");
    select.bind(1, uid);
    return select.row() ? select.integer(0) : 0;
}

bool addToBalance(sqlite3* db, long long uid, long long delta)
{
    SqlQuery update(db, "UPDATE users SET points = points + ? WHERE uid = ?");
    return update.bind(1, delta).bind(2, uid).run() && sqlite3_changes(db) == 1;
}

std::string jsonIds(const std::vector<long long>& ids)
{
    std::string out = "[";
    for (std::size_t i = 0; i < ids.size(); ++i)
        out += (i ? "," : "") + std::to_string(ids[i]);
    return out + "]";
}

std::string jsonTexts(const std::vector<std::string>& texts)
{
    std::string out = "[";
    for (std::size_t i = 0; i < texts.size(); ++i)
        out += (i ? "," : "") + quote(texts[i]);
    return out + "]";
}

}

bool AppStore::openSocial()
{
    const char* schema[] = {
        "CREATE TABLE IF NOT EXISTS prizes (pid INTEGER PRIMARY KEY AUTOINCREMENT, title TEXT NOT NULL, body TEXT NOT NULL,"
        " price INTEGER NOT NULL, count INTEGER NOT NULL CHECK (count >= 0), publishCount INTEGER NOT NULL,"
        " saleTime INTEGER NOT NULL, endTime INTEGER NOT NULL, picture TEXT NOT NULL)",
        "CREATE TABLE IF NOT EXISTS exchanges (uid INTEGER NOT NULL, productId INTEGER NOT NULL, delivery TEXT,"
        " createTime INTEGER NOT NULL, PRIMARY KEY (uid, productId))",
        "CREATE TABLE IF NOT EXISTS likes (uid INTEGER NOT NULL, pid INTEGER NOT NULL, createTime INTEGER NOT NULL,"
        " PRIMARY KEY (uid, pid))",
        "CREATE TABLE IF NOT EXISTS comments (cid INTEGER PRIMARY KEY AUTOINCREMENT, uid INTEGER NOT NULL,"
        " pid INTEGER NOT NULL, parent INTEGER NOT NULL, body TEXT NOT NULL, createTime INTEGER NOT NULL)",
        "CREATE INDEX IF NOT EXISTS comments_post ON comments (pid, cid)",
        "CREATE TABLE IF NOT EXISTS posts (pid INTEGER PRIMARY KEY AUTOINCREMENT, uid INTEGER NOT NULL, body TEXT NOT NULL,"
        " shopTitle TEXT NOT NULL, shopAddress TEXT NOT NULL, payMoney REAL NOT NULL, expendMoney REAL NOT NULL,"
        " cids TEXT NOT NULL, tags TEXT NOT NULL, createTime INTEGER NOT NULL, latitude REAL NOT NULL,"
        " longitude REAL NOT NULL)",
        "CREATE INDEX IF NOT EXISTS posts_time ON posts (createTime, pid)",
        "CREATE TABLE IF NOT EXISTS post_images (pid INTEGER NOT NULL, position INTEGER NOT NULL, uri TEXT NOT NULL,"
        " width REAL NOT NULL, height REAL NOT NULL, PRIMARY KEY (pid, position))",
        // Uploaded pictures hold their bytes; generated ones their recipe
        // until first asked for.
        "CREATE TABLE IF NOT EXISTS images (id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT UNIQUE, bytes BLOB,"
        " contentType TEXT NOT NULL, recipe TEXT)",
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

bool AppStore::addPoints(long long uid, long long points)
{
    std::lock_guard lock(m_mutex);
    return addToBalance(m_db, uid, points);
}

std::optional<long long> AppStore::addPrize(const AppPrize& prize)
{
    std::lock_guard lock(m_mutex);
    SqlQuery insert(m_db, "INSERT INTO prizes (pid, title, body, price, count, publishCount, saleTime, endTime, picture)"
                          " VALUES (NULLIF(?1, 0), ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
    insert.bind(1, prize.pid).bind(2, prize.title).bind(3, prize.body).bind(4, prize.price).bind(5, prize.count);
    insert.bind(6, prize.publishCount).bind(7, prize.saleTime).bind(8, prize.endTime).bind(9, prize.picture);
    if (!insert.run())
        return std::nullopt;
    return sqlite3_last_insert_rowid(m_db);
}

AppStore::PrizeOutcome AppStore::exchangePrize(long long uid, long long productId, const std::string& delivery, long long now,
                                               long long& balance)
{
    std::lock_guard lock(m_mutex);
    SqlTransaction transaction(m_db);
    if (!transaction)
        return PrizeOutcome::Failed;
    long long price = 0;
    {
        SqlQuery prize(m_db, "SELECT price, count, saleTime, endTime FROM prizes WHERE pid = ?");
        prize.bind(1, productId);
        if (!prize.row())
            return prize.ok() ? PrizeOutcome::Unknown : PrizeOutcome::Failed;
        price = prize.integer(0);
        if (now < prize.integer(2))
            return PrizeOutcome::NotStarted;
        if (now > prize.integer(3))
            return PrizeOutcome::Ended;
        if (prize.integer(1) <= 0)
            return PrizeOutcome::SoldOut;
    }
    {
        SqlQuery exchanged(m_db, "SELECT 1 FROM exchanges WHERE uid = ? AND productId = ?");
        exchanged.bind(1, uid).bind(2, productId);
        if (exchanged.row())
            return PrizeOutcome::AlreadyExchanged;
    }
    if (balanceOf(m_db, uid) < price)
        return PrizeOutcome::NotEnoughPoints;
    SqlQuery insert(m_db, "INSERT INTO exchanges (uid, productId, delivery, createTime) VALUES (?, ?, ?, ?)");
    SqlQuery take(m_db, "UPDATE prizes SET count = count - 1 WHERE pid = ? AND count > 0");
    if (!insert.bind(1, uid).bind(2, productId).bind(3, delivery).bind(4, now).run() || !take.bind(1, productId).run() ||
        sqlite3_changes(m_db) != 1 || !addToBalance(m_db, uid, -price))
        return PrizeOutcome::Failed;
    balance = balanceOf(m_db, uid);
    return transaction.commit() ? PrizeOutcome::Ok : PrizeOutcome::Failed;
}

std::optional<long long> AppStore::setLike(long long uid, long long pid, bool liked)
{
    std::lock_guard lock(m_mutex);
    SqlQuery change(m_db, liked ? "INSERT OR IGNORE INTO likes (uid, pid, createTime) SELECT ?1, pid, ?3 FROM posts WHERE pid = ?2"
                                : "DELETE FROM likes WHERE uid = ?1 AND pid = ?2");
    if (!change.bind(1, uid).bind(2, pid).bind(3, secondsNow()).run())
        return std::nullopt;
    SqlQuery count(m_db, "SELECT COUNT(*) FROM likes WHERE pid = ?");
    count.bind(1, pid);
    if (!count.row())
        return std::nullopt;
    return count.integer(0);
}

bool AppStore::setLikeAt(long long uid, long long pid, long long time)
{
    std::lock_guard lock(m_mutex);
    SqlQuery insert(m_db, "INSERT OR IGNORE INTO likes (uid, pid, createTime) VALUES (?, ?, ?)");
    return insert.bind(1, uid).bind(2, pid).bind(3, time).run();
}

std::optional<std::pair<long long, long long>> AppStore::addComment(long long uid, long long pid, long long parentCid,
                                                                   const std::string& body, long long time)
{
    std::lock_guard lock(m_mutex);
    if (parentCid != 0) {
        SqlQuery parent(m_db, "SELECT pid FROM comments WHERE cid = ?");
        parent.bind(1, parentCid);
        if (!parent.row())
            return std::nullopt;
        pid = parent.integer(0);
    } else {
        SqlQuery post(m_db, "SELECT 1 FROM posts WHERE pid = ?");
        post.bind(1, pid);
        if (!post.row())
            return std::nullopt;
    }
    SqlQuery insert(m_db, "INSERT INTO comments (uid, pid, parent, body, createTime) VALUES (?, ?, ?, ?, ?)");
    if (!insert.bind(1, uid).bind(2, pid).bind(3, parentCid).bind(4, body).bind(5, time ? time : secondsNow()).run())
        return std::nullopt;
    return std::make_pair(static_cast<long long>(sqlite3_last_insert_rowid(m_db)), pid);
}

std::optional<long long> AppStore::addPost(const AppPost& post, long long award)
{
    std::lock_guard lock(m_mutex);
    SqlTransaction transaction(m_db);
    if (!transaction)
        return std::nullopt;
    SqlQuery insert(m_db, "INSERT INTO posts (pid, uid, body, shopTitle, shopAddress, payMoney, expendMoney, cids, tags, createTime,"
                          " latitude, longitude) VALUES (NULLIF(?1, 0), ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)");
    insert.bind(1, post.pid).bind(2, post.uid).bind(3, post.body).bind(4, post.shopTitle).bind(5, post.shopAddress);
    insert.bind(6, post.payMoney).bind(7, post.expendMoney).bind(8, jsonIds(post.cids)).bind(9, jsonTexts(post.tags));
    insert.bind(10, post.createTime ? post.createTime : secondsNow()).bind(11, post.latitude).bind(12, post.longitude);
    if (!insert.run())
        return std::nullopt;
    long long pid = sqlite3_last_insert_rowid(m_db);
    for (std::size_t i = 0; i < post.images.size(); ++i) {
        SqlQuery image(m_db, "INSERT INTO post_images (pid, position, uri, width, height) VALUES (?, ?, ?, ?, ?)");
        image.bind(1, pid).bind(2, static_cast<long long>(i)).bind(3, localPicturePath(post.images[i].uri));
        if (!image.bind(4, post.images[i].width).bind(5, post.images[i].height).run())
            return std::nullopt;
    }
    if ((award != 0 && !addToBalance(m_db, post.uid, award)) || !transaction.commit())
        return std::nullopt;
    return pid;
}

std::optional<std::string> AppStore::addImage(const std::string& bytes, const std::string& contentType)
{
    std::lock_guard lock(m_mutex);
    SqlTransaction transaction(m_db);
    SqlQuery insert(m_db, "INSERT INTO images (bytes, contentType) VALUES (?, ?)");
    if (!transaction || !insert.bindBlob(1, bytes).bind(2, contentType).run())
        return std::nullopt;
    std::string name = std::to_string(sqlite3_last_insert_rowid(m_db));
    SqlQuery named(m_db, "UPDATE images SET name = ? WHERE id = ?");
    if (!named.bind(1, name).bind(2, std::stoll(name)).run() || !transaction.commit())
        return std::nullopt;
    return name;
}

bool AppStore::addGeneratedImage(const std::string& name, const std::string& recipe)
{
    std::lock_guard lock(m_mutex);
    SqlQuery insert(m_db, "INSERT INTO images (name, contentType, recipe) VALUES (?, ?, ?)");
    return insert.bind(1, name).bind(2, pictureContentType(recipe)).bind(3, recipe).run();
}

std::optional<std::pair<std::string, std::string>> AppStore::image(const std::string& name)
{
    std::string recipe;
    {
        std::lock_guard lock(m_mutex);
        SqlQuery select(m_db, "SELECT bytes, contentType, recipe FROM images WHERE name = ?");
        select.bind(1, name);
        if (!select.row())
            return std::nullopt;
        if (!select.isNull(0))
            return std::make_pair(select.text(0), select.text(1));
        recipe = select.text(2);
    }
    // Drawn outside the lock: a big photo takes a while, and other requests
    // need not wait for it. The drawing is cached for the whole process.
    auto picture = renderPicture(recipe);
    if (!picture)
        return std::nullopt;
    return std::make_pair(picture->bytes, picture->contentType);
}

AppStore::Outcome AppStore::updateProfile(long long uid, const Profile& profile, AppUser& out)
{
    std::lock_guard lock(m_mutex);
    {
        SqlQuery taken(m_db, "SELECT 1 FROM users WHERE nick = ? AND uid <> ?");
        taken.bind(1, profile.nick).bind(2, uid);
        if (taken.row())
            return Outcome::NickTaken;
    }
    // The nickname screen sends the nickname alone, the other items empty:
    // an empty item (or age 0) keeps what is stored rather than erasing it.
    SqlQuery update(m_db, "UPDATE users SET nick = ?1, age = CASE WHEN ?2 = 0 THEN age ELSE ?2 END,"
                          " logo = CASE WHEN ?3 = '' THEN logo ELSE ?3 END,"
                          " constellation = CASE WHEN ?4 = '' THEN constellation ELSE ?4 END,"
                          " job = CASE WHEN ?5 = '' THEN job ELSE ?5 END, city = CASE WHEN ?6 = '' THEN city ELSE ?6 END"
                          " WHERE uid = ?7");
    update.bind(1, profile.nick).bind(2, profile.age).bind(3, localPicturePath(profile.logo)).bind(4, profile.constellation);
    if (!update.bind(5, profile.job).bind(6, profile.city).bind(7, uid).run() || sqlite3_changes(m_db) != 1)
        return Outcome::Failed;
    auto user = userByUid(uid);
    if (!user)
        return Outcome::Failed;
    out = *user;
    return Outcome::Ok;
}

}
