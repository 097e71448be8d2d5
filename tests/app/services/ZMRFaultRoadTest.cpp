#include "ListTestSupport.h"
#include "SocialTestSupport.h"
#include "StoreTestSupport.h"

#include "app/screens/feed/ZMRFeedLikeTask.h"
#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRConcernService.h"
#include "app/services/ZMRMessage.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/db/KRDownlinkService.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Bitmap.h"
#include "tools/appserver/AppServer.h"
#include "tools/appserver/AppStore.h"
#include "tools/testserver/FaultServer.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <limits>

namespace {

const std::string unknown = "网络异常，无法确认是否已提交成功，请先查看，再决定是否重新提交";

// Every write and read of the application against a gateway that answers
// each request it has read with its own HTML error page.
class ZMRGatewayFaultRoad : public RoadBus {
protected:
    void SetUp() override
    {
        RoadBus::SetUp();
        gateway.setReply(502, "<html><head><title>502 Bad Gateway</title></head><body>bad gateway</body></html>");
        uploads.setReply(200, R"({"uri":"http://127.0.0.1:9/portrait.jpg"})");
        auto config = socialRoadConfig(gateway.url("/api"), uploads.url("/upload"));
        addStoreServices(config);
        startShell(config);
        shell->setAuth(pf::Value(7LL), std::string("token-7"));
    }
    // The message the person reads after sending `task`, and how many
    // requests of that server task reached the gateway.
    std::pair<std::string, std::size_t> send(const pf::Protocol* type, const std::shared_ptr<KRUplinkTask>& task,
                                             const char* serverTask)
    {
        std::string part = std::string("taskType=") + serverTask;
        std::size_t before = gateway.count("/api", part);
        recorder->clear();
        EXPECT_TRUE(sendAndWait(shell, type, task, recorder));
        std::string message = recorder->errors.empty() ? "(success)" : ZMRMessage(recorder->errors[0]);
        return {message, gateway.count("/api", part) - before};
    }

    zmr::FaultServer gateway;
    zmr::FaultServer uploads;
};

}

TEST_F(ZMRGatewayFaultRoad, AWriteAnsweredByAnErrorPageMayHaveBeenStoredAReadSaysTheServerFailed)
{
    auto portrait = pf::Bitmap::create(8, 8);
    ASSERT_TRUE(portrait);
    struct Row {
        const char* name;
        const pf::Protocol* type;
        std::function<std::shared_ptr<KRUplinkTask>()> make;
        const char* serverTask;
        std::string message;
    } rows[] = {
        {"ledger", proto::IZMRBooksCreateTask(), [] {
             auto task = std::make_shared<ZMRBooksCreateTask>();
             task->setPayMoney(12.5);
             return task;
         }, "ZMRBooksCreateTask", unknown},
        {"post", proto::IZMRPublishTask(), [] {
             auto task = std::make_shared<ZMRPublishTask>();
             task->setBody("买到了");
             return task;
         }, "ZMRPublishTask", unknown},
        {"comment", proto::IZMRCommentTask(), [] {
             auto task = std::make_shared<ZMRCommentTask>();
             task->setPublishId(3);
             task->setBody("好便宜");
             return task;
         }, "ZMRCommentTask", unknown},
        {"reply", proto::IZMRCommentTask(), [] {
             auto task = std::make_shared<ZMRCommentTask>();
             task->setCommentId(9);
             task->setBody("谢谢");
             return task;
         }, "ZMRCommentTask", unknown},
        {"follow", proto::IZMRFollowTask(), [] {
             auto task = std::make_shared<ZMRFollowTask>();
             task->setTuid(8);
             return task;
         }, "ZMRFollowTask", unknown},
        {"unfollow", proto::IZMRUnFollowTask(), [] {
             auto task = std::make_shared<ZMRUnFollowTask>();
             task->setTuid(8);
             return task;
         }, "ZMRUnFollowTask", unknown},
        {"nickname", proto::IZMRUpdateUserTask(), [] {
             auto task = std::make_shared<ZMRUpdateUserTask>();
             task->setNick("新昵称");
             return task;
         }, "ZMRUpdateUserTask", unknown},
        // The picture is stored; the profile that names it met the gateway.
        {"portrait", proto::IZMRUpdateUserTask(), [&] {
             auto task = std::make_shared<ZMRUpdateUserTask>();
             task->setLogoImage(*portrait);
             return task;
         }, "ZMRUpdateUserTask", unknown},
        {"exchange", proto::IZMRPrizeBuyTask(), [] {
             auto task = std::make_shared<ZMRPrizeBuyTask>();
             task->setProductId(1);
             task->setName("Pia");
             return task;
         }, "ZMRPrizeBuyTask", unknown},
        {"sign-up", proto::IZMRRegisterTask(), [] { return registration("ann", "secret1", "Annie"); }, "ZMRRegisterTask",
         unknown},
        // Repeating these is harmless: the server failed, nothing more.
        {"sign-in", proto::IZMRLoginTask(), [] { return login("ann", "secret1"); }, "ZMRLoginTask",
         "服务器出错（502），请稍后重试"},
        {"month of the ledger", proto::IZMRBooksSearchTask(), [] {
             auto task = std::make_shared<ZMRBooksSearchTask>();
             task->setStartTime(0);
             task->setEndTime(86400);
             return task;
         }, "ZMRBooksSearchTask", "服务器出错（502），请稍后重试"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto [message, reached] = send(row.type, row.make(), row.serverTask);
        EXPECT_EQ(message, row.message);
        EXPECT_EQ(reached, 1u);
    }

    // A like whose result is unknown stays shown; the server may keep it.
    auto entry = pf::Dictionary::create({{"pid", 3}, {"liked", false}, {"likedCount", 4}});
    recorder->clear();
    ZMRToggleLike(entry, *shell, recorder);
    ASSERT_TRUE(runMainUntil([&] { return !recorder->errors.empty(); }));
    EXPECT_EQ(ZMRMessage(recorder->errors[0]), unknown);
    EXPECT_EQ(entry->get("liked"), pf::Value(true));
    EXPECT_EQ(entry->get("likedCount").longLongValue(), 5);

    // A list page: the same failure reaches the list with its status.
    auto list = makeDataSource(shell, "ZMRFeedsTask", false);
    list->reloadData();
    ASSERT_TRUE(runMainUntil([&] { return !list->errors.empty(); }));
    EXPECT_EQ(ZMRMessage(list->errors[0]), "服务器出错（502），请稍后重试");
}

namespace {

// The application against the seeded world of the local server, reached
// through a gateway that breaks the answers of one server task at a time,
// after the server acted on the request.
class ZMRReadFaultRoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(startSeededWorld(bus, store, server));
        std::string origin = "http://127.0.0.1:" + std::to_string(server->port());
        gateway.setAnswerer([this, origin](const std::string& body) {
            if (beforeAnswer)
                beforeAnswer(body);
            return server->answer(body, origin);
        });
        auto config = socialRoadConfig(gateway.url("/api"), origin + "/upload");
        addStoreServices(config);
        config->array("services")->add(serviceEntry("ZMRDownlinkService", {"IZMRDownlinkTask", "IKRAPIResponseTask"}));
        for (const pf::Value& entry : *config->array("services")) {
            if (entry.dictionary() && entry.dictionary()->get("class").stringOr() == "KRAPIService")
                apiEntry = entry.dictionary();
        }
        shell = ZMRShell::create(config, nullptr);
        recorder->shell = shell;
        shell->setAuth(pf::Value(10001LL), store->issueToken(10001));
        pf::NotificationCenter::defaultCenter().addObserver(ZMRConcernFailedNotification, observer,
                                                            [this](const pf::Notification& n) {
                                                                if (auto error = ZMRConcernFailure(n))
                                                                    syncErrors.push_back(*error);
                                                            });
    }
    void TearDown() override
    {
        shell.reset();
        gateway.setAnswerer(nullptr);
        server->stop();
        busRecord() = nullptr;
        KRDownlinkService::resetSharedCache();
    }
    // The error a list load of `taskType` ended with, or nothing when it loaded.
    std::optional<pf::Error> loadList(const std::string& taskType, const char* key = nullptr, const char* value = nullptr)
    {
        auto source = makeDataSource(shell, taskType, false);
        if (key)
            source->queryValues()->set(key, value);
        source->reloadData();
        EXPECT_TRUE(runMainUntil([&] { return !source->events.empty(); })) << taskType;
        return source->errors.empty() ? std::nullopt : std::optional<pf::Error>(source->errors[0]);
    }
    std::optional<pf::Error> sendTask(const pf::Protocol* type, const std::shared_ptr<KRUplinkTask>& task)
    {
        recorder->clear();
        EXPECT_TRUE(sendAndWait(shell, type, task, recorder, 30));
        return recorder->errors.empty() ? std::nullopt : std::optional<pf::Error>(recorder->errors[0]);
    }
    // Runs a follow-list sync to its end; its failure, if any.
    std::optional<pf::Error> sync()
    {
        std::size_t failures = syncErrors.size();
        auto task = std::make_shared<ZMRConcernTask>();
        shell->handle(proto::IZMRConcernTask(), task, 0);
        EXPECT_TRUE(runMainUntil([&] { return syncErrors.size() > failures || task->status() == 0; }));
        return syncErrors.size() > failures ? std::optional<pf::Error>(syncErrors.back()) : std::nullopt;
    }

    TemporaryHome home;
    BusRecord bus;
    std::shared_ptr<zmr::AppStore> store;
    std::unique_ptr<zmr::AppServer> server;
    zmr::FaultServer gateway;
    std::function<void(const std::string&)> beforeAnswer; // on the gateway's threads
    pf::DictionaryRef apiEntry;
    std::shared_ptr<ZMRShell> shell;
    std::shared_ptr<UplinkRecorder> recorder = std::make_shared<UplinkRecorder>();
    std::shared_ptr<int> observer = std::make_shared<int>(0);
    std::vector<pf::Error> syncErrors;
};

}

