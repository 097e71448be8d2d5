#include "framework/ui/Grid.h"
#include "framework/ui/GridApposeDataView.h"
#include "framework/ui/GridColumn.h"
#include "framework/ui/GridDataView.h"
#include "framework/ui/GridHeadView.h"
#include "framework/ui/GridRow.h"
#include "framework/ui/GridScrollView.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"

#include <gtest/gtest.h>

using pf::Color;
using pf::Rgba8;

namespace {

const Rgba8 kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255}, kGreen{0, 255, 0, 255}, kNone{0, 0, 0, 0};

struct Canvas {
    pf::BitmapRef bitmap;
    std::unique_ptr<pf::GraphicsContext> context;
    Canvas(int w, int h) : bitmap(*pf::Bitmap::create(w, h)), context(std::move(pf::GraphicsContext::create(*bitmap).value())) {}
    Rgba8 at(int x, int y) const { return bitmap->pixel(x, y); }
    bool inkIn(int x0, int x1, int h) const
    {
        for (int i = 0; i < (x1 - x0) * h; ++i)
            if (at(x0 + i % (x1 - x0), i / (x1 - x0)).a > 0)
                return true;
        return false;
    }
};

std::shared_ptr<Grid> threeColumns(int rows)
{
    auto grid = std::make_shared<Grid>();
    grid->setColumnSplitWidth(1);
    grid->setColumnSplitColor(Color::rgb(1, 0, 0));
    grid->setDataSplitColor(Color::rgb(1, 0, 0));
    for (double w : {50, 60, 70})
        grid->addColumn()->setWidth(w);
    for (int i = 0; i < rows; ++i)
        grid->addDataRow(pf::Value())->setHeight(20);
    return grid;
}

}

TEST(GridDrawing, FrozenBlocksPinToBothEdges)
{
    struct Row { int left, right; int x; Rgba8 expected; } rows[] = {
        {1, 1, 1, kBlue}, {1, 1, 51, kRed}, {1, 1, 52, kNone}, {1, 1, 248, kRed}, {1, 1, 249, kBlue}, {1, 1, 319, kRed},
        {5, 0, 183, kRed}, {5, 0, 184, kNone}, {-1, 0, 183, kRed}, // more than the columns, or negative: all three
        {0, 2, 186, kNone}, {0, 2, 187, kRed}, {0, 2, 188, kBlue},
    };
    for (const auto& row : rows) {
        auto grid = threeColumns(0);
        grid->setColumnBackgroundColor(Color::rgb(0, 0, 1));
        grid->setApposeLeftColumns(row.left);
        grid->setApposeRightColumns(row.right);
        Canvas canvas(320, 20);
        grid->drawApposeHeadToContext(*canvas.context, {0, 0, 320, 20});
        EXPECT_EQ(canvas.at(row.x, 10), row.expected) << row.left << "/" << row.right << " x " << row.x;
    }
}

TEST(GridDrawing, RowSplitColoursFollowNextSplitColor)
{
    auto grid = threeColumns(3);
    grid->setRowSplitHeight(1);
    grid->setRowSplitColor(Color::rgb(0, 1, 0));
    grid->dataRows()[0]->setNextSplitColor(Color::rgb(0, 0, 1));
    Canvas canvas(200, 70);
    grid->drawDataToContext(*canvas.context, {0, 0, 200, 70});
    struct Row { int y; Rgba8 expected; } rows[] = {{0, kGreen}, {21, kBlue}, {42, kGreen}, {63, kGreen}, {64, kNone}};
    for (const auto& row : rows)
        EXPECT_EQ(canvas.at(150, row.y), row.expected) << "y " << row.y;
}

TEST(GridDrawing, FrozenDataSkipsCellsARowDoesNotHave)
{
    auto grid = threeColumns(0);
    grid->removeColumnAt(2);
    grid->removeColumnAt(1);
    grid->addDataRow(pf::Value())->setHeight(20); // made before the other columns
    grid->addColumn()->setWidth(60);
    grid->addColumn()->setWidth(70);
    grid->addDataRow(pf::Value())->setHeight(20);
    grid->setApposeLeftColumns(2);
    grid->setApposeRightColumns(1);
    Canvas canvas(320, 40);
    grid->drawApposeDataToContext(*canvas.context, {0, 0, 320, 40});
    struct Row { int x, y; Rgba8 expected; } rows[] = {
        {51, 10, kRed}, {112, 10, kNone}, {248, 10, kNone}, // the short row: one cell only
        {112, 30, kRed}, {248, 30, kRed}, {249, 30, kNone}, {319, 30, kRed},
    };
    for (const auto& row : rows)
        EXPECT_EQ(canvas.at(row.x, row.y), row.expected) << row.x << "," << row.y;
}

TEST(GridDrawing, TitlesInkInsideTheirClippedBoxOnly)
{
    auto grid = std::make_shared<Grid>();
    auto column = grid->addColumn();
    column->setWidth(40);
    column->setTitle("WWWWWWWWWWWWWWWWWWWWWWWWWWWW");
    column->setTitleMinFontSize(0);
    column->setLineBreakMode(pf::LineBreakMode::CharWrap);
    grid->addColumn()->setWidth(30);
    Canvas canvas(120, 30);
    grid->drawHeadToContext(*canvas.context, {0, 0, 120, 30});
    EXPECT_TRUE(canvas.inkIn(0, 40, 30));
    EXPECT_FALSE(canvas.inkIn(40, 120, 30));
}

TEST(GridHeadView, PartialRedrawKeepsTheLayerOnTheBounds)
{
    GridHeadView view(pf::Rect{0, 0, 80, 20});
    view.setGrid(threeColumns(0));
    view.grid()->updateSize();
    view.sizeToFit();
    EXPECT_EQ(view.frame(), (pf::Rect{0, 0, 184, 20}));
    Canvas canvas(184, 20);
    view.draw(*canvas.context, {100, 0, 84, 20});
    EXPECT_EQ(canvas.at(112, 10), kRed);
    EXPECT_EQ(canvas.at(100, 10), kNone);
}

TEST(GridDataView, NewGridReplacesEverySubviewSameGridOnlyRedisplays)
{
    auto grid = threeColumns(1);
    auto row = grid->dataRows()[0];
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
    EXPECT_EQ(cellView->frame(), (pf::Rect{1, 0, 111, 20}));
    view->sizeToFit();
    EXPECT_EQ(view->frame(), (pf::Rect{0, 0, 184, 20}));

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
