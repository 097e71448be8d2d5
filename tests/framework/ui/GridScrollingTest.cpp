#include "framework/ui/Grid.h"
#include "framework/ui/GridApposeDataView.h"
#include "framework/ui/GridApposeHeadView.h"
#include "framework/ui/GridColumn.h"
#include "framework/ui/GridDataView.h"
#include "framework/ui/GridHeadView.h"
#include "framework/ui/GridRow.h"
#include "framework/ui/GridScrollView.h"
#include "platform/foundation/Collections.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Window.h"
#include "tests/platform/graphics/PixelProbe.h"

#include <cmath>

namespace {

const pf::Color kRed = pf::Color::rgb(1, 0, 0), kBlue = pf::Color::rgb(0, 0, 1), kWhite = pf::Color::whiteColor();
constexpr double kHead = 24;

std::shared_ptr<Grid> bigGrid()
{
    auto grid = std::make_shared<Grid>();
    grid->setColumnSplitWidth(1);
    grid->setRowSplitHeight(1);
    grid->setColumnSplitColor(kRed);
    grid->setDataSplitColor(kRed);
    grid->setRowSplitColor(kBlue);
    grid->setColumnBackgroundColor(pf::Color::rgb(0.9, 0.9, 0.8));
    grid->setDataTitleFont(pf::Font::system(14));
    grid->setApposeLeftColumns(1);
    for (int c = 0; c < 20; ++c) {
        auto column = grid->addColumn();
        column->setWidth(80);
        column->setTitle(c ? "列 " + std::to_string(c) : "名称");
        column->setKeyPath(c == 0 ? "{name}" : c % 2 ? "{percentage:rate}" : "第{n}行");
        column->setDataPadding({3, 2, 3, 2});
    }
    for (int r = 0; r < 200; ++r) {
        std::string name = r % 20 == 0 ? "很长的名字 with a long Latin tail" : "名字 " + std::to_string(r);
        auto row = grid->addDataRow(pf::Value(pf::Dictionary::create({{"name", name}, {"rate", r / 1000.0}, {"n", r}})));
        row->setBackgroundColor(r % 2 ? pf::Color::rgb(0.95, 0.95, 1) : kWhite);
        row->heightToFit();
    }
    grid->updateSize();
    return grid;
}

std::shared_ptr<GridScrollView> gridScroller(const pf::Rect& frame, pf::ViewRef gridView, pf::ViewRef overlay,
                                             const std::shared_ptr<Grid>& grid)
{
    auto scroller = std::make_shared<GridScrollView>(frame);
    scroller->setGridView(std::move(gridView));
    scroller->setApposeView(std::move(overlay));
    scroller->setGrid(grid);
    scroller->sizeToFit();
    return scroller;
}

// The head follows the data sideways, as a screen would arrange it.
struct HeadFollower : KRScrollViewDelegate {
    std::weak_ptr<GridScrollView> head;
    void scrollViewDidContentOffsetChanged(KRScrollView&, pf::Point offset) override
    {
        if (auto view = head.lock())
            view->setContentOffset({offset.x, 0});
    }
};

bool isRed(pf::Rgba8 c) { return c.r > 200 && c.g < 90 && c.b < 90; }

// A red split line crosses window row `y` within a pixel of `x`.
bool splitNear(const pf::Bitmap& frame, double x, double y)
{
    for (double dx : {-1.0, -0.5, 0.0, 0.5, 1.0})
        if (isRed(frame.pixelAtPoint({x + dx, y})))
            return true;
    return false;
}

bool inkBetween(const pf::Bitmap& frame, double x0, double x1, double y)
{
    for (double x = x0; x < x1; x += 0.5) {
        pf::Rgba8 c = frame.pixelAtPoint({x, y});
        if (c.r < 100 && c.g < 100 && c.b < 100)
            return true;
    }
    return false;
}

}