// A read changes nothing on the server: whatever broke its answer, the
// person never reads that a submission may have been stored.
TEST_F(ZMRReadFaultRoad, EveryReadSaysWhatFailedNeverThatAWriteMayHaveBeenStored)
{
    using Fault = zmr::FaultServer::Fault;
    const std::string network = "网络连接失败，请稍后重试";
    const std::string failed = "服务器出错，请稍后重试";
    struct Column {
        const char* name;
        Fault fault;
        int status;
        const char* body;
        std::string message;
        double timeout;
    } faults[] = {
        {"lost", Fault::CloseAfterRequest, 200, R"({"error-code":0})", network, 5},
        {"reset", Fault::ResetAfterRequest, 200, R"({"error-code":0})", network, 5},
        {"cut", Fault::CutAnswer, 200, R"({"error-code":0,"list":[{"uid":1},{"uid":2}]})", network, 5},
        {"slow", Fault::Silent, 200, R"({"error-code":0})", network, 0.5},
        {"500", Fault::None, 500, "<html><body>internal error</body></html>", "服务器出错（500），请稍后重试", 5},
        {"not JSON", Fault::None, 200, "<html><body>maintenance</body></html>", failed, 5},
        {"20 MB", Fault::Oversized, 200, "", failed, 5},
    };
    struct Row {
        const char* serverTask;
        std::function<std::optional<pf::Error>()> read;
    } reads[] = {
        {"ZMRFeedsTask", [&] { return loadList("ZMRFeedsTask"); }},
        {"ZMRCommentsTask", [&] { return loadList("ZMRCommentsTask", "pid", "1"); }},
        {"ZMRPrizeListTask", [&] { return loadList("ZMRPrizeListTask"); }},
        {"ZMRUserDetailsTask", [&] { return loadList("ZMRUserDetailsTask", "uid", "10008"); }},
        {"ZMRUserFeedsTask", [&] { return loadList("ZMRUserFeedsTask", "uid", "10008"); }},
        {"ZMRFansTask", [&] { return loadList("ZMRFansTask"); }},
        {"ZMRUserConcernTask", [&] { return sync(); }},
        {"ZMRBooksSearchTask", [&] {
             auto month = std::make_shared<ZMRBooksSearchTask>();
             month->setStartTime(0);
             month->setEndTime(86400);
             return sendTask(proto::IZMRBooksSearchTask(), month);
         }},
        {"ZMRLoginTask", [&] {
             auto login = std::make_shared<ZMRLoginTask>();
             login->setAccount("demo");
             login->setPassword("demo-password");
             return sendTask(proto::IZMRLoginTask(), login);
         }},
    };
    for (const Column& column : faults) {
        apiEntry->set("timeout", column.timeout);
        gateway.setFault(column.fault);
        gateway.setReply(column.status, column.body);
        for (const Row& row : reads) {
            SCOPED_TRACE(std::string(row.serverTask) + " " + column.name);
            gateway.setTarget(std::string("taskType=") + row.serverTask);
            std::optional<pf::Error> error = row.read();
            ASSERT_TRUE(error);
            EXPECT_NE(error->code, ZMRResultUnknownCode);
            EXPECT_EQ(ZMRMessage(*error), column.message);
        }
    }
    // An answer over the bound to a write is still one the server may have acted on.
    gateway.setFault(Fault::Oversized);
    gateway.setTarget("taskType=ZMRFollowTask");
    auto follow = std::make_shared<ZMRFollowTask>();
    follow->setTuid(10008);
    auto error = sendTask(proto::IZMRFollowTask(), follow);
    ASSERT_TRUE(error);
    EXPECT_EQ(ZMRMessage(*error), unknown);
    EXPECT_TRUE(shell->hasConcernChanged()) << "the follow list syncs again";
}

