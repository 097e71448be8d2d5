#include "RoadTestSupport.h"
#include "StoreTestSupport.h"

#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRBooksService.h"
#include "app/services/ZMRClassifyObject.h"
#include "app/services/ZMRClassifyService.h"
#include "app/services/ZMRConcernService.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/db/KRDBContext.h"
#include "framework/db/KRSqlite.h"

#include <chrono>

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
