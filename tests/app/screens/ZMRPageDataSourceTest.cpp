#include "tests/framework/data/DataTestSupport.h"

#include "app/screens/ZMRFeedDataSource.h"
#include "app/screens/ZMRPageDataSource.h"
#include "platform/foundation/Collections.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::string pageQuery(IZMRDownlinkTask& source)
{
    auto values = source.queryValues();
    return values->get("pageIndex").stringOr("-") + "/" + values->get("pageSize").stringOr("-");
}

std::string join(const std::vector<std::string>& words)
{
    std::string out;
    for (const auto& w : words)
        out += (out.empty() ? "" : " ") + w;
    return out;
}

template <class Source>
void play(Source& source, const std::string& script)
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
        else if (step == "size50")
            source.setPageSize(50);
        else if (step == "loaded")
            source.krDownlinkTaskDidLoaded(pf::Value(pf::Array::create({1})), nullptr);
        else if (step == "error")
            source.krDownlinkTaskDidFitalError(pf::Error{"test", 1, ""}, nullptr);
    }
}

}

TEST(ZMRPageSources, PagesAreMirroredAndEveryLoadWithdrawsFirst)
{
    struct Row {
        const char* script;
        const char* query;
        const char* bus;
    } rows[] = {
        {"", "1/20", ""},
        {"reload more more", "3/20", "cancel handle cancel handle cancel handle"},
        {"more more reload", "1/20", "cancel handle cancel handle cancel handle"},
        {"size50 refresh", "1/50", "cancel handle"},
        {"reload loaded more error", "1/20", "cancel handle cancel handle"},
        {"reload cancel", "1/20", "cancel handle cancel"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.script);
        auto bus = std::make_shared<FakeBus>();
        auto page = std::make_shared<ZMRPageDataSource>();
        auto feed = std::make_shared<ZMRFeedDataSource>();
        page->setContext(bus);
        play(*page, row.script);
        EXPECT_EQ(pageQuery(*page), row.query);
        EXPECT_EQ(join(bus->calls), row.bus);
        feed->setContext(bus);
        bus->calls.clear();
        play(*feed, row.script);
        EXPECT_EQ(pageQuery(*feed), row.query);
        EXPECT_EQ(join(bus->calls), row.bus);
    }
}
