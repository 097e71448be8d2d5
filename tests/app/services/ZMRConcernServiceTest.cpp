#include "StoreTestSupport.h"

#include "app/services/ZMRConcernObject.h"
#include "app/services/ZMRConcernService.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/db/KRDBContext.h"

namespace {

const char* const followed = "SELECT uid, nick, logo, version, py, mutual FROM ZMRConcernObject ORDER BY rowid";

class ZMRConcern : public StoreBus {
protected:
    void SetUp() override
    {
        StoreBus::SetUp();
        shell->setAuth(pf::Value(7LL), std::string("token-7"));
        recorder->events.clear();
    }
    // Requests of the follow-list sync sent so far.
    std::vector<std::shared_ptr<KRAPIRequestTask>> syncRequests() const
    {
        std::vector<std::shared_ptr<KRAPIRequestTask>> out;
        for (const auto& request : api.requests)
            if (request->taskType() == proto::IZMRConcernTask())
                out.push_back(request);
        return out;
    }
    std::shared_ptr<ZMRConcernTask> startSync()
    {
        auto task = std::make_shared<ZMRConcernTask>();
        task->setSource(source);
        EXPECT_FALSE(shell->handle(proto::IZMRConcernTask(), task, 0));
        return task;
    }
    void store(long long uid, const char* nick, long long version)
    {
        auto row = std::make_shared<ZMRConcernObject>();
        row->setUid(uid);
        row->setNick(nick);
        row->setVersion(version);
        ASSERT_TRUE(shell->userDBContext()->insertObject(row));
    }
    std::vector<std::string> rows() { return dumpRows(shell->userDBContext(), followed); }
};

}

TEST_F(ZMRConcern, FollowAndUnfollowSendTheUserAndReportToTheDelegate)
{
    store(5, "five", 1);
    store(6, "six", 1);
    store(5, "five again", 1);
    auto follow = std::make_shared<ZMRFollowTask>();
    follow->setTuid(1LL << 40);
    send(proto::IZMRFollowTask(), follow);
    EXPECT_EQ(ownItems(*lastRequest()->body()),
              (std::vector<std::string>{"config=config_zmr", "taskType=ZMRFollowTask", "zmr-tuid=1099511627776"}));
    answer(R"({"error-code":0,"ok":1})");
    EXPECT_TRUE(shell->hasConcernChanged());

    auto unfollow = std::make_shared<ZMRUnFollowTask>();
    unfollow->setTuid(5);
    send(proto::IZMRUnFollowTask(), unfollow);
    auto request = lastRequest();
    answer(R"({"error-code":9,"error":"busy"})", request);
    respondWith({}, pf::Error{"KRHttpService", 500, "down"}, request);
    EXPECT_EQ(rows().size(), 3u);
    EXPECT_EQ(notifications(ZMRConcernChangedNotification), 0u);
    answer(R"({"error-code":0})", request);
    EXPECT_EQ(rows(), (std::vector<std::string>{"6|six|-|1|-|0"}));
    EXPECT_EQ(notifications(ZMRConcernChangedNotification), 1u) << "an open follow list drops the rows";
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"success IZMRFollowTask uid=7", "fail IZMRUnFollowTask",
                                                          "fail IZMRUnFollowTask", "success IZMRUnFollowTask uid=7"}));
    EXPECT_EQ(recorder->errors[0], (pf::Error{"ZMRConcernService", 9, "busy"}));
}

