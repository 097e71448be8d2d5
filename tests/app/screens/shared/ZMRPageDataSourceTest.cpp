#include "tests/framework/data/DataTestSupport.h"

#include "app/screens/feed/ZMRFeedDataSource.h"
#include "app/screens/shared/ZMRPageDataSource.h"
#include "platform/foundation/Collections.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// Steps: reload, refresh, more, cancel, size50, loaded, error.
std::string play(KRPageDataSource& source, IZMRDownlinkTask& list, FakeBus& bus, const std::string& script)
{
    source.setContext(std::static_pointer_cast<FakeBus>(bus.shared_from_this()));
    std::istringstream steps(script);
    for (std::string step; steps >> step;) {
        if (step == "reload" || step == "refresh")
            step == "reload" ? source.reloadData() : source.refreshData();
        else if (step == "more" || step == "cancel")
            step == "more" ? source.loadMoreData() : source.cancel();
        else if (step == "size50")
            source.setPageSize(50);
        else if (step == "loaded")
            source.krDownlinkTaskDidLoaded(pf::Value(pf::Array::create({1})), nullptr);
        else
            source.krDownlinkTaskDidFitalError(pf::Error{"test", 1, ""}, nullptr);
    }
    std::string calls;
    for (const auto& call : bus.calls)
        calls += call + " ";
    return list.queryValues()->get("pageIndex").stringOr("-") + "/" + list.queryValues()->get("pageSize").stringOr("-") + " " + calls;
}

}

TEST(ZMRPageSources, PagesAreMirroredAndEveryLoadWithdrawsFirst)
{
    struct Row {
        const char* script;
        const char* outcome; // query page, then what the bus was asked
    } rows[] = {
        {"", "1/20 "},
        {"reload more more", "3/20 cancel handle cancel handle cancel handle "},
        {"more more reload", "1/20 cancel handle cancel handle cancel handle "},
        {"size50 refresh", "1/50 cancel handle "},
        {"reload loaded more error", "1/20 cancel handle cancel handle "},
        {"reload cancel", "1/20 cancel handle cancel "},
    };
    for (const Row& row : rows) {
        auto page = std::make_shared<ZMRPageDataSource>();
        auto feed = std::make_shared<ZMRFeedDataSource>();
        EXPECT_EQ(play(*page, *page, *std::make_shared<FakeBus>(), row.script), row.outcome) << row.script;
        EXPECT_EQ(play(*feed, *feed, *std::make_shared<FakeBus>(), row.script), row.outcome) << row.script;
    }
}

// Undeclared keys of either list class are query values, kept as the text the
// list service sends; reading one back answers that text.
TEST(ZMRPageSources, UndeclaredKeysAreQueryValuesAsText)
{
    struct Row {
        const char* key;
        pf::Value set;
        pf::Value stored; // nil: the key is gone
    } rows[] = {
        {"uid", pf::Value(4294967297LL), "4294967297"},
        {"uid", pf::Value(-9007199254740993LL), "-9007199254740993"},
        {"pid", pf::Value(7), "7"},
        {"word", "鞋 <b>", "鞋 <b>"},
        {"latitude", 39.9042, "39.9042"},
        {"ratio", 0.1, "0.1"},
        {"mutual", true, "1"},
        {"hot", false, "0"},
        {"word", pf::Value(), pf::Value()},
        {"word", pf::Value::null(), pf::Value()},
    };
    auto page = std::make_shared<ZMRPageDataSource>();
    auto feed = std::make_shared<ZMRFeedDataSource>();
    for (pf::Object* source : {static_cast<pf::Object*>(page.get()), static_cast<pf::Object*>(feed.get())}) {
        auto& list = *dynamic_cast<IZMRDownlinkTask*>(source);
        source->setValueForKey("word", "old");
        for (const Row& row : rows) {
            if (std::string_view(row.key) == "mutual" && source == feed.get())
                continue; // a declared switch of the feed
            EXPECT_FALSE(source->trySetValueForKey(row.key, row.set)) << row.key;
            EXPECT_EQ(list.queryValues()->get(row.key), row.stored) << row.key << " " << row.set.description();
            EXPECT_EQ(source->valueForKey(row.key), row.stored) << row.key;
        }
        // A value no form can carry is refused and leaves the query as it was.
        source->setValueForKey("pid", "8");
        EXPECT_TRUE(source->trySetValueForKey("pid", pf::Value(pf::Array::create({1}))));
        EXPECT_EQ(list.queryValues()->get("pid"), pf::Value("8"));
        // Declared keys and the page stay what they are.
        source->setValueForKey("taskType", "ZMRUserFeedsTask");
        EXPECT_EQ(list.taskType(), "ZMRUserFeedsTask");
        EXPECT_EQ(list.queryValues()->get("pageIndex"), pf::Value("1"));
        EXPECT_FALSE(list.queryValues()->contains("taskType"));
    }
}
