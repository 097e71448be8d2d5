// AppStore's lists and records of the world as the application's answers
// carry them: posts, comments, likers, people and prizes.

#include "tools/appserver/AppStore.h"

#include "tools/appserver/AppJson.h"
#include "tools/appserver/AppPictures.h"
#include "tools/appserver/AppSql.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zmr {

namespace {

using Object = JsonObject;

// The columns of a post, its author and its counts; parameters ?1 the viewer
// (0 for none) and ?2 the origin of picture URLs.
const std::string kPostColumns =
    "SELECT p.pid, p.uid, u.nick, u.logo, p.body, p.shopTitle, p.shopAddress, p.payMoney, p.expendMoney, p.cids, p.tags,"
    " p.createTime, p.latitude, p.longitude,"
    " (SELECT COUNT(*) FROM likes l WHERE l.pid = p.pid),"
    " (SELECT COUNT(*) FROM comments c WHERE c.pid = p.pid),"
    " EXISTS (SELECT 1 FROM likes l WHERE l.pid = p.pid AND l.uid = ?1),"
    " (SELECT json_group_array(json_object('uri', CASE WHEN substr(i.uri, 1, 1) = '/' THEN ?2 || i.uri ELSE i.uri END,"
    "  'width', i.width, 'height', i.height)) FROM (SELECT * FROM post_images WHERE pid = p.pid ORDER BY position) i), " +
    userTitleColumn("u") + " FROM posts p JOIN users u ON u.uid = p.uid";

std::string brief(long long uid, const std::string& nick, const std::string& title, const std::string& logo,
                  const std::string& origin)
{
    Object user;
    user.integer("uid", uid).text("nick", nick).text("title", title).text("logo", pictureURL(origin, logo));
    return user.json();
}

std::string postFromRow(SqlQuery& row, const std::string& origin)
{
    Object post;
    post.integer("pid", row.integer(0)).integer("uid", row.integer(1)).text("nick", row.text(2));
    post.text("logo", pictureURL(origin, row.text(3)));
    post.add("user", brief(row.integer(1), row.text(2), row.text(18), row.text(3), origin));
    post.text("body", row.text(4)).text("shopTitle", row.text(5)).text("shopAddress", row.text(6));
    post.add("payMoney", number(row.real(7))).add("expendMoney", number(row.real(8)));
    post.add("cids", row.text(9)).add("tags", row.text(10)); // JSON arrays as stored
    post.integer("createTime", row.integer(11)).add("latitude", number(row.real(12))).add("longitude", number(row.real(13)));
    post.integer("likedCount", row.integer(14)).integer("commentCount", row.integer(15));
    post.add("liked", row.integer(16) ? "true" : "false");
    post.add("images", row.text(17));
    return post.json();
}

// Squared distance in degrees of latitude, near enough for ordering a city.
std::string nearOrder(const char* table)
{
    return std::string(" ORDER BY ((") + table + ".latitude - ?4) * (" + table + ".latitude - ?4) + ((" + table +
           ".longitude - ?5) * ?6) * ((" + table + ".longitude - ?5) * ?6))";
}

double longitudeScale(double latitude)
{
    return std::cos(latitude * std::numbers::pi / 180);
}

// How far "near" reaches.
constexpr double kNearMetres = 50000;

// A place on the globe other than the zero position a phone without a fix sends.
bool isPosition(double latitude, double longitude)
{
    return std::isfinite(latitude) && std::isfinite(longitude) && std::fabs(latitude) <= 90 && std::fabs(longitude) <= 180 &&
           (latitude != 0 || longitude != 0);
}

double greatCircleMetres(double latitude1, double longitude1, double latitude2, double longitude2)
{
    constexpr double radians = std::numbers::pi / 180, earthRadius = 6371000;
    double dLatitude = (latitude2 - latitude1) * radians, dLongitude = (longitude2 - longitude1) * radians;
    double a = std::sin(dLatitude / 2) * std::sin(dLatitude / 2) +
               std::cos(latitude1 * radians) * std::cos(latitude2 * radians) * std::sin(dLongitude / 2) * std::sin(dLongitude / 2);
    return 2 * earthRadius * std::asin(std::min(1.0, std::sqrt(a)));
}

long long countOf(sqlite3* db, const std::string& sql, long long a, long long b = 0)
{
    SqlQuery count(db, sql);
    count.bind(1, a).bind(2, b);
    return count.row() ? count.integer(0) : 0;
}

}

