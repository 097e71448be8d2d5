#include "AuthTestSupport.h"
#include "ListTestSupport.h"

#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRDownlinkService.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/KRServiceContainer.h"
#include "platform/foundation/DispatchQueue.h"

namespace {

class ZMRLists : public AuthBus {
protected:
    std::shared_ptr<RecordingDataSource> makeList(const char* serverName, bool allowCached = true)
    {
        auto list = makeDataSource(shell, serverName, allowCached);
        list->setSource(source);
        return list;
    }
    std::shared_ptr<ZMRDownlinkService> service()
    {
        for (const auto& container : shell->serviceContainers()) {
            if (auto s = std::dynamic_pointer_cast<ZMRDownlinkService>(container->instance()))
                return s;
        }
        return nullptr;
    }
    // Lets the cache queue and the main queue finish what they handed each other.
    void settle()
    {
        for (int hop = 0; hop < 3; ++hop) {
            KRDownlinkService::dispatchQueue()->sync([] {});
            pf::RunLoop::main().runUntilIdle();
        }
    }
    std::vector<std::string> ownItems() { return ::ownItems(*lastRequest()->body()); }
};

}

TEST_F(ZMRLists, PagesAreSentWithTheirQueryItemsInKeyOrder)
{
    auto list = makeList("ZMRFeedsTask");
    list->queryValues()->set("type", "near");
    list->queryValues()->set("cid", "3");
    list->reloadData();
    EXPECT_EQ(ownItems(), (std::vector<std::string>{"config=config_zmr", "taskType=ZMRFeedsTask", "zmr-cid=3", "zmr-pageIndex=1",
                                                    "zmr-pageSize=20", "zmr-type=near"}));
    list->loadMoreData();
    EXPECT_EQ(ownItems()[3], "zmr-pageIndex=2");

    auto bare = std::make_shared<RecordingDataSource>();
    bare->setTaskType("ZMRBare");
    EXPECT_TRUE(shell->handle(proto::IZMRDownlinkTask(), bare, 0));
    EXPECT_EQ(ownItems(), (std::vector<std::string>{"config=config_zmr", "taskType=ZMRBare"}));
}

TEST_F(ZMRLists, CacheKeysFollowListAndQueryInAnyOrder)
{
    auto svc = std::make_shared<ZMRDownlinkService>();
    svc->setContext(shell);
    auto key = [&](std::initializer_list<std::pair<const char*, const char*>> values, const char* name = "L") {
        auto list = makeList(name);
        for (auto [k, v] : values)
            list->queryValues()->set(k, v);
        return *svc->dataKey(list, proto::IZMRDownlinkTask());
    };
    EXPECT_EQ(key({{"a", "1"}, {"b", "2"}}), key({{"b", "2"}, {"a", "1"}}));
    EXPECT_NE(key({{"a", "1"}}), key({{"a", "2"}}));
    EXPECT_NE(key({{"a", "1"}}, "L"), key({{"a", "1"}}, "M"));
}