// An answer that is JSON but no dictionary (an array) came after the server
// acted: a write may have been stored, a read failed at the server; none
// failed on the way.
TEST_F(ZMRReadFaultRoad, AnAnswerThatIsAnArrayIsNeverANetworkFailure)
{
    ASSERT_FALSE(sync());
    ASSERT_FALSE(shell->hasConcernChanged());
    const std::string origin = "http://127.0.0.1:" + std::to_string(server->port());
    auto entry = pf::Dictionary::create({{"pid", 2}, {"liked", false}, {"likedCount", 0}}); // not liked by 10001
    auto count = [](std::size_t n) { return static_cast<long long>(n); };
    struct Row {
        const char* serverTask;
        std::function<std::optional<pf::Error>()> send;
        std::function<long long()> held; // what the server holds of it; nothing for a read
        long long code;
        std::string message;
    } rows[] = {
        {"ZMRBooksCreateTask", [&] {
             auto task = std::make_shared<ZMRBooksCreateTask>();
             task->setPayMoney(12.5);
             return sendTask(proto::IZMRBooksCreateTask(), task);
         }, [&] { return count(store->books(10001, 0, std::numeric_limits<long long>::max()).size()); },
         ZMRResultUnknownCode, unknown},
        {"ZMRPublishTask", [&] {
             auto task = std::make_shared<ZMRPublishTask>();
             task->setBody("买到了");
             return sendTask(proto::IZMRPublishTask(), task);
         }, [&] { return store->feed({zmr::AppFeedQuery::Kind::User, 10001}, 10001, 0, 1, origin).total; },
         ZMRResultUnknownCode, unknown},
        {"ZMRRegisterTask", [&] {
             auto task = std::make_shared<ZMRRegisterTask>();
             task->setAccount("arrayfan");
             task->setPassword("secret1");
             task->setNick("数组新人");
             return sendTask(proto::IZMRRegisterTask(), task);
         }, [&] { return count(store->checkPassword("arrayfan", "secret1").has_value()); }, ZMRResultUnknownCode, unknown},
        {"ZMRFollowTask", [&] {
             auto task = std::make_shared<ZMRFollowTask>();
             task->setTuid(10008);
             return sendTask(proto::IZMRFollowTask(), task);
         }, [&] { return count(store->follows(10001, 0, 1000).size()); }, ZMRResultUnknownCode, unknown},
        {"ZMRLikeTask", [&] {
             recorder->clear();
             ZMRToggleLike(entry, *shell, recorder);
             EXPECT_TRUE(runMainUntil([&] { return !recorder->events.empty(); }));
             return recorder->errors.empty() ? std::nullopt : std::optional<pf::Error>(recorder->errors[0]);
         }, [&] { return store->likers(2, 0, 1000, origin).total; }, ZMRResultUnknownCode, unknown},
        {"ZMRFeedsTask", [&] { return loadList("ZMRFeedsTask"); }, nullptr, 0, "操作失败，错误码：0"},
        {"ZMRBooksSearchTask", [&] {
             auto month = std::make_shared<ZMRBooksSearchTask>();
             month->setStartTime(0);
             month->setEndTime(86400);
             return sendTask(proto::IZMRBooksSearchTask(), month);
         }, nullptr, ZMRServerFailedCode, "服务器出错，请稍后重试"},
    };
    gateway.setReply(200, "[]");
    const std::size_t syncs = gateway.count("/api", "taskType=ZMRUserConcernTask");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.serverTask);
        std::string part = std::string("taskType=") + row.serverTask;
        gateway.setTarget(part);
        std::size_t asked = gateway.count("/api", part);
        long long held = row.held ? row.held() : 0;
        std::optional<pf::Error> error = row.send();
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code, row.code);
        EXPECT_EQ(ZMRMessage(*error), row.message);
        EXPECT_EQ(gateway.count("/api", part), asked + 1);
        if (row.held)
            EXPECT_EQ(row.held(), held + 1) << "the server acted once";
    }
    // What the person did stays shown, as the server may keep it.
    EXPECT_TRUE(runMainUntil([&] { return gateway.count("/api", "taskType=ZMRUserConcernTask") > syncs; }))
        << "the follow list syncs again";
    EXPECT_EQ(entry->get("liked"), pf::Value(true));
    EXPECT_EQ(entry->get("likedCount").longLongValue(), 1);
}