TEST_F(ZMRConcern, ChangedListIsReplacedPageByPageAndItsVersionStoredAtTheEnd)
{
    store(99, "gone", 1);
    shell->setConcernVersion(5);
    auto task = startSync();
    // Beyond 32 bits, as a server's version may be.
    const char* page1 = R"({"user-concern-results":{"version":6000000001,"items":[
        {"uid":1,"nick":"Ann","logo":"http://l/1","mutual":true},{"uid":2,"nick":"张三","mutual":false}]}})";
    const char* page2 = R"({"user-concern-results":{"version":6000000001,"items":["x",{"uid":3,"nick":12,"logo":7}]}})";
    const char* page3 = R"({"user-concern-results":{"version":6000000001,"items":[]}})";
    struct Row {
        const char* answer;
        int pageIndexAfter;
        std::vector<std::string> rows;
    } steps[] = {
        {page1, 2, {"1|Ann|http://l/1|6000000001|A|1", "2|张三|-|6000000001|z|0"}},
        {page2, 3, {"1|Ann|http://l/1|6000000001|A|1", "2|张三|-|6000000001|z|0", "3||-|6000000001|-|0"}},
        {page3, 0, {"1|Ann|http://l/1|6000000001|A|1", "2|张三|-|6000000001|z|0", "3||-|6000000001|-|0"}},
    };
    int page = 1;
    for (const Row& step : steps) {
        SCOPED_TRACE(page);
        auto requests = syncRequests();
        ASSERT_EQ(requests.size(), static_cast<std::size_t>(page + 1)); // the sign-in's own sync was first
        EXPECT_EQ(ownItems(*requests.back()->body()),
                  (std::vector<std::string>{"config=config_zmr", "taskType=ZMRUserConcernTask", "zmr-version=5",
                                            "zmr-pageIndex=" + std::to_string(page)}));
        answer(step.answer, requests.back());
        EXPECT_EQ(rows(), step.rows);
        EXPECT_EQ(task->pageIndex(), step.pageIndexAfter);
        // The next page goes out on a later turn of the main queue.
        EXPECT_EQ(syncRequests().size(), requests.size());
        pf::RunLoop::main().runUntilIdle();
        ++page;
    }
    EXPECT_EQ(syncRequests().size(), 4u);
    EXPECT_EQ(shell->concernVersion(), 6000000001LL);
    EXPECT_EQ(task->status(), 0u);
    EXPECT_EQ(notifications(ZMRConcernChangedNotification), 3u);

    // The same version again changes nothing, even with items.
    startSync();
    answer(page1);
    EXPECT_EQ(rows().size(), 3u);
    EXPECT_EQ(notifications(ZMRConcernChangedNotification), 3u);
}

TEST_F(ZMRConcern, ZeroVersionIsNotSentAndFailedPagesChangeNothing)
{
    store(1, "kept", 3);
    auto task = startSync();
    EXPECT_EQ(ownItems(*lastRequest()->body()),
              (std::vector<std::string>{"config=config_zmr", "taskType=ZMRUserConcernTask", "zmr-pageIndex=1"}));
    for (const char* failed : {R"({"error-code":3,"user-concern-results":{"version":9,"items":[]}})",
                               R"({"user-concern-results":[1]})"}) {
        SCOPED_TRACE(failed);
        auto retry = startSync();
        answer(failed);
        EXPECT_EQ(retry->status(), 1u);
    }
    respondWith({}, pf::Error{"KRHttpService", 0, "offline"});
    EXPECT_EQ(rows(), (std::vector<std::string>{"1|kept|-|3|-|0"}));
    EXPECT_EQ(shell->concernVersion(), 0);
    EXPECT_EQ(notifications(ZMRConcernChangedNotification), 0u);
    // The refused page is told, for a screen with nothing stored to show it,
    // and the next visit of the follow list syncs again; the page of a sync
    // no longer running is not.
    EXPECT_EQ(notifications(ZMRConcernFailedNotification), 1u);
    EXPECT_TRUE(shell->hasConcernChanged());
}