TEST_F(ZMRLists, OnlyTheFirstPageOfACachedListUsesTheCache)
{
    auto first = makeList("ZMRFeedsTask");
    first->reloadData();
    respond(R"({"error-code":0,"list":[1,2]})");
    settle();
    EXPECT_EQ(first->events, std::vector<std::string>{"loaded"});

    struct Row {
        const char* name;
        bool allowCached;
        int action; // 0 reload, 1 refresh, 2 load more
        std::vector<std::string> before; // heard before the answer
    } rows[] = {
        {"reload", true, 0, {"cache"}},
        {"refresh", true, 1, {}},
        {"page two", true, 2, {}},
        {"not cached", false, 0, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto list = makeList("ZMRFeedsTask", row.allowCached);
        if (row.action == 2) {
            list->reloadData();
            settle();
            list->events.clear();
            list->loadMoreData();
        } else if (row.action == 1) {
            list->refreshData();
        } else {
            list->reloadData();
        }
        settle();
        EXPECT_EQ(list->events, row.before);
        if (!row.before.empty()) {
            EXPECT_EQ(KRJSON::encodeObject(list->data[0]), R"({"error-code":0,"list":[1,2]})");
        }
        respond(std::string(R"({"error-code":0,"list":[")") + row.name + "\"]}");
        settle();
        EXPECT_EQ(list->events.back(), "loaded");
    }
    // The refresh stored its page; page two and the uncached list did not.
    auto last = makeList("ZMRFeedsTask");
    last->reloadData();
    settle();
    ASSERT_EQ(last->events, std::vector<std::string>{"cache"});
    EXPECT_EQ(KRJSON::encodeObject(last->data[0]), R"({"error-code":0,"list":["refresh"]})");
}

TEST_F(ZMRLists, FailuresReachTheListAndLeaveTheCache)
{
    auto seed = makeList("ZMRFeedsTask");
    seed->reloadData();
    respond(R"({"error-code":0,"list":["kept"]})");
    settle();
    struct Row {
        pf::Value results;
        std::optional<pf::Error> transport;
        pf::Error expected;
    } rows[] = {
        {KRJSON::decodeText(R"({"error-code":13572,"error":"gone"})"), std::nullopt, {"ZMRDownlinkService", 13572, "gone"}},
        {pf::Value(), pf::Error{"KRHttpService", -3, "timed out"}, {"ZMRDownlinkService", ZMRNotAnsweredCode, "timed out"}},
        {KRJSON::decodeText("[1]"), std::nullopt, {"ZMRDownlinkService", 0, ""}},
    };
    for (const Row& row : rows) {
        auto list = makeList("ZMRFeedsTask");
        list->reloadData();
        respondWith(row.results, row.transport);
        settle();
        ASSERT_EQ(list->errors.size(), 1u);
        EXPECT_EQ(list->errors[0], row.expected);
    }
    auto last = makeList("ZMRFeedsTask");
    last->reloadData();
    settle();
    ASSERT_FALSE(last->data.empty());
    EXPECT_EQ(KRJSON::encodeObject(last->data[0]), R"({"error-code":0,"list":["kept"]})");
}

TEST_F(ZMRLists, OneUserNeverSeesAnothersCachedPage)
{
    shell->setAuth(pf::Value(1), "a");
    auto mine = makeList("ZMRFriendsTask");
    mine->reloadData();
    respond(R"({"error-code":0,"list":["private"]})");
    settle();

    shell->setAuth(pf::Value(2), "b");
    auto theirs = makeList("ZMRFriendsTask");
    theirs->reloadData();
    settle();
    EXPECT_TRUE(theirs->events.empty());

    // An answer asked for by user 2 that arrives after user 3 signed in is
    // delivered but cached for nobody.
    shell->setAuth(pf::Value(3), "c");
    respond(R"({"error-code":0,"list":["late"]})");
    settle();
    EXPECT_EQ(theirs->events, std::vector<std::string>{"loaded"});
    shell->setAuth(pf::Value(2), "b");
    auto again = makeList("ZMRFriendsTask");
    again->reloadData();
    settle();
    EXPECT_TRUE(again->events.empty());
}

TEST_F(ZMRLists, EachAnswerKeepsWhatWasDecidedWhenSentAndWithdrawnOnesReachNobody)
{
    auto list = makeList("ZMRFeedsTask");
    list->reloadData();
    auto pageOne = lastRequest();
    list->loadMoreData(); // not withdrawn: both requests are out
    respond(R"({"error-code":0,"list":["page 2"]})");
    respond(R"({"error-code":0,"list":["page 1"]})", pageOne);
    auto next = makeList("ZMRFeedsTask");
    next->reloadData(); // finds page 1 stored, though its list had moved on to page 2
    next->cancel();
    ASSERT_FALSE(api.cancels.empty());
    EXPECT_EQ(api.cancels.back()->task(), next);
    EXPECT_EQ(api.cancels.back()->taskType(), proto::IZMRDownlinkTask());
    respond(R"({"error-code":0,"list":["withdrawn"]})");
    settle();
    EXPECT_EQ(list->events, (std::vector<std::string>{"loaded", "loaded"}));
    EXPECT_TRUE(next->events.empty());
    next->reloadData();
    settle();
    ASSERT_EQ(next->events, std::vector<std::string>{"cache"});
    EXPECT_EQ(KRJSON::encodeObject(next->data[0]), R"({"error-code":0,"list":["page 1"]})");

    for (int i = 0; i < 10000; ++i) {
        auto each = makeList("ZMRFeedsTask");
        each->reloadData(); // a cached delivery and a request under way
        each->cancel();
    }
    next->cancel();
    settle();
    EXPECT_EQ(service()->pendingRequestCount() + service()->pendingDeliveryCount(), 0u);
}
