#include "RoadTestSupport.h"
#include "StoreTestSupport.h"

#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRBooksService.h"
#include "app/services/ZMRClassifyObject.h"
#include "app/services/ZMRClassifyService.h"
#include "app/services/ZMRMessage.h"
#include "app/services/ZMRConcernService.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/db/KRDBContext.h"
#include "framework/db/KRSqlite.h"
#include "tools/testserver/FaultServer.h"

#include <chrono>
#include <sqlite3.h>

namespace {

class ZMRStoreRoad : public RoadBus {
protected:
    void SetUp() override
    {
        RoadBus::SetUp();
        auto config = roadConfig(server.url());
        addStoreServices(config);
        startShell(config);
        observeStoreNotifications(observer, posted);
    }
    std::size_t count(const std::string& name) const { return countOf(posted, name); }

    std::shared_ptr<int> observer = std::make_shared<int>(0);
    std::vector<std::string> posted;
};

}

TEST_F(ZMRStoreRoad, CategoriesAndTagsSyncIntoTheApplicationDatabase)
{
    auto task = std::make_shared<ZMRClassifyTask>();
    task->setSource(task);
    ASSERT_TRUE(shell->handle(proto::IZMRClassifyTask(), task, 0));
    ASSERT_TRUE(runMainUntil([&] { return count(ZMRClassifyChangedNotification) == 2; }));
    auto db = shell->appDBContext();
    EXPECT_EQ(dumpRows(db, "SELECT cid, title FROM ZMRClassifyObject ORDER BY cid").size(), 8u);
    auto tags = dumpRows(db, "SELECT tid, tag FROM ZMRTagObject ORDER BY rowid");
    ASSERT_EQ(tags.size(), 10u);
    EXPECT_EQ(tags.front(), "1|打折");

    auto get = std::make_shared<ZMRClassifyGetTask>();
    get->setCid(3);
    ASSERT_TRUE(shell->handle(proto::IZMRClassifyGetTask(), get, 0));
    auto found = std::dynamic_pointer_cast<ZMRClassifyObject>(get->dataObject());
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->title(), "数码");
}

TEST_F(ZMRStoreRoad, FollowListIsMirroredPageByPageAndResyncedByVersion)
{
    // Eleven users fill one page of ten and one more.
    std::vector<long long> others;
    for (int i = 0; i < 11; ++i)
        others.push_back(signUp("other" + std::to_string(i)));
    long long me = signUp("me");
    for (long long uid : others) {
        auto follow = std::make_shared<ZMRFollowTask>();
        follow->setTuid(uid);
        ASSERT_TRUE(sendAndWait(shell, proto::IZMRFollowTask(), follow, recorder));
    }
    auto self = std::make_shared<ZMRFollowTask>();
    self->setTuid(me);
    ASSERT_TRUE(sendAndWait(shell, proto::IZMRFollowTask(), self, recorder));
    ASSERT_EQ(recorder->errors.size(), 1u);
    EXPECT_TRUE(shell->hasConcernChanged());

    auto sync = [&] {
        posted.clear();
        long long before = shell->concernVersion();
        auto task = std::make_shared<ZMRConcernTask>();
        task->setSource(task);
        shell->handle(proto::IZMRConcernTask(), task, 0);
        EXPECT_TRUE(runMainUntil([&] { return shell->concernVersion() != before && task->status() == 0; }));
    };
    sync();
    EXPECT_EQ(count(ZMRConcernChangedNotification), 3u);
    EXPECT_FALSE(shell->hasConcernChanged());
    // The server's versions are milliseconds, past 32 bits.
    EXPECT_GT(shell->concernVersion(), 1LL << 32);
    auto rows = dumpRows(shell->userDBContext(), "SELECT uid, nick, version FROM ZMRConcernObject ORDER BY rowid");
    ASSERT_EQ(rows.size(), 11u);
    EXPECT_EQ(rows.front(), std::to_string(others.front()) + "|nick other0|" + std::to_string(shell->concernVersion()));

    auto unfollow = std::make_shared<ZMRUnFollowTask>();
    unfollow->setTuid(others.front());
    ASSERT_TRUE(sendAndWait(shell, proto::IZMRUnFollowTask(), unfollow, recorder));
    EXPECT_EQ(dumpRows(shell->userDBContext(), "SELECT uid FROM ZMRConcernObject").size(), 10u);

    // The list changed on the server: a new version replaces the table.
    long long old = shell->concernVersion();
    sync();
    EXPECT_GT(shell->concernVersion(), old);
    EXPECT_EQ(count(ZMRConcernChangedNotification), 2u);
    rows = dumpRows(shell->userDBContext(), "SELECT uid FROM ZMRConcernObject ORDER BY rowid");
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows.front(), std::to_string(others[1]));
}