// A 200-row grid with a frozen first column, dragged sideways by touch and
// scrolled down past what one bitmap may hold.
TEST(GridScrolling, DragMovesScrolledColumnsUnderPinnedFrozenOnesAndFarRowsDraw)
{
    pf::HeadlessHost host;
    auto window = pf::Window::create();
    window->setBackgroundColor(kWhite);
    window->makeKeyAndVisible();
    pf::Rect screen = window->bounds();
    auto grid = bigGrid();
    ASSERT_GT(grid->size().height * host.screen().scale(), 8192.0);

    auto head = gridScroller({0, 0, screen.width(), kHead}, std::make_shared<GridHeadView>(pf::Rect{0, 0, 10, kHead}),
                             std::make_shared<GridApposeHeadView>(), grid);
    auto data = gridScroller({0, 0, screen.width(), grid->size().height}, std::make_shared<GridDataView>(),
                             std::make_shared<GridApposeDataView>(), grid);
    auto follower = std::make_shared<HeadFollower>();
    follower->head = head;
    data->setDelegate(follower);
    auto vertical = std::make_shared<pf::ScrollView>(pf::Rect{0, kHead, screen.width(), screen.height() - kHead});
    vertical->setContentSize({screen.width(), grid->size().height});
    vertical->addSubview(data);
    window->addSubview(head);
    window->addSubview(vertical);

    auto before = host.render();
    ASSERT_TRUE(before.ok());
    pf::BitmapRef still = *before;
    // Columns before the drag: splits every 81 points from 0.
    EXPECT_TRUE(splitNear(*still, 162, kHead + 10));
    EXPECT_TRUE(splitNear(*still, 162, 10)) << "head";

    // The drag starts on the overlay, which covers the whole visible window.
    host.drag({250, kHead + 100}, {110, kHead + 100}, 0.5, 10);
    for (int i = 0; i < 600 && data->isDecelerating(); ++i)
        host.advance(1.0 / 60);
    double offset = data->contentOffset().x;
    EXPECT_GT(offset, 60.0);
    EXPECT_EQ(vertical->contentOffset().y, 0.0) << "a sideways drag does not scroll the rows";
    EXPECT_EQ(head->contentOffset().x, offset);
    auto after = host.render();
    ASSERT_TRUE(after.ok());
    const pf::Bitmap& moved = **after;
    ASSERT_TRUE(moved.writePng("grid-scrolled.png") == std::nullopt);

    // The frozen column (and its closing split) keep every pixel.
    int frozenPixels = int(82 * host.screen().scale());
    int changed = 0;
    for (int y = 0; y < moved.pixelHeight(); y += 3)
        for (int x = 0; x < frozenPixels; ++x)
            changed += !(moved.pixel(x, y) == still->pixel(x, y));
    EXPECT_EQ(changed, 0);
    // A scrolled column's split moved left by the offset, in head and data;
    // half a column further on there is none.
    double split = 81 * std::ceil((offset + 150) / 81) - offset;
    struct Probe { double y; } probes[] = {{10}, {kHead + 10}, {kHead + 300}};
    for (const auto& probe : probes) {
        EXPECT_TRUE(splitNear(moved, split, probe.y)) << probe.y;
        EXPECT_FALSE(splitNear(moved, split + 40, probe.y)) << probe.y;
    }

    // Rows past 8192 pixels, scrolled into view.
    vertical->setContentOffset({0, grid->size().height - vertical->bounds().height()});
    auto bottom = host.render();
    ASSERT_TRUE(bottom.ok());
    const auto& rows = grid->dataRows();
    double rowTop = grid->size().height - 1 - rows.back()->height();
    double inWindow = kHead + rowTop - vertical->contentOffset().y;
    ASSERT_GT((kHead + rowTop) * host.screen().scale(), 8192.0);
    EXPECT_TRUE(pf::test::pixelIs(**bottom, {200, inWindow - 0.75}, kBlue)) << "the split above the last row";
    EXPECT_TRUE(splitNear(**bottom, split, inWindow + 5));
    EXPECT_TRUE(inkBetween(**bottom, 0, 80, inWindow + rows.back()->height() / 2)) << "the frozen name";
    EXPECT_TRUE(inkBetween(**bottom, split + 1, split + 80, inWindow + rows.back()->height() / 2)) << "a scrolled cell";
}
