#include "TableRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <functional>

namespace {

// A short pull springs back quietly; a pull past the top view's height turns
// the top view's arrow (its direction 1), arms a refresh on release, and
// springing back below the height refreshes once (cache skipped) with the top
// view held in sight until the answer; then the table returns to the top.
TEST(KRTableDataController, PullPastTheTopViewRefreshesOnceOnSpringBack)
{
    TableRig rig;
    rig.load(30);
    auto pull = [&](double to) {
        rig.host.touchDown({160, 60});
        for (double y = 80; y <= to; y += 20)
            rig.host.touchMove({160, y});
        rig.host.advance(0.3); // the arrow's turn
    };
    struct Row {
        const char* step;
        std::function<void()> run;
        int direct;
        bool armed, loading;
        double offsetY; // NAN: not checked
    } rows[] = {
        {"short pull", [&] { pull(120); }, 0, false, false, NAN},
        {"short release", [&] { rig.host.touchUp({160, 120}); rig.host.advance(1); }, 0, false, false, 0},
        {"long pull", [&] { pull(300); }, 1, false, false, NAN},
        {"long release", [&] { rig.host.touchUp({160, 300}); }, 1, true, false, NAN},
        {"spring back", [&] { rig.host.advance(1); }, 1, false, true, -60},
        {"answer", [&] { rig.source->krDownlinkTaskDidLoaded(titledRows(30), nullptr); rig.host.advance(0.5); },
         0, false, false, 0},
        // A refresh armed without a pull (an interface file may arm one) is
        // served by the next load: the spring back after its failure sends nothing.
        {"armed", [&] { rig.controller->setAllowRefresh(true); }, 0, true, false, 0},
        {"refresh", [&] { rig.source->refreshData(); }, 1, false, true, -60},
        {"failure", [&] { rig.source->krDownlinkTaskDidFitalError(pf::Error{"t", 1, ""}, nullptr); rig.host.advance(1); },
         0, false, false, 0},
    };
    for (const Row& row : rows) {
        row.run();
        EXPECT_EQ(rig.top->direct(), row.direct) << row.step;
        EXPECT_EQ(rig.controller->allowRefresh(), row.armed) << row.step;
        EXPECT_EQ(rig.source->isLoading(), row.loading) << row.step;
        EXPECT_EQ(rig.source->isSkipCached(), row.loading) << row.step;
        EXPECT_EQ(rig.top->directImageView()->isHidden(), row.loading) << row.step; // the spinner instead
        if (!std::isnan(row.offsetY)) {
            EXPECT_EQ(rig.table->contentOffset().y, row.offsetY) << row.step;
        }
    }
    EXPECT_EQ(rig.heard->events, "will loaded will loaded will error ");
    EXPECT_TRUE(rig.top->timeLabel()->text().starts_with("最后更新: "));
}

// Load-more is queued to the next turn, once per turn, and re-checked then.
TEST(KRTableDataController, LoadMoreAtTheEndOnlyWhenWanted)
{
    struct Row {
        const char* name;
        int rows;
        std::function<void(TableRig&)> before;
        std::vector<double> offsets;
        std::function<void(TableRig&)> beforeTurn;
        int pageIndex;
        bool loading;
    } rows[] = {
        {"at the end", 30, {}, {920}, {}, 2, true},
        {"within the bottom view's height", 30, {}, {861}, {}, 2, true},
        {"further up", 30, {}, {859}, {}, 1, false},
        {"many steps, one turn", 30, {}, {880, 900, 920}, {}, 2, true},
        {"reloaded before the turn", 30, {}, {920}, [](TableRig& r) { r.source->reloadData(); }, 1, true},
        {"no more data", 30,
         [](TableRig& r) {
             r.source->loadMoreData();
             r.source->krDownlinkTaskDidLoaded(titledRows(0), nullptr);
         },
         {920}, {}, 2, false},
        {"shorter than the table", 5, {}, {0}, {}, 1, false},
    };
    for (const Row& row : rows) {
        TableRig rig;
        rig.load(row.rows);
        if (row.before)
            row.before(rig);
        for (double y : row.offsets) {
            rig.table->setContentOffset({0, y});
            rig.controller->scrollViewDidScroll(*rig.table);
        }
        if (row.beforeTurn)
            row.beforeTurn(rig);
        pf::RunLoop::main().runUntilIdle();
        EXPECT_EQ(rig.source->pageIndex(), row.pageIndex) << row.name;
        EXPECT_EQ(rig.source->isLoading(), row.loading) << row.name;
        if (row.pageIndex == 2 && row.loading) {
            EXPECT_EQ(rig.table->tableFooterView(), rig.bottom) << row.name;
        }
    }
}

// Header and footer cells frame the data rows only while there are some; an
// empty list shows the not-found view over the table instead. A cached page
// writes its time stamp into both loading views.
TEST(KRTableDataController, EmptyListShowsNotFoundViewAndNoRows)
{
    TableRig rig;
    auto header = std::make_shared<pf::TableViewCell>(), footer = std::make_shared<pf::TableViewCell>();
    header->setFrame({0, 0, 320, 30});
    footer->setFrame({0, 0, 320, 20});
    rig.controller->setHeaderCells(pf::Array::create({pf::Value(header)}));
    rig.controller->setFooterCells(pf::Array::create({pf::Value(footer)}));
    auto notFound = pf::View::create();
    notFound->setBackgroundColor(pf::Color::fromRgbHex(0x000000));
    rig.controller->setNotFoundDataView(notFound);

    rig.load(0);
    EXPECT_EQ(rig.table->numberOfRowsInSection(0), 0);
    EXPECT_EQ(notFound->superview(), rig.table);
    EXPECT_TRUE(rig.dark(rig.table, {160, 200}));

    setenv("TZ", "CST-8", 1);
    tzset();
    rig.source->reloadData();
    rig.source->krDownlinkTaskDidLoadedFromCache(titledRows(3), pf::Date{1500000000}, nullptr);
    EXPECT_EQ(rig.top->timeLabel()->text() + rig.bottom->timeLabel()->text(),
              "最后更新: 2017年07月14日 10:40最后更新: 2017年07月14日 10:40");
    EXPECT_EQ(rig.table->numberOfRowsInSection(0), 5);
    EXPECT_FALSE(notFound->superview());
    EXPECT_EQ(rig.table->rectForRowAtIndexPath({0, 0}).height(), 30);
    EXPECT_EQ(rig.table->rectForRowAtIndexPath({0, 4}).y(), 30 + 3 * 44);
    EXPECT_EQ(rig.table->cellForRowAtIndexPath({0, 4}), footer);
    EXPECT_EQ(rig.controller->dataObjectForIndexPath({0, 1}).dictionary()->get("title").stringValue(), "行 0");
    EXPECT_TRUE(rig.controller->dataObjectForIndexPath({0, 0}).isNil());
    EXPECT_TRUE(rig.controller->dataObjectForIndexPath({0, 4}).isNil());
}

// Bars fade by 0.05 per reported step down and back per step up, hide at 0,
// show fully at the top at once, and stay as they are past the end.
TEST(KRTableDataController, AutoHiddenViewsFadeByStep)
{
    TableRig rig;
    auto bar = pf::View::create();
    rig.controller->setAutoHiddenViews(pf::Array::create({pf::Value(bar)}));
    rig.load(30);
    struct Row {
        double from, to, alpha;
        bool hidden;
    } rows[] = {{10, 10, 0.95, false}, {20, 20, 0.9, false}, {30, 200, 0, true},
                {190, 190, 0.05, false}, {0, 0, 1, false}, {200, 200, 0.95, false}, {930, 930, 0.95, false}};
    for (const Row& row : rows) {
        for (double y = row.from; y <= row.to; y += 10)
            rig.table->setContentOffset({0, y});
        EXPECT_EQ(bar->alpha(), row.alpha) << row.to;
        EXPECT_EQ(bar->isHidden(), row.hidden) << row.to;
    }
}

// A file whose root is no table cell still gives (plain) rows; a top view
// of no height gives a pull progress of 0; a drag ending at rest under a top
// inset arms nothing.
TEST(KRTableDataController, PlainCellsFlatTopViewAndInset)
{
    TableRig rig("PlainRoot");
    rig.top->setFrame({0, 0, 320, 0});
    rig.load(3);
    ASSERT_EQ(rig.table->visibleCells().size(), 3u);
    EXPECT_FALSE(std::dynamic_pointer_cast<KRTableViewCell>(rig.table->visibleCells()[0]));
    rig.table->setContentOffset({0, -30});
    EXPECT_EQ(rig.top->offsetValue(), 0);
    rig.top->setFrame({0, 0, 320, 60});
    rig.table->setContentInset({64, 0, 0, 0});
    rig.table->setContentOffset({0, -64});
    rig.controller->scrollViewDidEndDragging(*rig.table, true);
    EXPECT_FALSE(rig.controller->allowRefresh());
}

}
