#include "framework/ui/Grid.h"
#include "framework/ui/GridColumn.h"
#include "framework/ui/GridDataView.h"
#include "framework/ui/GridApposeDataView.h"
#include "framework/ui/GridScrollView.h"
#include "framework/ui/GridRow.h"
#include "platform/foundation/Value.h"

#include <gtest/gtest.h>

TEST(GridDataView, NewGridReplacesEverySubviewSameGridOnlyRedisplays)
{
    auto grid = std::make_shared<Grid>();
    grid->setColumnSplitWidth(1);
    grid->addColumn()->setWidth(50);
    grid->addColumn()->setWidth(30);
    auto row = grid->addDataRow(pf::Value());
    row->setHeight(20);
    auto cellView = pf::View::create();
    row->cells()[0]->setView(cellView);
    row->cells()[0]->setColSpan(2);
    row->cells()[1]->setView(pf::View::create()); // taken in by the span: not placed
    grid->updateSize();

    auto view = std::make_shared<GridDataView>(pf::Rect{0, 0, 10, 10});
    auto stray = pf::View::create();
    view->addSubview(stray);
    view->setGrid(grid);
    EXPECT_EQ(view->subviews(), (std::vector<pf::ViewRef>{cellView}));
    EXPECT_EQ(cellView->frame(), (pf::Rect{1, 0, 81, 20}));
    view->sizeToFit();
    EXPECT_EQ(view->frame(), (pf::Rect{0, 0, 83, 20}));

    view->addSubview(stray);
    view->setGrid(grid); // same grid: subviews stay
    EXPECT_EQ(view->subviews().size(), 2u);
    EXPECT_TRUE(view->needsDisplay());
}

TEST(GridScrollView, OverlayStaysOverTheVisibleWindowAndOffsetsAreReported)
{
    struct Listener : KRScrollViewDelegate {
        std::vector<double> offsets;
        void scrollViewDidContentOffsetChanged(KRScrollView&, pf::Point offset) override { offsets.push_back(offset.x); }
    };
    struct Row { double content, offset, expectedX; } rows[] = {{800, 100, 100}, {800, 600, 480}, {800, -30, 0}, {200, 50, 50}, {200, -10, 0}};
    for (const auto& row : rows) {
        auto scroller = std::make_shared<GridScrollView>(pf::Rect{0, 0, 320, 40});
        auto listener = std::make_shared<Listener>();
        scroller->setDelegate(listener);
        auto overlay = std::make_shared<GridApposeDataView>();
        scroller->setApposeView(overlay);
        scroller->setGridView(std::make_shared<GridDataView>());
        EXPECT_EQ(scroller->subviews().back(), overlay);
        scroller->setContentSize({row.content, 0});
        scroller->setContentOffset({row.offset, 0});
        EXPECT_EQ(overlay->frame(), (pf::Rect{row.expectedX, 0, 320, 40})) << row.content << " " << row.offset;
        EXPECT_EQ(listener->offsets, std::vector<double>{row.offset});
    }
}
