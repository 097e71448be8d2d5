#include "DataTestSupport.h"

#include "framework/core/KRJSON.h"
#include "framework/data/KRStatusGatherDataSource.h"
#include "platform/foundation/Collections.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::string listOf(KRDataSource& source)
{
    auto objects = source.dataObjects();
    return objects ? KRJSON::encodeObject(pf::Value(objects)) : "nil";
}

std::string join(const std::vector<std::string>& words)
{
    std::string out;
    for (const auto& w : words)
        out += (out.empty() ? "" : " ") + w;
    return out;
}

// Plays a script of steps on a page source: "reload", "refresh", "more",
// "cancel", "cache:<json>", "loaded:<json>", "error".
void play(KRPageDataSource& source, const std::string& script)
{
    std::istringstream steps(script);
    std::string step;
    while (steps >> step) {
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
        else if (step.starts_with("loaded:"))
            source.krDownlinkTaskDidLoaded(KRJSON::decodeText(step.substr(7)), nullptr);
        else
            FAIL() << "unknown step " << step;
    }
}

}

TEST(KRPageDataSource, StateTable)
{
    struct Row {
        const char* name;
        const char* script;
        const char* list;
        int pageIndex;
        bool loading, loaded, hasMore, skipCached;
        const char* heard;
    } rows[] = {
        {"cache then network", "reload cache:[1] loaded:[2,3]", "[2,3]", 1, false, true, true, false, "will cache loaded"},
        {"cache keeps loading", "reload cache:[1]", "[1]", 1, true, false, true, false, "will cache"},
        {"refresh on page 3", "reload loaded:[1] more loaded:[2] more loaded:[3] refresh", "[1,2,3]", 1, true, true, true, true,
         "will loaded will loaded will loaded will"},
        {"refresh answer replaces", "reload loaded:[1] more loaded:[2] refresh loaded:[9]", "[9]", 1, false, true, true, false,
         "will loaded will loaded will loaded"},
        {"empty page 2", "reload loaded:[1,2] more loaded:[]", "[1,2]", 2, false, true, false, false, "will loaded will loaded"},
        {"page 1 answer drops the cached pages", "reload cache:[1,2] loaded:[3]", "[3]", 1, false, true, true, false,
         "will cache loaded"},
        {"failure after cache", "reload cache:[1] error", "[1]", 1, false, true, true, false, "will cache error 9"},
        {"failure on an empty list", "reload error", "[]", 1, false, false, false, false, "will error 9"},
        {"failed load-more steps back", "reload loaded:[1] more error", "[1]", 1, false, true, true, false,
         "will loaded will error 9"},
        {"retry after step back asks page 2", "reload loaded:[1] more error more", "[1]", 2, true, true, true, false,
         "will loaded will error 9 will"},
        {"dictionary answer is one row", "reload loaded:{\"a\":1}", "[{\"a\":1}]", 1, false, true, true, false, "will loaded"},
        {"text answer adds nothing", "reload loaded:[1] more loaded:\"x\"", "[1]", 2, false, true, false, false,
         "will loaded will loaded"},
        {"cancel stops loading", "reload cancel", "[]", 1, false, false, false, false, "will"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto source = std::make_shared<KRPageDataSource>();
        auto recorder = std::make_shared<SourceRecorder>();
        source->setDelegate(recorder);
        play(*source, row.script);
        EXPECT_EQ(listOf(*source), row.list);
        EXPECT_EQ(source->pageIndex(), row.pageIndex);
        EXPECT_EQ(source->isLoading(), row.loading);
        EXPECT_EQ(source->isLoaded(), row.loaded);
        EXPECT_EQ(source->hasMoreData(), row.hasMore);
        EXPECT_EQ(source->isSkipCached(), row.skipCached);
        EXPECT_EQ(join(recorder->events), row.heard);
    }
}

TEST(KRDataSource, ResultsAreReadAtTheDataKey)
{
    struct Row {
        const char* dataKey;
        const char* answer;
        const char* list;
    } rows[] = {
        {"data.items", R"({"data":{"items":[1,"x",null,{"a":1}]}})", R"([1,"x",null,{"a":1}])"},
        {"data.items", R"({"data":{"items":{"a":1}}})", R"([{"a":1}])"},
        {"data.items", R"({"data":{"items":"text"}})", "[]"},
        {"data.items", R"({"data":null})", "[]"},
        {"data.items", R"([1,2])", "[]"},
        {nullptr, R"([1,2])", "[1,2]"},
        {nullptr, "17", "[]"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.answer);
        auto source = std::make_shared<KRDataSource>();
        if (row.dataKey)
            source->setDataKey(std::string(row.dataKey));
        source->krDownlinkTaskDidLoaded(KRJSON::decodeText(row.answer), nullptr);
        EXPECT_EQ(listOf(*source), row.list);
        EXPECT_TRUE(source->dataObjectAtIndex(-1).isNil());
        EXPECT_TRUE(source->dataObjectAtIndex(static_cast<int>(source->count())).isNil());
        EXPECT_EQ(source->isEmpty(), source->count() == 0);
    }
}

TEST(KRDataSource, ContextChangesAndDestructionWithdrawByIdentity)
{
    auto first = std::make_shared<FakeBus>();
    auto second = std::make_shared<FakeBus>();
    auto source = std::make_shared<KRPageDataSource>();
    const pf::Object* identity = source.get();
    source->setContext(first);
    source->setContext(first); // the same context again: nothing
    EXPECT_TRUE(first->calls.empty());
    source->setContext(second);
    EXPECT_EQ(first->forSources, std::vector<const pf::Object*>{identity});
    source.reset();
    EXPECT_EQ(second->forSources, std::vector<const pf::Object*>{identity});
}

TEST(KRStatusGatherDataSource, ActsForTheMemberOfItsStatus)
{
    auto bus = std::make_shared<FakeBus>();
    auto recorder = std::make_shared<SourceRecorder>();
    auto gather = std::make_shared<KRStatusGatherDataSource>();
    gather->setDelegate(recorder);
    EXPECT_EQ(gather->dataSource(), nullptr);
    EXPECT_EQ(gather->count(), 0u);
    EXPECT_FALSE(gather->isLoading());
    EXPECT_FALSE(gather->hasMoreData());
    gather->reloadData(); // no member: nothing happens

    std::vector<std::shared_ptr<KRStatusDataSource>> members;
    for (const char* status : {"hot", "new"}) {
        auto member = std::make_shared<KRStatusDataSource>();
        member->setStatus(std::string(status));
        member->setDelegate(gather);
        members.push_back(member);
    }
    gather->setDataSources(members);
    gather->setContext(bus);
    EXPECT_EQ(members[1]->context(), bus);

    struct Row {
        const char* status;
        int active;
    } rows[] = {{"new", 1}, {"hot", 0}, {"none", 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.status);
        recorder->events.clear();
        gather->setStatus(std::string(row.status));
        EXPECT_EQ(gather->dataSource(), members[row.active]);
        gather->setPageSize(7);
        EXPECT_EQ(members[row.active]->pageSize(), 7);
        gather->reloadData();
        EXPECT_TRUE(members[row.active]->isLoading());
        EXPECT_TRUE(gather->isLoading());
        members[1 - row.active]->krDownlinkTaskDidLoaded(KRJSON::decodeText("[0]"), nullptr); // dropped
        members[row.active]->krDownlinkTaskDidLoaded(KRJSON::decodeText("[1,2]"), nullptr);
        EXPECT_EQ(join(recorder->events), "will loaded");
        EXPECT_EQ(recorder->senders.back(), gather.get());
        EXPECT_EQ(gather->count(), 2u);
        EXPECT_TRUE(gather->hasMoreData());
        members[1 - row.active]->cancel();
        members[1 - row.active]->setPageSize(20);
    }
    gather.reset();
    EXPECT_EQ(members[0]->context(), nullptr);
    EXPECT_EQ(members[0]->delegate(), nullptr);
}