bool AppStore::openWorld()
{
    const char* schema[] = {
        "CREATE INDEX IF NOT EXISTS likes_post ON likes (pid, createTime)",
        "CREATE INDEX IF NOT EXISTS follows_back ON follows (tuid, uid)",
    };
    for (const char* sql : schema) {
        if (!exec(sql))
            return false;
    }
    return true;
}

AppListPage AppStore::feed(const AppFeedQuery& query, std::optional<long long> viewer, long long offset, long long limit,
                           const std::string& origin)
{
    using Kind = AppFeedQuery::Kind;
    std::string where = " WHERE (?7 = 0 OR EXISTS (SELECT 1 FROM json_each(p.cids) WHERE value = ?7))";
    switch (query.kind) {
    case Kind::User: where += " AND p.uid = ?3"; break;
    case Kind::Follow: where += " AND p.uid IN (SELECT tuid FROM follows WHERE uid = ?1)"; break;
    case Kind::Friends:
        where += " AND p.uid IN (SELECT f.tuid FROM follows f JOIN follows b ON b.uid = f.tuid AND b.tuid = f.uid WHERE f.uid = ?1)";
        break;
    case Kind::Everyone:
    case Kind::Near: break;
    }
    std::string order = query.kind == Kind::Near ? nearOrder("p") + ", p.pid DESC" : " ORDER BY p.createTime DESC, p.pid DESC";
    std::lock_guard lock(m_mutex);
    AppListPage page;
    auto bindAll = [&](SqlQuery& q) {
        q.bind(1, viewer.value_or(0)).bind(2, origin).bind(3, query.uid).bind(4, query.latitude).bind(5, query.longitude);
        q.bind(6, longitudeScale(query.latitude)).bind(7, query.cid).bind(8, limit).bind(9, offset);
    };
    SqlQuery rows(m_db, std::string(kPostColumns) + where + order + " LIMIT ?8 OFFSET ?9");
    bindAll(rows);
    while (rows.row())
        page.items.push_back(postFromRow(rows, origin));
    SqlQuery total(m_db, "SELECT COUNT(*) FROM posts p" + where);
    bindAll(total);
    page.total = total.row() ? total.integer(0) : 0;
    return page;
}

std::optional<std::string> AppStore::postJson(long long pid, std::optional<long long> viewer, const std::string& origin)
{
    std::lock_guard lock(m_mutex);
    SqlQuery row(m_db, std::string(kPostColumns) + " WHERE p.pid = ?3");
    row.bind(1, viewer.value_or(0)).bind(2, origin).bind(3, pid);
    if (!row.row())
        return std::nullopt;
    return postFromRow(row, origin);
}

AppListPage AppStore::comments(long long pid, long long uid, long long offset, long long limit, const std::string& origin,
                               std::optional<long long> viewer)
{
    std::vector<std::pair<std::string, long long>> made; // JSON without its post, and the post id
    AppListPage page;
    {
        std::lock_guard lock(m_mutex);
        std::string where = pid ? " WHERE c.pid = ?1"
                                : " WHERE c.pid IN (SELECT pid FROM posts WHERE uid = ?2)"
                                  " OR c.parent IN (SELECT cid FROM comments WHERE uid = ?2)";
        std::string order = pid ? " ORDER BY c.cid" : " ORDER BY c.createTime DESC, c.cid DESC";
        SqlQuery rows(m_db, "SELECT c.cid, c.pid, c.body, c.createTime, u.uid, u.nick, u.logo, r.cid, ru.uid, ru.nick, ru.logo, " +
                                userTitleColumn("u") + ", " + userTitleColumn("ru") + " FROM comments c JOIN users u ON u.uid = c.uid LEFT JOIN comments r ON r.cid = c.parent"
                            " LEFT JOIN users ru ON ru.uid = r.uid" + where + order + " LIMIT ?3 OFFSET ?4");
        rows.bind(1, pid).bind(2, uid).bind(3, limit).bind(4, offset);
        while (rows.row()) {
            Object comment;
            comment.integer("cid", rows.integer(0)).integer("pid", rows.integer(1)).text("body", rows.text(2));
            comment.integer("createTime", rows.integer(3)).integer("uid", rows.integer(4)).text("nick", rows.text(5));
            comment.text("title", rows.text(11));
            comment.text("logo", pictureURL(origin, rows.text(6)));
            comment.add("user", brief(rows.integer(4), rows.text(5), rows.text(11), rows.text(6), origin));
            if (!rows.isNull(7)) {
                Object reply;
                reply.integer("cid", rows.integer(7)).add("user", brief(rows.integer(8), rows.text(9), rows.text(12), rows.text(10), origin));
                comment.add("reply", reply.json());
            }
            made.emplace_back(comment.json(), rows.integer(1));
        }
        page.total = countOf(m_db, "SELECT COUNT(*) FROM comments c" + where, pid, uid);
    }
    for (auto& [json, post] : made) {
        // The post a comment belongs to, for the screens that open it.
        auto publish = postJson(post, viewer, origin);
        page.items.push_back(json.substr(0, json.size() - 1) + ",\"publish\":" + publish.value_or("null") + "}");
    }
    return page;
}

