#pragma once

// The application server's state in one SQLite database: accounts (with
// portrait, position and points), sign-in tokens, devices, follows, posts
// with their pictures, comments, likes, prizes and exchanges, the ledger,
// stored and generated pictures, and canned lists that tests add by hand.
// Any thread: one lock guards the connection.
//
// Pictures are kept as paths ("/images/NAME"); answers turn them into
// absolute URLs on the origin the request reached (AppStoreWorld.cpp).

#include "tools/appserver/AppStoreData.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace zmr {

struct AppUser {
    long long uid = 0;
    std::string account;
    std::string nick;
    std::optional<std::string> voxlyToken;
    std::optional<std::string> zzToken;
};

// A post as it is stored: `images` as paths or URLs with their sizes.
struct AppPostImage {
    std::string uri;
    double width = 0;
    double height = 0;
};
struct AppPost {
    long long pid = 0; // 0: the store picks one
    long long uid = 0;
    std::string body;
    std::string shopTitle;
    std::string shopAddress;
    double payMoney = 0;
    double expendMoney = 0;
    std::vector<long long> cids;
    std::vector<std::string> tags;
    std::vector<AppPostImage> images;
    long long createTime = 0; // seconds since 1970; 0: now
    double latitude = 0;
    double longitude = 0;
};

// A prize; its sale runs from `saleTime` to `endTime` (both included).
struct AppPrize {
    long long pid = 0;
    std::string title;
    std::string body;
    long long price = 0; // in points
    long long count = 0; // pieces left
    long long publishCount = 0; // pieces issued
    long long saleTime = 0;
    long long endTime = 0;
    std::string picture;
};

// One page of a list answer: JSON texts of the items and the list's length.
struct AppListPage {
    std::vector<std::string> items;
    long long total = 0;
};

// Which posts a feed lists.
struct AppFeedQuery {
    enum class Kind { Everyone, Follow, Friends, Near, User } kind = Kind::Everyone;
    long long uid = 0; // whose posts, for User
    long long cid = 0; // only posts of this category when not 0
    double latitude = 0, longitude = 0; // for Near
};
class AppStore {
public:
    // Opens (creating) the database at `path` (":memory:" for none) and its
    // tables; an error text when that fails.
    static std::optional<std::string> open(const std::string& path, std::unique_ptr<AppStore>& out);
    ~AppStore();

    enum class Outcome { Ok, AccountTaken, NickTaken, Failed };
    Outcome addUser(const std::string& account, const std::string& password, const std::string& nick, AppUser& out);
    // Nothing when the account is unknown or the password is wrong.
    std::optional<AppUser> checkPassword(const std::string& account, const std::string& password);
    std::optional<AppUser> user(long long uid);
    // A user with a fixed id (the seed's people); false when it is taken.
    bool addUserWithId(long long uid, const std::string& account, const std::string& password, const std::string& nick);
    // Portrait path or bundle image name, and position.
    bool setUserLook(long long uid, const std::string& logo, double latitude, double longitude);
    // The user's last known position; false for the zero position or one off the globe.
    bool setPosition(long long uid, double latitude, double longitude);
    // Outside accounts, of Voxly ("voxly") or ZZ ("zz"), are keyed by the
    // provider's id of the person; an account keeps the last token it came
    // with. Rows from before persons were kept hold only a token: the
    // person behind that very token takes such a row over when it comes.
    //
    // The user of the person, made on first sight without a nickname;
    // nothing on failure.
    std::optional<AppUser> userForExternalPerson(const std::string& kind, const std::string& person, const std::string& token);
    enum class BindOutcome { Ok, HeldByAnother, Failed };
    // Binds the person to the user (in place of any other of that
    // provider). HeldByAnother, changing nothing, when another account
    // holds the person.
    BindOutcome bindExternalPerson(long long uid, const std::string& kind, const std::string& person, const std::string& token);

    // A new sign-in token for the user.
    std::optional<std::string> issueToken(long long uid);
    // The user whose token this is.
    std::optional<long long> tokenOwner(const std::string& token);
    void revokeToken(const std::string& token);

    // The device id for an installation's unique identifier, made on first sight.
    std::optional<long long> deviceFor(const std::string& unique, const std::string& description);

    // Canned lists: JSON items a test or benchmark adds under a name of its own.
    void addListItem(const std::string& list, const std::string& json);
    std::size_t listCount(const std::string& list);
    // JSON texts of the items at positions [offset, offset + limit).
    std::vector<std::string> listPage(const std::string& list, std::size_t offset, std::size_t limit);
    // Builds the demo world (AppSeed.cpp) unless the demo account exists;
    // false when that fails (nothing of it is kept then). Call it before the
    // store serves requests: the world is written in one transaction. The
    // demo account's seeded ledger is dated anew at every call, the world
    // there or not, so it always covers the current and the previous month.
    bool seedDemo();

