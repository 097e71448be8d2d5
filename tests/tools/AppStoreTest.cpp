// The local application server's world: the seed, and the store's rules for
// follows, prize exchanges and publishing, at the store and over HTTP.

#include "framework/util/Pinyin.h"
#include "tools/appserver/AppPictures.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageCodec.h"
#include "tools/appserver/AppSeed.h"
#include "tools/appserver/AppServer.h"
#include "tools/appserver/AppStore.h"
#include "tests/tools/JsonMember.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <unistd.h>

namespace {

using zmr::test::member;

long long secondsNow()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::shared_ptr<zmr::AppStore> openStore(const std::string& path = ":memory:")
{
    std::unique_ptr<zmr::AppStore> made;
    auto error = zmr::AppStore::open(path, made);
    EXPECT_FALSE(error) << *error;
    return std::shared_ptr<zmr::AppStore>(std::move(made));
}

class SeededWorld : public ::testing::Test {
protected:
    void SetUp() override
    {
        store = openStore();
        ASSERT_TRUE(store);
        std::size_t before = zmr::renderedPicturesForTesting();
        ASSERT_TRUE(store->seedDemo());
        picturesAtSeed = zmr::renderedPicturesForTesting() - before;
    }

    std::shared_ptr<zmr::AppStore> store;
    std::size_t picturesAtSeed = 0;
    const std::string origin = "http://127.0.0.1:1234";
};

pf::BitmapRef decoded(const std::string& bytes)
{
    auto bitmap = pf::decodeImage(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return bitmap ? *bitmap : nullptr;
}

}

TEST_F(SeededWorld, HasItsPeoplePostsAndPicturesAndSeedsQuicklyOnce)
{
    EXPECT_EQ(picturesAtSeed, 0u) << "pictures must not be drawn while seeding";
    std::set<char> initials;
    for (const zmr::SeedPerson& person : zmr::seedPeople()) {
        auto user = store->checkPassword(person.account, person.password);
        ASSERT_TRUE(user) << person.account;
        EXPECT_EQ(user->uid, person.uid);
        initials.insert(pinyinInitials(person.nick).value_or("?").front());
    }
    EXPECT_GE(initials.size(), 10u);
    auto posts = store->feed({}, std::nullopt, 0, 100, origin);
    EXPECT_EQ(posts.total, zmr::kSeedPostCount);
    std::set<std::size_t> pictureCounts;
    for (const std::string& post : posts.items) {
        std::size_t count = 0;
        for (std::size_t at = post.find("\"uri\":"); at != std::string::npos; at = post.find("\"uri\":", at + 1))
            ++count;
        pictureCounts.insert(count);
    }
    EXPECT_EQ(pictureCounts, (std::set<std::size_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));

    // Portraits and photos of different seeds differ in colour.
    auto portrait = store->image("portrait-10002.png"), other = store->image("portrait-10003.png");
    ASSERT_TRUE(portrait && other);
    EXPECT_EQ(portrait->second, "image/png");
    auto a = decoded(portrait->first), b = decoded(other->first);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->pixelWidth(), 200);
    EXPECT_EQ(a->pixelHeight(), 200);
    EXPECT_FALSE(a->pixel(5, 5).near(b->pixel(5, 5), 10));
    auto photo = store->image("post-3-0.jpg");
    ASSERT_TRUE(photo);
    EXPECT_EQ(photo->second, "image/jpeg");
    auto jpeg = decoded(photo->first);
    ASSERT_TRUE(jpeg);
    EXPECT_LE(jpeg->pixelWidth(), 1280);
    EXPECT_FALSE(store->image("post-3-99.jpg"));

    // Nothing is dated in the future: it would show as written a minute ago.
    const long long now = std::time(nullptr);
    for (long long pid = 1; pid <= zmr::kSeedPostCount; ++pid)
        for (const std::string& comment : store->comments(pid, 0, 0, 100, origin).items)
            EXPECT_LE(std::stoll(member(comment, "createTime")), now) << comment;

    // A second seed leaves the world as it is.
    ASSERT_TRUE(store->seedDemo());
    EXPECT_EQ(store->feed({}, std::nullopt, 0, 1, origin).total, zmr::kSeedPostCount);
}

