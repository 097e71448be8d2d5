#include "ScreensRoadSupport.h"
#include "tests/framework/data/TableRig.h"

#include "app/screens/feed/ZMRFeedDataSource.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/data/KRURLDataSource.h"
#include "framework/dom/KRDOMSource.h"
#include "platform/foundation/DispatchQueue.h"

#include <set>

namespace {

class ZMRListRoad : public ScreensRoad {
protected:
    template <class T> std::shared_ptr<T> attach(std::shared_ptr<T> list)
    {
        list->setContext(shell);
        list->setDelegate(heard);
        heard->events.clear();
        return list;
    }
    std::shared_ptr<ZMRFeedDataSource> makeFeed()
    {
        auto feed = attach(std::make_shared<ZMRFeedDataSource>());
        feed->setTaskType(std::string("ZMRFeedsTask"));
        feed->setDataKey(std::string("list"));
        feed->setAllowCached(true);
        return feed;
    }
    bool settled(KRDataSource& source)
    {
        bool done = waitFor([&] { return !source.isLoading(); });
        KRDownlinkService::dispatchQueue()->sync([] {});
        return done;
    }

    std::shared_ptr<Heard> heard = std::make_shared<Heard>();
};

}

TEST_F(ZMRListRoad, URLListsPageThroughTheSeededItems)
{
    auto list = attach(std::make_shared<KRURLDataSource>());
    list->setUrlKey(std::string("feeds"));
    list->setDataKey(std::string("data.items"));
    list->setErrorCodeKeyPath(std::string("status.code"));
    list->setErrorKeyPath(std::string("status.message"));
    for (auto [count, hasMore] : {std::pair{20u, true}, {40u, true}, {60u, true}, {60u, false}}) {
        list->count() ? list->loadMoreData() : list->reloadData();
        ASSERT_TRUE(settled(*list));
        EXPECT_TRUE(list->count() == count && list->hasMoreData() == hasMore) << count;
    }
    list->setUrl(base + "/lists/broken");
    heard->events.clear();
    list->reloadData();
    ASSERT_TRUE(settled(*list));
    EXPECT_EQ(heard->events, "will error17");
    EXPECT_EQ(list->count(), 60u);
}

// The seeded feed in a table: the network page with its pictures and texts,
// page 2 at the end, a pull to refresh, then on later runs the cached page
// first, kept when the server is gone. PNGs of the table go beside the test.
TEST_F(ZMRListRoad, FeedInATable)
{
    auto mainBundle = pf::Bundle::main();
    pf::Bundle::setMain(std::make_shared<pf::Bundle>(testBundle()));
    auto show = [&](TableRig& rig) {
        auto feed = makeFeed();
        rig.table->setFrame({0, 20, 320, 548});
        rig.table->setRowHeight(66);
        rig.controller->setDataSource(feed);
        rig.controller->setContext(shell);
        rig.controller->reloadData();
        // A failed fetch reaches the list at once, so a cached copy may still
        // be on its way when loading ends.
        EXPECT_TRUE(settled(*feed) && waitFor([&] { return rig.table->numberOfRowsInSection(0) == 20; }));
        rig.host.advance(0.5);
        auto cell = rig.table->cellForRowAtIndexPath({0, 0});
        auto px = rig.host.render().value()->pixelAtPoint(cell->convertPointToView({35, 33}, nullptr));
        std::string row = px.r > 200 && px.g < 160 ? "photo" : "none";
        for (const auto& view : cell->subviews())
            if (auto label = std::dynamic_pointer_cast<pf::Label>(view))
                row += "|" + label->text();
        EXPECT_EQ(row, "photo|周末超市会员日，牛奶和鸡蛋都打了八折|街角超市 省了 ¥25");
        return feed;
    };
    {
        TableRig rig("FeedCell");
        auto feed = show(rig);
        rig.host.writePng("feed-table-page1.png");
        rig.table->setContentOffset({0, 20 * 66 - 548});
        rig.controller->scrollViewDidScroll(*rig.table);
        ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return feed->isLoading(); }, pf::Seconds(15)));
        EXPECT_EQ(rig.table->tableFooterView(), rig.bottom);
        ASSERT_TRUE(settled(*feed));
        EXPECT_EQ(rig.table->numberOfRowsInSection(0), 40);
        rig.host.writePng("feed-table-page2.png");
        rig.table->setContentOffset({0, 0});
        rig.host.drag({160, 60}, {160, 300}, 0.3, 12);
        rig.host.advance(1);
        EXPECT_TRUE(feed->isLoading() && feed->isSkipCached());
        rig.host.writePng("feed-table-pulled.png");
        ASSERT_TRUE(settled(*feed));
        EXPECT_EQ(rig.table->numberOfRowsInSection(0), 20);
    }
    // With the server gone the refusal and the cached copy race; either
    // order ends with the cached rows shown.
    for (std::set<std::string> events : {std::set<std::string>{"will cache loaded "},
                                         std::set<std::string>{"will cache error ", "will error cache "}}) {
        if (events.size() > 1)
            server.kill();
        TableRig rig("FeedCell");
        show(rig);
        EXPECT_TRUE(events.contains(rig.heard->events)) << rig.heard->events;
    }
    pf::Bundle::setMain(mainBundle);
}

// The seeded posts as the server sends them gain every display field once
// the own position is known (near the seed's city centre).
TEST_F(ZMRListRoad, SeededPostsGainTheirDisplayFields)
{
    shell->didUpdateUserLocation({31.2304, 121.4737, pf::Date::now()});
    auto feed = makeFeed();
    feed->setClassify(std::string("all"));
    feed->reloadData();
    ASSERT_TRUE(settled(*feed));
    ASSERT_EQ(feed->count(), 20u);
    for (std::size_t i = 0; i < feed->count(); ++i) {
        auto post = feed->dataObjectAtIndex(static_cast<int>(i)).dictionary();
        ASSERT_TRUE(post);
        EXPECT_FALSE(post->get("fmtCreateTime").stringOr().empty()) << i;
        std::string distance = post->get("fmtDistance").stringOr();
        EXPECT_TRUE(distance.ends_with("米") || distance.ends_with("公里")) << i << ": " << distance;
        EXPECT_LT(post->get("distance").doubleValue(), 50000) << i;
        EXPECT_EQ(post->get("html").stringOr(), htmlEncodeString(post->get("body").stringOr())) << i;
    }
}
