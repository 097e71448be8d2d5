#include "DataTestSupport.h"

#include "framework/core/KRJSON.h"
#include "framework/data/KRStatusGatherDataSource.h"
#include "platform/foundation/Collections.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// Steps: reload, refresh, more, cancel, error, cache:<json>, loaded:<json>.
void play(KRPageDataSource& source, const std::string& script)
{
    std::istringstream steps(script);
    for (std::string step; steps >> step;) {
        if (step == "reload")
            source.reloadData();
        else if (step == "refresh")
            source.refreshData();
        else if (step == "more")
            source.loadMoreData();
        else if (step == "cancel")
            source.cancel();
        else if (step == "error")
            source.krDownlinkTaskDidFitalError(pf::Error{"test", 9, "down"}, nullptr);
        else if (step.starts_with("cache:"))
            source.krDownlinkTaskDidLoadedFromCache(KRJSON::decodeText(step.substr(6)), pf::Date{1}, nullptr);
        else
            source.krDownlinkTaskDidLoaded(KRJSON::decodeText(step.substr(7)), nullptr);
    }
}

}

TEST(KRPageDataSource, StateTable)
{
    struct Row {
        const char* script;
        const char* list;
        int pageIndex;
        bool loading, loaded, hasMore, skipCached;
        const char* heard;
    } rows[] = {
        {"reload cache:[1] loaded:[2,3]", "[2,3]", 1, false, true, true, false, "will cache loaded"},
        {"reload loaded:[1] more loaded:[2] more loaded:[3] refresh", "[1,2,3]", 1, true, true, true, true,
         "will loaded will loaded will loaded will"},
        {"reload loaded:[1] more loaded:[2] refresh loaded:[9]", "[9]", 1, false, true, true, false, "will loaded will loaded will loaded"},
        {"reload loaded:[1,2] more loaded:[]", "[1,2]", 2, false, true, false, false, "will loaded will loaded"},
        {"reload cache:[1] error", "[1]", 1, false, true, true, false, "will cache error9"},
        {"reload error", "[]", 1, false, false, false, false, "will error9"},
        {"reload loaded:[1] more error more", "[1]", 2, true, true, true, false, "will loaded will error9 will"},
        {"reload loaded:{\"a\":1} more loaded:\"x\"", "[{\"a\":1}]", 2, false, true, false, false, "will loaded will loaded"},
        {"reload cancel", "[]", 1, false, false, false, false, "will"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.script);
        auto source = std::make_shared<KRPageDataSource>();
        auto heard = std::make_shared<Heard>();
        source->setDelegate(heard);
        play(*source, row.script);
        EXPECT_EQ(KRJSON::encodeObject(pf::Value(source->dataObjects())), row.list);
        EXPECT_TRUE(source->dataObjectAtIndex(-1).isNil() && source->dataObjectAtIndex(int(source->count())).isNil());
        EXPECT_EQ(source->pageIndex(), row.pageIndex);
        EXPECT_EQ(std::vector<bool>({source->isLoading(), source->isLoaded(), source->hasMoreData(), source->isSkipCached()}),
                  std::vector<bool>({row.loading, row.loaded, row.hasMore, row.skipCached}));
        EXPECT_EQ(heard->events, row.heard);
    }
}

TEST(KRDataSource, ContextChangesAndDestructionWithdrawByIdentity)
{
    auto first = std::make_shared<FakeBus>(), second = std::make_shared<FakeBus>();
    auto source = std::make_shared<KRPageDataSource>();
    const pf::Object* identity = source.get();
    source->setContext(first);
    source->setContext(first);
    EXPECT_TRUE(first->forSources.empty());
    source->setContext(second);
    EXPECT_EQ(first->forSources, std::vector<const pf::Object*>{identity});
    source.reset();
    EXPECT_EQ(second->forSources, std::vector<const pf::Object*>{identity});
}

TEST(KRStatusGatherDataSource, ActsForTheMemberOfItsStatus)
{
    auto bus = std::make_shared<FakeBus>();
    auto heard = std::make_shared<Heard>();
    auto gather = std::make_shared<KRStatusGatherDataSource>();
    gather->setDelegate(heard);
    gather->reloadData();
    EXPECT_TRUE(gather->count() == 0 && !gather->isLoading() && !gather->hasMoreData() && !gather->dataSource());

    std::vector<std::shared_ptr<KRStatusDataSource>> members(2);
    for (int i = 0; i < 2; ++i) {
        members[i] = std::make_shared<KRStatusDataSource>();
        members[i]->setStatus(std::string(i ? "new" : "hot"));
        members[i]->setDelegate(gather);
    }
    gather->setDataSources(members);
    gather->setContext(bus);
    EXPECT_EQ(members[1]->context(), bus);
    for (auto [status, active] : {std::pair{"new", 1}, {"hot", 0}, {"none", 0}}) {
        SCOPED_TRACE(status);
        heard->events.clear();
        gather->setStatus(std::string(status));
        gather->setPageSize(7);
        gather->reloadData();
        EXPECT_TRUE(members[active]->pageSize() == 7 && gather->isLoading());
        members[1 - active]->krDownlinkTaskDidLoaded(KRJSON::decodeText("[0]"), nullptr);
        members[active]->krDownlinkTaskDidLoaded(KRJSON::decodeText("[1,2]"), nullptr);
        EXPECT_EQ(heard->events, "will loaded");
        EXPECT_EQ(heard->lastSender, static_cast<KRDataSource*>(gather.get()));
        EXPECT_TRUE(gather->count() == 2 && gather->hasMoreData());
        members[1 - active]->setPageSize(20);
    }
    gather.reset();
    EXPECT_TRUE(!members[0]->context() && !members[0]->delegate());
}

// Members "hot", none and "new": an unmatched status, or none, means the first.
TEST(KRStatusGatherDataSource, NoMatchingStatusFallsBackToTheFirstMember)
{
    std::vector<std::shared_ptr<KRStatusDataSource>> members(3);
    for (auto& member : members)
        member = std::make_shared<KRStatusDataSource>();
    members[0]->setStatus(std::string("hot"));
    members[2]->setStatus(std::string("new"));
    auto gather = std::make_shared<KRStatusGatherDataSource>();
    gather->setDataSources(members);
    const std::pair<std::optional<std::string>, int> rows[] = {
        {std::nullopt, 0}, {std::string("none"), 0}, {std::string("new"), 2}, {std::string(), 0}};
    for (const auto& [status, active] : rows) {
        gather->setStatus(status);
        EXPECT_EQ(gather->dataSource(), members[active]) << status.value_or("(none)");
    }
}
