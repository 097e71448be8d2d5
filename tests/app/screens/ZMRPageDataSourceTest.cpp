#include "tests/framework/data/DataTestSupport.h"

#include "app/screens/ZMRFeedDataSource.h"
#include "app/screens/ZMRPageDataSource.h"
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