// Pages are by offset: a follow list changed on the server between two
// pages would shift the later ones under the new version.
TEST_F(ZMRReadFaultRoad, AFollowListChangedDuringItsSyncIsReadAgainFromItsStart)
{
    for (int i = 0; i < 15; ++i) {
        zmr::AppUser user;
        ASSERT_EQ(store->addUser("extra" + std::to_string(i), "secret1", "新朋友" + std::to_string(i), user),
                  zmr::AppStore::Outcome::Ok);
        ASSERT_TRUE(store->setFollowing(10001, user.uid, true));
    }
    zmr::AppUser later;
    ASSERT_EQ(store->addUser("later", "secret1", "后来的", later), zmr::AppStore::Outcome::Ok);
    long long firstFollowed = store->follows(10001, 0, 1).at(0).uid;
    std::atomic<bool> changed = false;
    beforeAnswer = [&](const std::string& body) {
        // Another device unfollows one of page 1 and follows someone new.
        if (body.find("taskType=ZMRUserConcernTask") != std::string::npos && body.find("zmr-pageIndex=2") != std::string::npos
            && !changed.exchange(true)) {
            store->setFollowing(10001, firstFollowed, false);
            store->setFollowing(10001, later.uid, true);
        }
    };
    ASSERT_FALSE(sync());
    ASSERT_TRUE(changed);
    std::vector<long long> uids;
    for (const auto& follow : store->follows(10001, 0, 1000))
        uids.push_back(follow.uid);
    std::sort(uids.begin(), uids.end());
    std::vector<std::string> expected;
    for (long long uid : uids)
        expected.push_back(std::to_string(uid));
    EXPECT_EQ(expected.size(), 21u);
    EXPECT_EQ(dumpRows(shell->userDBContext(), "SELECT uid FROM ZMRConcernObject ORDER BY uid"), expected);
    EXPECT_EQ(shell->concernVersion(), store->followVersion(10001));
}