// Twenty thousand at the server's ten a page: two thousand pages.
TEST_F(ZMRStoreRoad, AFollowListOfTwentyThousandSyncsWholeAndItsVersionIsKept)
{
    std::string path = home.path() + "/server.db";
    AppServerProcess large({"--db", path});
    ASSERT_TRUE(large.isRunning());
    auto config = roadConfig(large.url());
    addStoreServices(config);
    startShell(config);
    long long me = signUp("many");

    // Written straight into the server's store, in one transaction.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    sqlite3_busy_timeout(db, 5000);
    std::string uid = std::to_string(me);
    std::string seed = "BEGIN;"
                       "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000)"
                       " INSERT INTO users (account, nick) SELECT 'f' || i, 'follow ' || i FROM n;"
                       "INSERT INTO follows (uid, tuid) SELECT " + uid + ", uid FROM users WHERE uid <> " + uid + " ORDER BY uid;"
                       "INSERT OR REPLACE INTO follow_versions (uid, version) VALUES (" + uid + ", 1785000000123);"
                       "COMMIT;";
    char* failure = nullptr;
    EXPECT_EQ(sqlite3_exec(db, seed.c_str(), nullptr, nullptr, &failure), SQLITE_OK) << (failure ? failure : "");
    sqlite3_free(failure);
    sqlite3_close(db);

    auto task = std::make_shared<ZMRConcernTask>();
    task->setSource(task);
    shell->handle(proto::IZMRConcernTask(), task, 0);
    ASSERT_TRUE(runMainUntil([&] { return task->status() == 0; }, 240)) << "stopped at page " << task->pageIndex();
    EXPECT_EQ(shell->concernVersion(), 1785000000123LL);
    auto rows = dumpRows(shell->userDBContext(), "SELECT COUNT(*), COUNT(DISTINCT uid) FROM ZMRConcernObject");
    EXPECT_EQ(rows, std::vector<std::string>{"20000|20000"});
    EXPECT_EQ(count(ZMRConcernChangedNotification), 2001u);
}

TEST_F(ZMRStoreRoad, LedgerEntriesAreCreatedAndTheMonthSearchMirrorsThem)
{
    signUp("ledger");
    auto db = shell->userDBContext();
    for (double pay : {12.5, 30.0}) {
        auto create = std::make_shared<ZMRBooksCreateTask>();
        create->setPayMoney(pay);
        create->setShopTitle("Mart");
        auto categories = pf::Array::create();
        for (long long cid : {1, 3}) {
            auto category = std::make_shared<ZMRClassifyObject>();
            category->setCid(cid);
            categories->add(pf::ObjectRef(category));
        }
        create->setClassifyObjects(categories);
        ASSERT_TRUE(sendAndWait(shell, proto::IZMRBooksCreateTask(), create, recorder));
    }
    ASSERT_EQ(recorder->errors.size(), 0u);
    EXPECT_EQ(dumpRows(db, "SELECT payMoney, shopTitle, cids FROM ZMRBooksObject ORDER BY bid"),
              (std::vector<std::string>{"12.5|Mart|[1,3]", "30.0|Mart|[1,3]"}));

    // A stale local row of the month goes; repeated searches add no copies.
    double now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    ASSERT_TRUE(db->db()->execture("INSERT INTO ZMRBooksObject (bid, timestamp) VALUES (999999, " + std::to_string(static_cast<long long>(now)) + ")"));
    for (int round = 0; round < 2; ++round) {
        auto search = std::make_shared<ZMRBooksSearchTask>();
        search->setStartTime(now - 15 * 86400);
        search->setEndTime(now + 15 * 86400);
        ASSERT_TRUE(sendAndWait(shell, proto::IZMRBooksSearchTask(), search, recorder));
        EXPECT_EQ(dumpRows(db, "SELECT payMoney FROM ZMRBooksObject ORDER BY bid"), (std::vector<std::string>{"12.5", "30.0"}));
    }
    EXPECT_EQ(recorder->errors.size(), 0u);
    EXPECT_EQ(count(ZMRBooksChangedNotification), 4u);
}