TEST_F(SeededWorld, FollowsGoBothWaysAndFriendsAreMutual)
{
    auto follows = store->follows(10001, 0, 100);
    ASSERT_EQ(follows.size(), std::size(zmr::kSeedFollowed));
    std::set<long long> mutual;
    for (const auto& follow : follows)
        if (follow.mutual)
            mutual.insert(follow.uid);
    EXPECT_EQ(mutual, (std::set<long long>{std::begin(zmr::kSeedFollowingBack), std::end(zmr::kSeedFollowingBack)}));

    struct Row {
        long long viewer, uid;
        const char* isFollow;
        const char* isMutual;
        const char* fans;
    } rows[] = {
        {10001, 10002, "true", "true", "1"},   // followed, follows back
        {10001, 10005, "true", "false", "2"},  // followed by the demo account and 10006
        {10001, 10008, "false", "false", "0"}, // a fan, not followed
        {10002, 10001, "true", "true", "4"},   // the other side of a friendship
    };
    for (const Row& row : rows) {
        auto json = store->userJson(row.uid, row.viewer, origin);
        ASSERT_TRUE(json);
        EXPECT_EQ(member(*json, "isFollow"), row.isFollow) << row.viewer << " sees " << row.uid;
        EXPECT_EQ(member(*json, "mutual"), row.isMutual) << row.viewer << " sees " << row.uid;
        EXPECT_EQ(member(*json, "fansCount"), row.fans) << row.uid;
    }
    // One side letting go ends the friendship for both.
    ASSERT_TRUE(store->setFollowing(10002, 10001, false));
    EXPECT_EQ(member(*store->userJson(10001, 10002, origin), "mutual"), "false");
    EXPECT_EQ(member(*store->userJson(10002, 10001, origin), "mutual"), "false");
}

TEST_F(SeededWorld, ExchangesSpendPointsAndStockWithinTheSaleWindow)
{
    using Outcome = zmr::AppStore::PrizeOutcome;
    long long now = secondsNow();
    zmr::AppPrize edge;
    edge.title = "edge";
    edge.price = 50;
    edge.count = 1;
    edge.publishCount = 1;
    edge.saleTime = now;
    edge.endTime = now + 100;
    auto edgeId = store->addPrize(edge);
    ASSERT_TRUE(edgeId);
    ASSERT_TRUE(store->addPoints(10013, -store->points(10013) + 60));

    struct Row {
        long long uid, prize, at;
        Outcome outcome;
        long long balance; // afterwards
    } rows[] = {
        {10001, 1, now, Outcome::Ok, 1000 - 100},
        {10001, 1, now, Outcome::AlreadyExchanged, 900},
        {10001, 7, now, Outcome::NotStarted, 900},
        {10001, 9, now, Outcome::SoldOut, 900},
        {10001, 11, now, Outcome::Ended, 900},
        {10001, 99, now, Outcome::Unknown, 900},
        {10013, 6, now, Outcome::NotEnoughPoints, 60},
        {10013, *edgeId, now + 101, Outcome::Ended, 60},      // one second after the end
        {10013, *edgeId, now + 100, Outcome::Ok, 10},          // the last second counts
        {10012, *edgeId, now, Outcome::SoldOut, 1950},         // the only piece is gone
    };
    for (const Row& row : rows) {
        long long balance = -1;
        EXPECT_EQ(store->exchangePrize(row.uid, row.prize, "{}", row.at, balance), row.outcome) << row.uid << " " << row.prize;
        EXPECT_EQ(store->points(row.uid), row.balance) << row.uid << " " << row.prize;
    }
    EXPECT_EQ(member(*store->prizeJson(1, origin), "count"), "29"); // 30 issued, one taken
    EXPECT_EQ(member(*store->prizeJson(*edgeId, origin), "count"), "0");
}

