#pragma once

// The application server's state in one SQLite database: accounts, sign-in
// tokens, devices and the seeded list content. Any thread: one lock guards
// the connection.

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
    // The user signed in with a Voxly ("voxly") or ZZ ("zz") token, made on first sight.
    std::optional<AppUser> userForExternalToken(const std::string& kind, const std::string& token);
    bool bindExternalToken(long long uid, const std::string& kind, const std::string& token);

    // A new sign-in token for the user.
    std::optional<std::string> issueToken(long long uid);
    // The user whose token this is.
    std::optional<long long> tokenOwner(const std::string& token);
    void revokeToken(const std::string& token);

    // The device id for an installation's unique identifier, made on first sight.
    std::optional<long long> deviceFor(const std::string& unique, const std::string& description);

    void addListItem(const std::string& list, const std::string& json);
    std::size_t listCount(const std::string& list);
    // JSON texts of the items at positions [offset, offset + limit).
    std::vector<std::string> listPage(const std::string& list, std::size_t offset, std::size_t limit);
    // Seeds the demo lists once ("ZMRFeedsTask" and "ZMRPrizeListTask").
    void seedDemo();

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
    enum class PrizeOutcome { Ok, Unknown, AlreadyExchanged, NotEnoughPoints, Failed };
    // Exchanges a seeded prize ("integral" points) once per user; `balance` is then the new balance.
    PrizeOutcome exchangePrize(long long uid, long long productId, const std::string& delivery, long long& balance);
    // Likes or un-likes a post; the post's like count afterwards, nothing on failure.
    std::optional<long long> setLike(long long uid, long long pid, bool liked);
    // A comment on a post (parentCid 0) or on a comment (its post is the parent's); its id and post.
    std::optional<std::pair<long long, long long>> addComment(long long uid, long long pid, long long parentCid, const std::string& body);
    // Stores a post (its fields as one JSON text) and awards `award` points; the post id.
    std::optional<long long> addPost(long long uid, const std::string& json, long long award);
    std::optional<long long> addImage(const std::string& bytes, const std::string& contentType);
    // The bytes and content type of an uploaded image.
    std::optional<std::pair<std::string, std::string>> image(long long id);
    // Sets the nickname and the other profile fields (one JSON text).
    Outcome updateProfile(long long uid, const std::string& nick, const std::string& profileJson, AppUser& out);

    AppStore(const AppStore&) = delete;
    AppStore& operator=(const AppStore&) = delete;

private:
    AppStore() = default;
    bool exec(const char* sql);
    std::optional<std::string> openDataTables();
    bool openSocial();
    std::optional<AppUser> userWhere(const char* column, const std::string& value);
    std::optional<AppUser> userByUid(long long uid);

    std::mutex m_mutex; // guards m_db and every statement on it
    sqlite3* m_db = nullptr;
};

}