TEST_F(ZMRStoreRoad, ASaveWithoutAWholeAnswerStoresNothingAndSaysWhetherTheServerMayHaveIt)
{
    using Fault = zmr::FaultServer::Fault;
    zmr::FaultServer faulty;
    auto config = roadConfig(faulty.url("/api"), 1.0);
    addStoreServices(config);
    // One exchange thread, so that a second save could find the first one's
    // connection open.
    for (const pf::Value& entry : *config->array("services")) {
        if (entry.dictionary()->get("class").stringValue() == "KRHttpService")
            entry.dictionary()->set("maxThreadCount", 1);
    }
    startShell(config);
    shell->setAuth(pf::Value(7LL), std::string("token-7"));
    auto db = shell->userDBContext();

    const std::string failed = "网络连接失败，请稍后重试";
    const std::string unknown = "网络异常，无法确认是否已提交成功，请先查看，再决定是否重新提交";
    const char* saved = R"({"error-code":0,"books-create-results":{"bid":5,"payMoney":12.5,"createTime":150}})";
    struct Row {
        const char* name;
        Fault fault;
        std::string answer;
        int status;
        std::size_t remarkSize;
        int saves;
        std::string message; // empty: saved
        std::size_t reachedServer;
    } rows[] = {
        {"answered", Fault::None, saved, 200, 4, 1, "", 1},
        {"answer cut before its code", Fault::None, R"({"timestamp":1785000000,"books-create-results":{"bid":6,"payMoney":1)",
         200, 4, 1, unknown, 1},
        {"error answer cut", Fault::None, R"({"timestamp":1785000000,"error-code":500,"error":"server b)", 200, 4, 1, unknown, 1},
        {"closed after reading", Fault::CloseAfterRequest, saved, 200, 4, 1, unknown, 1},
        {"reset after reading", Fault::ResetAfterRequest, saved, 200, 4, 1, unknown, 1},
        {"answer shorter than its length", Fault::CutAnswer, saved, 200, 4, 1, unknown, 1},
        {"never answered", Fault::Silent, saved, 200, 4, 1, unknown, 1},
        // Reset while the request is still being written: the server never had it.
        {"reset unread", Fault::ResetUnread, saved, 200, 4 * 1024 * 1024, 1, failed, 0},
        // The server read it before its fault or its gateway answered.
        {"error status", Fault::None, "<html>500</html>", 500, 4, 1, unknown, 1},
        {"gateway page", Fault::None, "<html><body>502 Bad Gateway</body></html>", 502, 4, 1, unknown, 1},
        {"not the server's JSON", Fault::None, "<html>maintenance</html>", 200, 4, 1, unknown, 1},
        {"error without text", Fault::None, R"({"error-code":15400})", 200, 4, 1, "操作失败，错误码：15400", 1},
        // Each save is one request on a connection of its own, answered.
        {"dropped on a reused connection", Fault::DropReused, saved, 200, 4, 2, "", 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        faulty.setFault(row.fault);
        faulty.setReply(row.status, row.answer);
        const char* save = "taskType=ZMRBooksCreateTask";
        std::size_t before = faulty.count("/api", save);
        for (int i = 0; i < row.saves; ++i) {
            ASSERT_TRUE(db->db()->execture("DELETE FROM ZMRBooksObject"));
            recorder->clear();
            auto create = std::make_shared<ZMRBooksCreateTask>();
            create->setPayMoney(12.5);
            create->setRemark(std::string(row.remarkSize, 'r'));
            ASSERT_TRUE(sendAndWait(shell, proto::IZMRBooksCreateTask(), create, recorder));
            auto stored = dumpRows(db, "SELECT bid FROM ZMRBooksObject");
            if (row.message.empty()) {
                EXPECT_TRUE(recorder->errors.empty()) << recorder->errors[0].description;
                EXPECT_EQ(stored, std::vector<std::string>{"5"});
            } else {
                ASSERT_EQ(recorder->errors.size(), 1u);
                EXPECT_EQ(ZMRMessage(recorder->errors[0]), row.message) << recorder->errors[0].description;
                EXPECT_TRUE(stored.empty());
            }
        }
        EXPECT_EQ(faulty.count("/api", save) - before, row.reachedServer);
    }
}
