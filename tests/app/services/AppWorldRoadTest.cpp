// The seeded world of the local application server answers every task the
// application's services send, through the real services, in one table.

#include "ListTestSupport.h"
#include "RoadTestSupport.h"
#include "SocialTestSupport.h"
#include "StoreTestSupport.h"

#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRAuthTasks.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/db/KRDownlinkService.h"
#include "platform/graphics/Bitmap.h"
#include "tools/appserver/AppSeed.h"
#include "tools/appserver/AppServer.h"
#include "tools/appserver/AppStore.h"
#include "tools/voxlyweb/VoxlyWebServer.h"
#include "tools/zzserver/ZZServer.h"

#include <chrono>

namespace {

class AppWorldRoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(startSeededWorld(bus, store, server));
        origin = "http://127.0.0.1:" + std::to_string(server->port());
        auto config = socialRoadConfig(server->url(), origin + "/upload");
        addStoreServices(config);
        config->array("services")->add(serviceEntry("ZMRDownlinkService", {"IZMRDownlinkTask", "IKRAPIResponseTask"}));
        shell = ZMRShell::create(config, nullptr);
        recorder->shell = shell;
    }
    void TearDown() override
    {
        shell.reset();
        server->stop();
        busRecord() = nullptr;
        KRDownlinkService::resetSharedCache();
    }
    // The first page of a list (or a record) as the downlink service hands it over.
    pf::Value list(const std::string& taskType, std::initializer_list<std::pair<const char*, std::string>> query)
    {
        auto source = makeDataSource(shell, taskType, false);
        for (const auto& [key, value] : query)
            source->queryValues()->set(key, value);
        source->reloadData();
        EXPECT_TRUE(runMainUntil([&] { return !source->events.empty(); })) << taskType;
        EXPECT_EQ(source->events, std::vector<std::string>{"loaded"}) << taskType;
        return source->data.empty() ? pf::Value() : source->data[0];
    }

    TemporaryHome home;
    BusRecord bus;
    std::shared_ptr<zmr::AppStore> store;
    std::unique_ptr<zmr::AppServer> server;
    std::string origin;
    std::shared_ptr<ZMRShell> shell;
    std::shared_ptr<UplinkRecorder> recorder = std::make_shared<UplinkRecorder>();
};

template <class T, class Fill> std::shared_ptr<KRUplinkTask> make(Fill fill)
{
    auto task = std::make_shared<T>();
    fill(*task);
    return task;
}

long long number(const pf::Value& results, const char* path)
{
    return dataForKeyPath(results, path).longLongValue();
}

std::string text(const pf::Value& results, const char* path)
{
    return dataForKeyPath(results, path).stringValue().value_or("(none)");
}

std::size_t countAt(const pf::Value& results, const char* path)
{
    auto array = dataForKeyPath(results, path).array();
    return array ? array->count() : 0;
}

pf::BitmapRef square()
{
    auto bitmap = pf::Bitmap::create(64, 48);
    (*bitmap)->fill(pf::Color::rgb(0, 0.5, 1));
    return *bitmap;
}

}