TEST_F(ZMRConcern, APageOfAnotherVersionStartsTheSyncAgainAtMostThreeTimes)
{
    store(99, "gone", 1);
    shell->setConcernVersion(5);
    auto page = [](long long version, const char* items) {
        return std::string(R"({"user-concern-results":{"version":)") + std::to_string(version) + R"(,"items":[)" + items + "]}}";
    };
    // Each step answers the last request; the page asked for next, or 0 when the sync ended.
    struct Step {
        std::string answer;
        int nextPage;
        std::vector<std::string> rows;
    };
    auto run = [&](const std::shared_ptr<ZMRConcernTask>& task, const std::vector<Step>& steps) {
        for (const Step& step : steps) {
            SCOPED_TRACE(step.answer);
            std::size_t sent = syncRequests().size();
            answer(step.answer, syncRequests().back());
            pf::RunLoop::main().runUntilIdle();
            EXPECT_EQ(task->pageIndex(), step.nextPage);
            EXPECT_EQ(syncRequests().size(), sent + (step.nextPage ? 1 : 0));
            if (step.nextPage)
                EXPECT_EQ(ownItems(*syncRequests().back()->body()).back(), "zmr-pageIndex=" + std::to_string(step.nextPage));
            EXPECT_EQ(rows(), step.rows);
        }
    };
    const std::vector<std::string> one = {"1|a|-|7|a|0"};
    // The list changes on the server between every two pages.
    auto changing = startSync();
    run(changing, {
                      {page(7, R"({"uid":1,"nick":"a"})"), 2, one},
                      {page(8, R"({"uid":2,"nick":"b"})"), 1, one}, // nothing of another version is stored
                      {page(7, R"({"uid":1,"nick":"a"})"), 2, one},
                      {page(8, R"({"uid":2,"nick":"b"})"), 1, one},
                      {page(7, R"({"uid":1,"nick":"a"})"), 2, one},
                      {page(8, R"({"uid":2,"nick":"b"})"), 1, one},
                      {page(7, R"({"uid":1,"nick":"a"})"), 2, one},
                      {page(8, R"({"uid":2,"nick":"b"})"), 0, one}, // the fourth change: what is stored stays
                  });
    EXPECT_EQ(changing->status(), 0u);
    EXPECT_EQ(shell->concernVersion(), 5) << "no version: the next sync reads the whole list";
    EXPECT_TRUE(shell->hasConcernChanged()) << "the next visit of the follow list syncs";

    // After one change the list is read whole under one version.
    auto settled = startSync();
    run(settled, {
                     {page(8, R"({"uid":1,"nick":"a"})"), 2, {"1|a|-|8|a|0"}},
                     {page(9, R"({"uid":3,"nick":"c"})"), 1, {"1|a|-|8|a|0"}},
                     {page(9, R"({"uid":3,"nick":"c"})"), 2, {"3|c|-|9|c|0"}},
                     {page(9, R"({"uid":1,"nick":"a"})"), 3, {"3|c|-|9|c|0", "1|a|-|9|a|0"}},
                     {page(9, ""), 0, {"3|c|-|9|c|0", "1|a|-|9|a|0"}},
                 });
    EXPECT_EQ(shell->concernVersion(), 9);
}

TEST_F(ZMRConcern, OnlyTheRunningSyncWritesOrPagesOn)
{
    auto first = startSync();
    auto firstRequest = lastRequest();
    api.cancels.clear();
    auto second = startSync();
    ASSERT_EQ(api.cancels.size(), 1u);
    EXPECT_EQ(api.cancels[0]->task(), first);
    auto secondRequest = lastRequest();

    // The replaced sync's answer is ignored.
    answer(R"({"user-concern-results":{"version":4,"items":[{"uid":1,"nick":"a"}]}})", firstRequest);
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(notifications(ZMRConcernChangedNotification), 0u);

    // A page queued before the user signed out is never sent.
    answer(R"({"user-concern-results":{"version":4,"items":[{"uid":2,"nick":"b"}]}})", secondRequest);
    EXPECT_EQ(rows().size(), 1u);
    std::size_t sent = syncRequests().size();
    shell->setAuth(pf::Value(), std::nullopt);
    pf::RunLoop::main().runUntilIdle();
    EXPECT_EQ(syncRequests().size(), sent);

    // Cancelling is handed on along the bus.
    EXPECT_FALSE(shell->cancelHandle(proto::IZMRConcernTask(), second));
}