    // The world's lists and records as JSON (AppStoreWorld.cpp), pictures as
    // URLs on `origin` ("http://host:port"); `viewer` is the signed-in user.
    AppListPage feed(const AppFeedQuery& query, std::optional<long long> viewer, long long offset, long long limit,
                     const std::string& origin);
    std::optional<std::string> postJson(long long pid, std::optional<long long> viewer, const std::string& origin);
    // A post's comments oldest first, or (pid 0) the comments on `uid`'s posts
    // and the replies to `uid`'s comments, newest first; each carries its
    // post ("publish") as `viewer` sees it (their own like).
    AppListPage comments(long long pid, long long uid, long long offset, long long limit, const std::string& origin,
                         std::optional<long long> viewer = std::nullopt);
    // The users who liked a post, latest first.
    AppListPage likers(long long pid, long long offset, long long limit, const std::string& origin);
    // Everyone but the viewer whose position is known and within 50 km,
    // nearest first, each with its "distance" in metres; nobody is near
    // the zero position.
    AppListPage nearUsers(double latitude, double longitude, std::optional<long long> viewer, long long offset,
                          long long limit, const std::string& origin);
    // The people who follow `uid`, latest first, as userJson sees them.
    AppListPage fans(long long uid, long long offset, long long limit, const std::string& origin);
    std::optional<std::string> userJson(long long uid, std::optional<long long> viewer, const std::string& origin);
    // Every prize by id, or only the one of `productId`.
    AppListPage prizes(std::optional<long long> productId, long long offset, long long limit, const std::string& origin);
    std::optional<std::string> prizeJson(long long pid, const std::string& origin);

    // Seeding (AppSeed.cpp) writes through these.
    std::optional<long long> addPrize(const AppPrize& prize);
    // A picture made on first request from `recipe` (AppPictures.h); false when the name is taken.
    bool addGeneratedImage(const std::string& name, const std::string& recipe);
    bool addPoints(long long uid, long long points);
    bool setLikeAt(long long uid, long long pid, long long time);

    // Categories, tags, follows and the ledger (AppStoreData.cpp).
    std::vector<AppCategory> categories();
    // The `limit` tags of most weight.
    std::vector<AppTag> topTags(long long limit);
    // Follows or unfollows; the user's follow-list version moves on a change.
    bool setFollowing(long long uid, long long tuid, bool following);
    // 0 until the user's list first changes.
    long long followVersion(long long uid);
    // In the order they were followed.
    std::vector<AppFollow> follows(long long uid, long long offset, long long limit);
    // The entry as stored, with its new `bid`.
    std::optional<AppBook> addBook(const AppBook& book);
    // The user's entries created within [start, end], oldest first.
    std::vector<AppBook> books(long long uid, long long start, long long end);

    // Points, prizes, likes, comments, posts, uploaded images and profiles
    // (AppStoreSocial.cpp); their tables are made by openSocial().
    long long points(long long uid);
    enum class PrizeOutcome { Ok, Unknown, NotStarted, Ended, SoldOut, AlreadyExchanged, NotEnoughPoints, Failed };
    // Exchanges a prize on sale for its price in points, once per user,
    // taking one piece of its stock; `balance` is then the new balance.
    // `now` is seconds since 1970.
    PrizeOutcome exchangePrize(long long uid, long long productId, const std::string& delivery, long long now,
                               long long& balance);
    // Likes or un-likes a post; the post's like count afterwards, nothing on failure.
    std::optional<long long> setLike(long long uid, long long pid, bool liked);
    // A comment on an existing post (parentCid 0) or on a comment (its post is
    // the parent's); its id and post. `time` 0 is now.
    std::optional<std::pair<long long, long long>> addComment(long long uid, long long pid, long long parentCid,
                                                              const std::string& body, long long time = 0);
    // Stores a post and awards `award` points; the post id.
    std::optional<long long> addPost(const AppPost& post, long long award);
    // Stores an uploaded picture; its name under "/images/".
    std::optional<std::string> addImage(const std::string& bytes, const std::string& contentType);
    // The bytes and content type of a stored or generated picture.
    std::optional<std::pair<std::string, std::string>> image(const std::string& name);
    struct Profile {
        std::string nick;
        long long age = 0;
        std::string logo, constellation, job, city;
    };
    // Sets the nickname and the other profile fields; an empty field (age 0)
    // keeps the stored one.
    Outcome updateProfile(long long uid, const Profile& profile, AppUser& out);

    AppStore(const AppStore&) = delete;
    AppStore& operator=(const AppStore&) = delete;

private:
    AppStore() = default;
    bool exec(const char* sql);
    bool resetOlderSchema();
    bool openPersonColumns();
    // Who holds the person: its account, else a row from before persons
    // were kept that holds the token. With m_mutex held.
    std::optional<long long> externalHolder(const std::string& kind, const std::string& person, const std::string& token);
    bool holdExternal(long long uid, const std::string& kind, const std::string& person, const std::string& token);
    std::optional<std::string> openDataTables();
    bool openSocial();
    bool openWorld();
    bool seedDemoLedger(long long now);
    std::optional<AppUser> userWhere(const char* column, const std::string& value);
    std::optional<AppUser> userByUid(long long uid);

    std::mutex m_mutex; // guards m_db and every statement on it
    sqlite3* m_db = nullptr;
};

}