TEST_F(SeededWorld, AnUploadedPicturePublishedByTheAppHeadsTheFeedOnTheOriginAsked)
{
    zmr::AppServer server(store);
    ASSERT_TRUE(server.start(0));
    httplib::Client client("127.0.0.1", server.port());
    auto bitmap = pf::Bitmap::create(30, 20);
    (*bitmap)->fill(pf::Color::rgb(0, 1, 0));
    std::string path = (std::filesystem::temp_directory_path() / ("zmr-upload-" + std::to_string(getpid()) + ".png")).string();
    ASSERT_FALSE((*bitmap)->writePng(path));
    std::string bytes;
    {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        ASSERT_TRUE(file);
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            bytes.append(buffer, n);
        std::fclose(file);
        std::filesystem::remove(path);
    }
    auto upload = client.Post("/upload", httplib::MultipartFormDataItems{{"uri", bytes, "g.png", "image/png"}});
    ASSERT_TRUE(upload);
    std::string here = "http://127.0.0.1:" + std::to_string(server.port());
    std::string uri = member(upload->body, "uri");
    ASSERT_EQ(uri.rfind("\"" + here + "/images/", 0), 0u) << upload->body;
    uri = uri.substr(1, uri.size() - 2);

    std::string token = store->issueToken(10002).value_or("");
    std::string images = "[{\"uri\":\"" + uri + "\",\"width\":\"30.000000\",\"height\":\"20.000000\"}]";
    httplib::Params publish{{"config", "config_zmr"}, {"taskType", "ZMRPublishTask"}, {"zmr-body", "刚发的"},
                            {"zmr-images", images}, {"auth-uid", "10002"}, {"auth-token", token}};
    auto published = client.Post("/api", publish);
    ASSERT_TRUE(published);
    EXPECT_EQ(member(published->body, "error-code"), "0") << published->body;
    EXPECT_EQ(store->points(10002), 450 + 100);

    // The same world read through another origin names its pictures there.
    httplib::Params feed{{"config", "config_zmr"}, {"taskType", "ZMRFeedsTask"}, {"zmr-pageSize", "1"}};
    auto head = client.Post("/api", httplib::Headers{{"Host", "10.0.2.2:9999"}}, feed);
    ASSERT_TRUE(head);
    EXPECT_NE(head->body.find("\"body\":\"刚发的\""), std::string::npos) << head->body;
    std::string moved = "http://10.0.2.2:9999" + uri.substr(here.size());
    EXPECT_NE(head->body.find("\"uri\":\"" + moved + "\""), std::string::npos) << head->body;
    EXPECT_NE(head->body.find("\"logo\":\"http://10.0.2.2:9999/images/portrait-10002.png\""), std::string::npos);

    auto served = client.Get(uri.substr(here.size()));
    ASSERT_TRUE(served);
    EXPECT_EQ(served->status, 200);
    EXPECT_EQ(served->body, bytes);
    server.stop();
}

// The demo run's album: four photos into an empty folder, none into one
// that holds anything.
TEST_F(SeededWorld, FillsAnEmptyDemoAlbumAndLeavesAnotherAsItIs)
{
    char pattern[] = "/tmp/zmr-album-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::filesystem::path root(pattern), empty = root / "new", used = root / "used";
    std::filesystem::create_directories(used);
    std::ofstream(used / "mine.png") << "kept";
    EXPECT_TRUE(zmr::fillDemoAlbum(*store, empty.string()));
    EXPECT_TRUE(zmr::fillDemoAlbum(*store, used.string()));
    std::vector<std::filesystem::path> photos;
    for (const auto& entry : std::filesystem::directory_iterator(empty))
        photos.push_back(entry.path());
    EXPECT_EQ(photos.size(), 4u);
    for (const auto& photo : photos) {
        std::ifstream in(photo, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_TRUE(decoded(bytes)) << photo;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(used), std::filesystem::directory_iterator()), 1);
    std::filesystem::remove_all(root);
}

TEST(AppStoreFile, ADatabaseOfAnOlderLayoutStartsAfreshAndSeeds)
{
    std::string path = (std::filesystem::temp_directory_path() / ("zmr-old-" + std::to_string(getpid()) + ".db")).string();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE users (uid INTEGER PRIMARY KEY AUTOINCREMENT, account TEXT UNIQUE, salt TEXT,"
                               " password TEXT, nick TEXT UNIQUE, voxly TEXT UNIQUE, zz TEXT UNIQUE);"
                               "INSERT INTO users (account, nick) VALUES ('old', 'old')", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    {
        auto store = openStore(path);
        ASSERT_TRUE(store);
        ASSERT_TRUE(store->seedDemo());
        EXPECT_TRUE(store->checkPassword("demo", "demo-password"));
    }
    // Reopened, the world is kept.
    auto again = openStore(path);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->feed({}, std::nullopt, 0, 1, "http://x").total, zmr::kSeedPostCount);
    again.reset();
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::remove(path + suffix);
}