AppListPage AppStore::likers(long long pid, long long offset, long long limit, const std::string& origin)
{
    std::lock_guard lock(m_mutex);
    AppListPage page;
    SqlQuery rows(m_db, "SELECT u.uid, u.nick, u.logo, " + userTitleColumn("u") + " FROM likes l JOIN users u ON u.uid = l.uid WHERE l.pid = ?"
                        " ORDER BY l.createTime DESC, l.uid LIMIT ? OFFSET ?");
    rows.bind(1, pid).bind(2, limit).bind(3, offset);
    while (rows.row())
        page.items.push_back(brief(rows.integer(0), rows.text(1), rows.text(3), rows.text(2), origin));
    page.total = countOf(m_db, "SELECT COUNT(*) FROM likes WHERE pid = ?", pid);
    return page;
}

AppListPage AppStore::nearUsers(double latitude, double longitude, std::optional<long long> viewer, long long offset,
                                long long limit, const std::string& origin)
{
    AppListPage page;
    if (!isPosition(latitude, longitude))
        return page; // nobody is near an unknown place
    std::vector<std::pair<long long, double>> near; // uid and metres, nearest first
    {
        std::lock_guard lock(m_mutex);
        // People who never told their position are not near anyone.
        SqlQuery rows(m_db, "SELECT u.uid, u.latitude, u.longitude FROM users u WHERE u.uid <> ?1 AND (u.latitude <> 0 OR"
                            " u.longitude <> 0)" + nearOrder("u") + ", u.uid");
        rows.bind(1, viewer.value_or(0)).bind(4, latitude).bind(5, longitude).bind(6, longitudeScale(latitude));
        while (rows.row()) {
            double metres = greatCircleMetres(latitude, longitude, rows.real(1), rows.real(2));
            if (metres <= kNearMetres)
                near.emplace_back(rows.integer(0), metres);
        }
    }
    std::stable_sort(near.begin(), near.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    page.total = static_cast<long long>(near.size());
    for (long long i = std::max(0LL, offset); i < page.total && i - offset < limit; ++i) {
        if (auto json = userJson(near[static_cast<std::size_t>(i)].first, viewer, origin))
            page.items.push_back(json->substr(0, json->size() - 1) + ",\"distance\":" +
                                 std::to_string(std::llround(near[static_cast<std::size_t>(i)].second)) + "}");
    }
    return page;
}

AppListPage AppStore::fans(long long uid, long long offset, long long limit, const std::string& origin)
{
    AppListPage page;
    std::vector<long long> followers;
    {
        std::lock_guard lock(m_mutex);
        SqlQuery rows(m_db, "SELECT uid FROM follows WHERE tuid = ? ORDER BY rowid DESC LIMIT ? OFFSET ?");
        rows.bind(1, uid).bind(2, limit).bind(3, std::max(0LL, offset));
        while (rows.row())
            followers.push_back(rows.integer(0));
        page.total = countOf(m_db, "SELECT COUNT(*) FROM follows WHERE tuid = ?", uid);
    }
    for (long long follower : followers)
        if (auto json = userJson(follower, uid, origin))
            page.items.push_back(*json);
    return page;
}

bool AppStore::setPosition(long long uid, double latitude, double longitude)
{
    if (!isPosition(latitude, longitude))
        return false;
    std::lock_guard lock(m_mutex);
    SqlQuery update(m_db, "UPDATE users SET latitude = ?, longitude = ? WHERE uid = ?");
    return update.bind(1, latitude).bind(2, longitude).bind(3, uid).run() && sqlite3_changes(m_db) == 1;
}

std::optional<std::string> AppStore::userJson(long long uid, std::optional<long long> viewer, const std::string& origin)
{
    std::lock_guard lock(m_mutex);
    SqlQuery row(m_db, "SELECT uid, nick, logo, latitude, longitude, age, constellation, job, city, points,"
                       " (SELECT COUNT(*) FROM follows WHERE tuid = u.uid), (SELECT COUNT(*) FROM follows WHERE uid = u.uid),"
                       " (SELECT COUNT(*) FROM posts WHERE uid = u.uid),"
                       " EXISTS (SELECT 1 FROM follows WHERE uid = ?2 AND tuid = u.uid),"
                       " EXISTS (SELECT 1 FROM follows WHERE uid = u.uid AND tuid = ?2), " +
                           userTitleColumn("u") + " FROM users u WHERE uid = ?1");
    row.bind(1, uid).bind(2, viewer.value_or(0));
    if (!row.row())
        return std::nullopt;
    Object user;
    user.integer("uid", row.integer(0));
    if (row.isNull(1))
        user.add("nick", "null");
    else
        user.text("nick", row.text(1));
    user.text("title", row.text(15));
    user.text("logo", pictureURL(origin, row.text(2)));
    user.add("latitude", number(row.real(3))).add("longitude", number(row.real(4))).integer("age", row.integer(5));
    user.text("constellation", row.text(6)).text("job", row.text(7)).text("city", row.text(8));
    if (viewer == uid)
        user.integer("integral", row.integer(9)); // a balance is the owner's business
    user.integer("fansCount", row.integer(10)).integer("followCount", row.integer(11)).integer("postCount", row.integer(12));
    user.integer("publishCount", row.integer(12));
    bool follows = row.integer(13) != 0, followedBack = row.integer(14) != 0;
    user.add("isFollow", follows ? "true" : "false").add("mutual", follows && followedBack ? "true" : "false");
    return user.json();
}

namespace {

const char* const kPrizeColumns = "SELECT pid, title, body, price, count, publishCount, saleTime, endTime, picture FROM prizes";

std::string prizeFromRow(SqlQuery& row, const std::string& origin)
{
    std::string picture = pictureURL(origin, row.text(8));
    Object image;
    image.text("uri", picture).integer("width", 640).integer("height", 480);
    Object prize;
    prize.integer("pid", row.integer(0)).integer("productId", row.integer(0)).text("title", row.text(1)).text("body", row.text(2));
    prize.integer("salePrice", row.integer(3)).integer("integral", row.integer(3)).integer("count", row.integer(4));
    prize.integer("publishCount", row.integer(5)).integer("saleTime", row.integer(6)).integer("endTime", row.integer(7));
    prize.text("logo", picture).add("images", "[" + image.json() + "]");
    return prize.json();
}

}

AppListPage AppStore::prizes(std::optional<long long> productId, long long offset, long long limit, const std::string& origin)
{
    std::lock_guard lock(m_mutex);
    AppListPage page;
    const char* where = " WHERE ?3 IS NULL OR pid = ?3";
    SqlQuery rows(m_db, std::string(kPrizeColumns) + where + " ORDER BY pid LIMIT ?1 OFFSET ?2");
    rows.bind(1, limit).bind(2, offset);
    if (productId)
        rows.bind(3, *productId);
    while (rows.row())
        page.items.push_back(prizeFromRow(rows, origin));
    SqlQuery total(m_db, std::string("SELECT COUNT(*) FROM prizes") + where);
    if (productId)
        total.bind(3, *productId);
    page.total = total.row() ? total.integer(0) : 0;
    return page;
}

std::optional<std::string> AppStore::prizeJson(long long pid, const std::string& origin)
{
    std::lock_guard lock(m_mutex);
    SqlQuery row(m_db, std::string(kPrizeColumns) + " WHERE pid = ?");
    row.bind(1, pid);
    if (!row.row())
        return std::nullopt;
    return prizeFromRow(row, origin);
}

}