TEST_F(ZMRConcern, PagingGoesOnPastAThousandPagesAndStopsOnlyAtAMillionUsers)
{
    auto task = startSync();
    const char* full = R"({"user-concern-results":{"version":8,"items":[{"uid":1,"nick":"a"}]}})";
    answer(full);
    pf::RunLoop::main().runUntilIdle();
    // A list of more than ten thousand at ten a page.
    task->setPageIndex(1500);
    std::size_t sent = syncRequests().size();
    answer(full);
    pf::RunLoop::main().runUntilIdle();
    EXPECT_EQ(syncRequests().size(), sent + 1);
    EXPECT_EQ(task->pageIndex(), 1501);

    // A server that never ends its list is stopped by the users received.
    std::string endless = R"({"user-concern-results":{"version":8,"items":[0)";
    for (long long i = 1; i < ZMRConcernService::kMaxConcernItems; ++i)
        endless += ",0";
    answer(endless + "]}}");
    pf::RunLoop::main().runUntilIdle();
    EXPECT_EQ(syncRequests().size(), sent + 1);
    EXPECT_EQ(shell->concernVersion(), 0);
    EXPECT_EQ(rows().size(), 2u);
    EXPECT_EQ(notifications(ZMRConcernChangedNotification), 3u);
}

TEST_F(ZMRConcern, RefreshRewritesOnlyAStoredUserAndKeepsItsVersion)
{
    store(4, "old", 12);
    struct Row {
        const char* data;
        std::vector<std::string> rows;
    } steps[] = {
        {R"({"uid":4,"nick":"Bea","logo":"http://l/4","mutual":1})", {"4|Bea|http://l/4|12|B|1"}},
        {R"({"uid":8,"nick":"Unknown"})", {"4|Bea|http://l/4|12|B|1"}},
        // An id that is not all a number names nobody; a text of digits does.
        {R"({"uid":"4abc","nick":"Odd"})", {"4|Bea|http://l/4|12|B|1"}},
        {R"({"uid":"4","nick":"Cy","logo":"http://l/4","mutual":1})", {"4|Cy|http://l/4|12|C|1"}},
        // A profile read in part rewrites what it has and keeps the rest.
        {R"({"uid":4,"nick":null,"logo":["x"]})", {"4|Cy|http://l/4|12|C|1"}},
        {R"({"uid":4,"mutual":false})", {"4|Cy|http://l/4|12|C|0"}},
        {R"({"uid":4,"nick":"","logo":"http://l/5"})", {"4|Cy|http://l/5|12|C|0"}},
        {R"({"uid":4,"nick":" \t\u3000"})", {"4|Cy|http://l/5|12|C|0"}}, // blanks name nobody
        // So do characters that show nothing, alone or among blanks.
        {R"({"uid":4,"nick":"\u200B"})", {"4|Cy|http://l/5|12|C|0"}},
        {R"({"uid":4,"nick":"\uFEFF\u2060"})", {"4|Cy|http://l/5|12|C|0"}},
        {R"({"uid":4,"nick":" \u200B\u3000"})", {"4|Cy|http://l/5|12|C|0"}},
        // Among shown characters they stay, as the name was given.
        {R"({"uid":4,"nick":"Di\u200Bo"})", {"4|Di\u200Bo|http://l/5|12|D|0"}},
        {R"([4])", {"4|Di\u200Bo|http://l/5|12|D|0"}},
    };
    for (const Row& step : steps) {
        SCOPED_TRACE(step.data);
        auto task = std::make_shared<ZMRRefreshUserTask>();
        task->setData(KRJSON::decodeText(step.data));
        EXPECT_FALSE(shell->handle(proto::IZMRRefreshUserTask(), task, 0));
        EXPECT_EQ(rows(), step.rows);
    }
    EXPECT_EQ(notifications(ZMRConcernChangedNotification), 0u);
}