TEST(AppPictures, PathsOnThisServerTravelAsURLsOnTheOriginAskedAndOtherSourcesAsTheyAre)
{
    struct Row {
        const char* sent;   // as the application sends it
        const char* stored; // as the store keeps it
        const char* answered; // on origin http://10.0.2.2:9
    } rows[] = {
        {"http://127.0.0.1:5000/images/7", "/images/7", "http://10.0.2.2:9/images/7"},
        {"http://localhost/images/a.png", "/images/a.png", "http://10.0.2.2:9/images/a.png"},
        {"ico33.png", "ico33.png", "ico33.png"}, // a bundle image name stays a name
        {"http://127.0.0.10:5000/images/7", "http://127.0.0.10:5000/images/7", "http://127.0.0.10:5000/images/7"},
        {"http://example.com/images/7", "http://example.com/images/7", "http://example.com/images/7"},
        {"http://127.0.0.1:5000/other/7", "http://127.0.0.1:5000/other/7", "http://127.0.0.1:5000/other/7"},
        {"", "", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(zmr::localPicturePath(row.sent), row.stored) << row.sent;
        EXPECT_EQ(zmr::pictureURL("http://10.0.2.2:9", row.stored), row.answered) << row.sent;
    }
}

TEST_F(SeededWorld, AProfileSentWithEmptyFieldsKeepsTheStoredOnes)
{
    zmr::AppUser user;
    zmr::AppStore::Profile full{"安琪妈妈", 31, "http://127.0.0.1:80/images/9", "双鱼座", "老师", "上海"};
    ASSERT_EQ(store->updateProfile(10002, full, user), zmr::AppStore::Outcome::Ok);
    zmr::AppStore::Profile nickOnly{"安琪", 0, "", "", "", ""}; // what the nickname screen sends
    ASSERT_EQ(store->updateProfile(10002, nickOnly, user), zmr::AppStore::Outcome::Ok);
    auto json = store->userJson(10002, 10002, origin);
    ASSERT_TRUE(json);
    EXPECT_EQ(member(*json, "nick"), "\"安琪\"");
    EXPECT_EQ(member(*json, "logo"), "\"" + origin + "/images/9\"");
    for (auto [key, value] : {std::pair{"age", "31"}, {"job", "\"老师\""}, {"city", "\"上海\""}, {"constellation", "\"双鱼座\""}})
        EXPECT_EQ(member(*json, key), value) << key;
}

// Users who come through the ZZ or Voxly app have no nickname until they
// choose one: stored as NULL, so that any number of them can wait at once
// (the unique column would refuse a second ""), and answered as null with
// the "#" title.
TEST_F(SeededWorld, ExternalSignInsStartWithoutANicknameUntilTheyChooseOne)
{
    auto first = store->userForExternalPerson("zz", "OID-1", "zz-new-1");
    auto second = store->userForExternalPerson("voxly", "5800000001", "vx-new-1");
    ASSERT_TRUE(first && second) << "a second user without a nickname is taken";
    for (const auto* user : {&*first, &*second}) {
        SCOPED_TRACE(user->account);
        EXPECT_EQ(user->nick, "");
        auto json = store->userJson(user->uid, user->uid, origin);
        ASSERT_TRUE(json);
        EXPECT_EQ(member(*json, "nick"), "null");
        EXPECT_EQ(member(*json, "title"), "\"#" + user->account + "\"");
    }
    EXPECT_EQ(store->userForExternalPerson("zz", "OID-1", "zz-new-2")->uid, first->uid) << "the same person, the same user";

    zmr::AppUser named;
    ASSERT_EQ(store->updateProfile(first->uid, {"新来的小林", 0, "", "", "", ""}, named), zmr::AppStore::Outcome::Ok);
    auto json = store->userJson(first->uid, first->uid, origin);
    ASSERT_TRUE(json);
    EXPECT_EQ(member(*json, "nick"), "\"新来的小林\"");
    EXPECT_EQ(member(*json, "title"), "\"新来的小林\"");
}

// People nearby through the protocol: within 50 km of where the asker says
// it is, nearest first, never the asker; asking moves the asker there, and
// the zero position of a phone without a fix finds nobody and moves nobody.
TEST_F(SeededWorld, PeopleNearbyAreWithinFiftyKilometresOfWhereTheAskersLastWere)
{
    zmr::AppServer server(store);
    std::map<long long, std::string> tokens;
    for (long long uid : {10001, 10002, 10003})
        tokens[uid] = store->issueToken(uid).value_or("");
    const double north = zmr::kSeedCentreLatitude + 1; // 111 km away
    struct Row {
        long long asker;
        double latitude, longitude;
        const char* total;
        const char* nearest;
    } rows[] = {
        {10001, zmr::kSeedCentreLatitude, zmr::kSeedCentreLongitude, "12", "10002"},
        {10001, 0, 0, "0", "(none)"},
        {10001, north, zmr::kSeedCentreLongitude, "0", "(none)"},
        {10002, zmr::kSeedCentreLatitude, zmr::kSeedCentreLongitude, "11", "10003"}, // the demo account went north
        {10003, north + 0.01, zmr::kSeedCentreLongitude, "1", "10001"},
    };
    for (const Row& row : rows) {
        char form[256];
        std::snprintf(form, sizeof form, "config=config_zmr&taskType=ZMRNearUsersTask&auth-uid=%lld&auth-token=%s&zmr-latitude=%f&zmr-longitude=%f",
                      row.asker, tokens[row.asker].c_str(), row.latitude, row.longitude);
        std::string answer = server.answer(form, origin);
        EXPECT_EQ(member(answer, "total"), row.total) << row.asker << " at " << row.latitude;
        EXPECT_EQ(member(answer, "uid"), row.nearest) << row.asker << " at " << row.latitude;
    }
    auto page = store->nearUsers(zmr::kSeedCentreLatitude, zmr::kSeedCentreLongitude, 10003, 0, 100, origin);
    double previous = 0;
    for (const std::string& json : page.items) {
        double metres = std::stod(member(json, "distance"));
        EXPECT_TRUE(metres >= previous && metres <= 50000) << json;
        previous = metres;
    }
}

// What the follow-list sync, the prize screens and the people lists ask of
// the protocol.
TEST_F(SeededWorld, AnUnchangedFollowVersionGetsNoItemsAndPeopleCarryTheirTitle)
{
    zmr::AppServer server(store);
    std::string session = "config=config_zmr&auth-uid=10001&auth-token=" + store->issueToken(10001).value_or("");
    long long version = store->followVersion(10001);
    ASSERT_NE(version, 0);
    struct Row {
        std::string items;
        const char* key;
        const char* expected;
    } rows[] = {
        {"&taskType=ZMRUserConcernTask", "title", "\"安琪\""},
        {"&taskType=ZMRUserConcernTask&zmr-version=" + std::to_string(version - 1), "uid", "10002"},
        {"&taskType=ZMRUserConcernTask&zmr-version=" + std::to_string(version), "items", "[]"},
        {"&taskType=ZMRPrizeListTask&zmr-productId=3", "total", "1"},
        {"&taskType=ZMRPrizeListTask&zmr-productId=3", "pid", "3"},
        {"&taskType=ZMRPrizeListTask&zmr-productId=99", "list", "[]"},
        {"&taskType=ZMRUserDetailsTask&zmr-uid=10002", "title", "\"安琪\""},
        {"&taskType=ZMRUserDetailsTask&zmr-uid=10002", "publishCount", "5"},
        {"&taskType=ZMRUserDetailsTask&zmr-uid=99999", "error-code", "20481"},
        {"&taskType=ZMRUserDetailsTask&zmr-uid=99999", "profile", "(none)"},
        {"&taskType=ZMRCommentsTask&zmr-pid=1", "title", "\"安琪\""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(member(server.answer(session + row.items, origin), row.key), row.expected) << row.items;
    zmr::AppUser plain;
    ASSERT_EQ(store->addUser("plain", "password", "", plain), zmr::AppStore::Outcome::Ok);
    EXPECT_EQ(member(store->userJson(plain.uid, std::nullopt, origin).value_or(""), "title"), "\"#plain\"");
}

// A post carries the asker's own like wherever it travels: in the feed, its
// details, and as the post ("publish") of each comment on it.
TEST_F(SeededWorld, APostCarriesTheAskersOwnLikeInEveryAnswer)
{
    zmr::AppServer server(store);
    auto newest = store->feed({}, std::nullopt, 0, 1, origin);
    ASSERT_EQ(newest.items.size(), 1u);
    const std::string pid = member(newest.items[0], "pid");
    auto own = store->addComment(10001, std::stoll(pid), 0, "我也买了");
    ASSERT_TRUE(own);
    ASSERT_TRUE(store->addComment(10002, std::stoll(pid), own->first, "在哪家买的")); // heads demo's comment list
    ASSERT_TRUE(store->setLike(10001, std::stoll(pid), true));
    std::string session = "config=config_zmr&auth-uid=10001&auth-token=" + store->issueToken(10001).value_or("");
    for (const std::string& items : {std::string("&taskType=ZMRFeedsTask"), "&taskType=ZMRFeedDetailsTask&zmr-pid=" + pid,
                                     "&taskType=ZMRCommentsTask&zmr-pid=" + pid, std::string("&taskType=ZMRCommentsTask")}) {
        std::string answer = server.answer(session + items, origin);
        EXPECT_EQ(member(answer, "pid"), pid) << items;
        EXPECT_EQ(member(answer, "liked"), "true") << items;
    }
}

namespace {

// Midnight starting local day `day` of the month `months` months from now's.
long long localMidnight(long long now, int months, int day)
{
    std::time_t t = static_cast<std::time_t>(now);
    std::tm fields{};
    localtime_r(&t, &fields);
    std::tm at{};
    at.tm_year = fields.tm_year;
    at.tm_mon = fields.tm_mon + months;
    at.tm_mday = day;
    at.tm_isdst = -1;
    return static_cast<long long>(std::mktime(&at));
}

}

TEST(AppStoreFile, TheDemoLedgerIsDatedAnewAtEveryStartAndTheAccountsOwnEntriesStay)
{
    std::string path = (std::filesystem::temp_directory_path() / ("zmr-ledger-" + std::to_string(getpid()) + ".db")).string();
    long long now = secondsNow();
    long long previousMonth = localMidnight(now, -1, 1), thisMonth = localMidnight(now, 0, 1);
    std::time_t t = static_cast<std::time_t>(now);
    std::tm today{};
    localtime_r(&t, &today);
    long long tomorrow = localMidnight(now, 0, today.tm_mday + 1);
    std::size_t seeded = 0;
    {
        auto store = openStore(path);
        ASSERT_TRUE(store);
        ASSERT_TRUE(store->seedDemo());
        auto all = store->books(10001, 0, tomorrow + 86400 * 60);
        seeded = all.size();
        ASSERT_FALSE(all.empty());
        EXPECT_GE(all.front().createTime, previousMonth);
        EXPECT_LE(all.back().createTime, now);
        EXPECT_FALSE(store->books(10001, thisMonth, thisMonth + 86399).empty()) << "the 1st of this month";
        EXPECT_FALSE(store->books(10001, localMidnight(now, 0, today.tm_mday), now).empty()) << "today";
        // Every fourth day of the month has nothing, unless it is today.
        EXPECT_TRUE(store->books(10001, previousMonth + 2 * 86400, previousMonth + 3 * 86400 - 1).empty());
        // Categories and remarks vary.
        std::set<std::string> remarks;
        std::size_t twoCategories = 0;
        for (const auto& book : all) {
            remarks.insert(book.remark);
            twoCategories += book.cids.size() == 2;
        }
        EXPECT_GE(remarks.size(), 3u);
        EXPECT_GT(twoCategories, 0u);

        zmr::AppBook own;
        own.uid = 10001;
        own.expendMoney = 5;
        own.title = "自己记的";
        own.createTime = now - 60;
        ASSERT_TRUE(store->addBook(own));
    }
    // As if the server last started three months ago.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "UPDATE books SET createTime = createTime - 90 * 86400", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    {
        auto store = openStore(path);
        ASSERT_TRUE(store);
        ASSERT_TRUE(store->seedDemo());
        auto recent = store->books(10001, previousMonth, tomorrow);
        EXPECT_EQ(recent.size(), seeded);
        for (const auto& book : recent)
            EXPECT_NE(book.title, "自己记的");
        auto old = store->books(10001, 0, previousMonth - 1);
        ASSERT_EQ(old.size(), 1u) << "only the account's own entry stays where it was";
        EXPECT_EQ(old.front().title, "自己记的");
    }
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::remove(path + suffix);
}