TEST_F(AppWorldRoad, EveryTaskOfTheServicesIsAnsweredFromTheSeededWorld)
{
    long long now = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    std::string uploaded;
    static const std::string zzPageToken = zmr::ZZServer::tokenFor("101452831"), zzAppToken = zmr::ZZServer::appTokenFor("101452831");
    const std::string voxlyGrant = zmr::VoxlyWebServer::freshToken();
    struct Row {
        const char* name;
        const pf::Protocol* type;
        std::function<std::shared_ptr<KRUplinkTask>()> task;
        std::function<void(const pf::Value&)> check;
    } rows[] = {
        {"sign-in", proto::IZMRLoginTask(), [] { return make<ZMRLoginTask>([](auto& t) { t.setAccount("demo"), t.setPassword("demo-password"); }); },
         [&](const pf::Value& r) {
             EXPECT_EQ(number(r, "auth"), 10001);
             EXPECT_EQ(text(r, "user.logo"), origin + "/images/portrait-10001.png");
         }},
        {"sign-in check", proto::IZMRAuthTask(), [] { return std::make_shared<ZMRAuthTask>(); },
         [&](const pf::Value& r) {
             EXPECT_EQ(text(r, "user.nick"), "演示用户");
             EXPECT_EQ(text(r, "user.logo"), origin + "/images/portrait-10001.png");
         }},
        {"points", proto::IZMRCoinTask(), [] { return std::make_shared<ZMRCoinTask>(); },
         [](const pf::Value& r) { EXPECT_EQ(number(r, "coin-results"), 1000); }},
        {"follow", proto::IZMRFollowTask(), [] { return make<ZMRFollowTask>([](auto& t) { t.setTuid(10008); }); },
         [](const pf::Value& r) { EXPECT_EQ(number(r, "error-code"), 0); }},
        {"unfollow", proto::IZMRUnFollowTask(), [] { return make<ZMRUnFollowTask>([](auto& t) { t.setTuid(10008); }); },
         [](const pf::Value& r) { EXPECT_EQ(number(r, "error-code"), 0); }},
        {"ledger month", proto::IZMRBooksSearchTask(),
         [&] { return make<ZMRBooksSearchTask>([&](auto& t) { t.setStartTime(now - 31 * 86400.0), t.setEndTime(now + 60.0); }); },
         [&](const pf::Value& r) {
             std::size_t seeded = store->books(10001, now - 31 * 86400, now + 60).size();
             EXPECT_GE(seeded, 20u);
             EXPECT_EQ(countAt(r, "books-search-results"), seeded);
         }},
        {"ledger entry", proto::IZMRBooksCreateTask(),
         [] { return make<ZMRBooksCreateTask>([](auto& t) { t.setPayMoney(30), t.setExpendMoney(25), t.setShopTitle("街角超市"); }); },
         [](const pf::Value& r) { EXPECT_EQ(text(r, "books-create-results.body.title"), "街角超市"); }},
        {"like", proto::IZMRLikeTask(), [] { return make<ZMRLikeTask>([](auto& t) { t.setPid(2); }); },
         [](const pf::Value& r) { EXPECT_GT(number(r, "likeCount"), 1); }},
        {"unlike", proto::IZMRUnLikeTask(), [] { return make<ZMRUnLikeTask>([](auto& t) { t.setPid(2); }); },
         [](const pf::Value& r) { EXPECT_GT(number(r, "likeCount"), 0); }},
        {"comment", proto::IZMRCommentTask(), [] { return make<ZMRCommentTask>([](auto& t) { t.setPublishId(5), t.setBody("我也去"); }); },
         [](const pf::Value& r) { EXPECT_EQ(number(r, "comment-results.pid"), 5); }},
        {"upload", proto::IZMRImageUploadTask(), [] { return make<ZMRImageUploadTask>([](auto& t) { t.setImage(square()), t.setMaxWidth(640); }); },
         [&](const pf::Value& r) {
             uploaded = text(r, "uri");
             EXPECT_EQ(uploaded.rfind(origin + "/images/", 0), 0u) << uploaded;
         }},
        {"publish", proto::IZMRPublishTask(),
         [] { return make<ZMRPublishTask>([](auto& t) { t.setBody("新到的橙子"), t.setPayMoney(20), t.setExpendMoney(12); }); },
         [](const pf::Value& r) { EXPECT_GT(number(r, "publish-results.pid"), 1000); }},
        {"profile", proto::IZMRUpdateUserTask(),
         [&] { return make<ZMRUpdateUserTask>([&](auto& t) { t.setNick("演示妈妈"), t.setLogo(uploaded), t.setCity("上海"); }); },
         [&](const pf::Value& r) {
             EXPECT_EQ(text(r, "user-results.nick"), "演示妈妈");
             EXPECT_EQ(text(r, "user-results.logo"), uploaded);
         }},
        {"prize", proto::IZMRPrizeBuyTask(), [] { return make<ZMRPrizeBuyTask>([](auto& t) { t.setProductId(2), t.setName("演示"); }); },
         [](const pf::Value& r) { EXPECT_EQ(number(r, "coin-results"), 1000 + 100 - 250); }},
        {"ZZ binding", proto::IZMRZZBindTask(), [] { return make<ZMRZZBindTask>([](auto& t) { t.setToken(zzPageToken); }); },
         [](const pf::Value& r) { EXPECT_EQ(text(r, "auth-bind.zz.token"), zzPageToken); }},
        {"Voxly binding", proto::IZMRVoxlyBindTask(), [&] { return make<ZMRVoxlyBindTask>([&](auto& t) { t.setToken(voxlyGrant); }); },
         [&](const pf::Value& r) { EXPECT_EQ(text(r, "auth-bind.voxly.token"), voxlyGrant); }},
        // The same people by other roads and grants.
        {"ZZ sign-in", proto::IZMRZZLoginTask(), [] { return make<ZMRZZLoginTask>([](auto& t) { t.setToken(zzAppToken); }); },
         [](const pf::Value& r) { EXPECT_EQ(number(r, "auth"), 10001); }},
        {"Voxly sign-in", proto::IZMRVoxlyLoginTask(),
         [] { return make<ZMRVoxlyLoginTask>([](auto& t) { t.setToken(zmr::VoxlyWebServer::freshToken()); }); },
         [](const pf::Value& r) { EXPECT_EQ(number(r, "auth"), 10001); }},
        {"registration", proto::IZMRRegisterTask(),
         [] { return make<ZMRRegisterTask>([](auto& t) { t.setAccount("newcomer"), t.setPassword("secret1"), t.setNick("新来的人"); }); },
         [](const pf::Value& r) { EXPECT_GT(number(r, "auth"), 10013); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        recorder->clear();
        ASSERT_TRUE(sendAndWait(shell, row.type, row.task(), recorder));
        ASSERT_TRUE(recorder->errors.empty()) << recorder->errors[0].description;
        row.check(recorder->results[0]);
    }
}

TEST_F(AppWorldRoad, EveryListAndRecordIsAnsweredFromTheSeededWorld)
{
    shell->setAuth(pf::Value(10001), store->issueToken(10001));
    std::string centre = std::to_string(zmr::kSeedCentreLatitude), east = std::to_string(zmr::kSeedCentreLongitude);
    struct Row {
        const char* taskType;
        std::initializer_list<std::pair<const char*, std::string>> query;
        const char* path; // of the value checked
        std::string expected;
    } rows[] = {
        {"ZMRFeedsTask", {}, "total", "60"},
        {"ZMRFeedsTask", {{"classify", "follow"}}, "list.@0.uid", "10002"}, // the newest post of the six followed
        {"ZMRFeedsTask", {{"mutual", "1"}}, "total", "15"},                // three friends' posts
        {"ZMRFeedsTask", {{"cid", "3"}}, "list.@0.pid", "3"},
        {"ZMRFollowFeedsTask", {}, "total", "30"},                   // the six followed people's posts
        {"ZMRFollowFeedsTask", {{"mutual", "1"}}, "total", "15"},     // only the three who follow back
        {"ZMRFollowFeedsTask", {{"mutual", "1"}}, "list.@0.logo", origin + "/images/portrait-10002.png"},
        {"ZMRNearFeedsTask", {{"latitude", centre}, {"longitude", east}}, "list.@0.uid", "10001"},
        {"ZMRUserFeedsTask", {{"uid", "10002"}}, "list.@0.nick", "安琪"},
        {"ZMRFeedDetailsTask", {{"pid", "3"}}, "details.images.@1.uri", origin + "/images/post-3-1.png"},
        {"ZMRCommentsTask", {{"pid", "1"}}, "list.@1.reply.user.nick", "安琪"}, // the demo account answers the first comment
        {"ZMRCommentsTask", {{"uid", "10001"}}, "list.@0.publish.uid", "10001"},
        {"ZMRCommentsTask", {}, "list.@0.publish.uid", "10001"}, // the signed-in user's
        {"ZMRLikeUsersTask", {{"pid", "1"}}, "total", "3"},
        {"ZMRNearUsersTask", {{"latitude", centre}, {"longitude", east}}, "list.@0.uid", "10002"},
        {"ZMRUserDetailsTask", {{"uid", "10002"}}, "profile.mutual", "1"},
        {"ZMRUserDetailsTask", {{"uid", "10001"}}, "profile.integral", "1000"},
        {"ZMRFansTask", {}, "total", "4"},                    // three friends and one fan
        {"ZMRFansTask", {}, "list.@0.uid", "10008"},          // the latest
        {"ZMRFansTask", {}, "list.@0.isFollow", "0"},         // as the fans' owner sees them
        {"ZMRFansTask", {}, "list.@3.mutual", "1"},
        {"ZMRPrizeListTask", {}, "total", "12"},
        {"ZMRPrizeDetailsTask", {{"productId", "9"}}, "details.count", "0"},
    };
    for (const Row& row : rows) {
        pf::Value answer = list(row.taskType, row.query);
        pf::Value value = dataForKeyPath(answer, row.path);
        std::string shown = value.isString() ? *value.string() : value.isNumber() ? std::to_string(value.longLongValue()) : "(none)";
        EXPECT_EQ(shown, row.expected) << row.taskType << " " << row.path;
    }
    // The sign-in's follow-list sync mirrors the six people followed, the three friends marked.
    auto mirrored = [&] {
        return dumpRows(shell->userDBContext(), "SELECT uid, mutual, py, logo FROM ZMRConcernObject ORDER BY uid");
    };
    ASSERT_TRUE(runMainUntil([&] { return mirrored().size() == 6; }));
    auto rows6 = mirrored();
    EXPECT_EQ(rows6[0], "10002|1|a|" + origin + "/images/portrait-10002.png");
    EXPECT_EQ(rows6[3].substr(0, 10), "10005|0|d|");
}
