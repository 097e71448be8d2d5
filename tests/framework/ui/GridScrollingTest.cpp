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

struct CountingDataView : GridDataView {
    void draw(pf::GraphicsContext& context, const pf::Rect& rect) override { ++draws, GridDataView::draw(context, rect); }
    int draws = 0;
};

// A red split line crosses window row `y` within a point of `x`.
bool splitNear(const pf::Bitmap& frame, double x, double y)
{
    bool found = false;
    for (double dx = -1; dx <= 1; dx += 0.5)
        found = found || frame.pixelAtPoint({x + dx, y}).near(pf::toRgba8(pf::Color::rgb(1, 0, 0)), 90);
    return found;
}

}

// 200 rows by 20 columns, the first frozen, under a head; dragged sideways
// by touch, then scrolled down past what one bitmap may hold.
TEST(GridScrolling, DragMovesScrolledColumnsUnderPinnedFrozenOnesAndFarRowsDraw)
{
    pf::HeadlessHost host;
    auto grid = std::make_shared<Grid>();
    grid->setColumnSplitWidth(1), grid->setRowSplitHeight(1), grid->setApposeLeftColumns(1);
    grid->setColumnSplitColor(pf::Color::rgb(1, 0, 0)), grid->setDataSplitColor(pf::Color::rgb(1, 0, 0));
    grid->setColumnBackgroundColor(pf::Color::rgb(0.9, 0.9, 0.8)), grid->setDataTitleFont(pf::Font::system(16));
    for (int c = 0; c < 20; ++c) {
        auto column = grid->addColumn();
        column->setWidth(80), column->setTitle(c ? "列 " + std::to_string(c) : "名称");
        column->setKeyPath(c == 0 ? "{name}" : c % 2 ? "{percentage:rate}" : "第{n}行");
    }
    for (int r = 0; r < 200; ++r) {
        std::string name = r % 20 ? "名字 " + std::to_string(r) : "很长的名字 with a long Latin tail";
        auto row = grid->addDataRow(pf::Value(pf::Dictionary::create({{"name", name}, {"rate", r / 1000.0}, {"n", r}})));
        row->setBackgroundColor(r % 2 ? pf::Color::rgb(0.95, 0.95, 1) : pf::Color::whiteColor()), row->heightToFit();
    }
    grid->updateSize();
    double height = grid->size().height;
    ASSERT_GT(height * host.screen().scale(), 8192.0);
    auto dataView = std::make_shared<CountingDataView>();
    std::shared_ptr<GridScrollView> head, data;
    for (auto [scroller, y, view, overlay] : {std::tuple{&head, 0.0, pf::ViewRef(std::make_shared<GridHeadView>(pf::Rect{0, 0, 1, 24})), pf::ViewRef(std::make_shared<GridApposeHeadView>())},
                                              {&data, 24.0, dataView, std::make_shared<GridApposeDataView>()}}) {
        *scroller = std::make_shared<GridScrollView>(pf::Rect{0, 0, 320, y ? height : 24});
        (*scroller)->setGridView(view), (*scroller)->setApposeView(overlay), (*scroller)->setGrid(grid), (*scroller)->sizeToFit();
    }
    auto window = pf::Window::create();
    window->setBackgroundColor(pf::Color::whiteColor());
    auto vertical = std::make_shared<pf::ScrollView>(pf::Rect{0, 24, 320, window->bounds().height() - 24});
    vertical->setContentSize({320, height});
    vertical->addSubview(data), window->addSubview(head), window->addSubview(vertical), window->makeKeyAndVisible();
    auto frozenPixels = [](const pf::Bitmap& frame) { // the frozen column and its closing split
        std::vector<pf::Rgba8> pixels;
        for (int i = 0; i < frame.pixelHeight() * 164; i += 7)
            pixels.push_back(frame.pixel(i % 164, i / 164));
        return pixels;
    };
    auto still = frozenPixels(**host.render());

    host.drag({250, 124}, {110, 124}, 0.5, 10); // starts on the overlay, which covers the visible window
    for (int i = 0; i < 600 && data->isDecelerating(); ++i)
        host.advance(1.0 / 60);
    double offset = data->contentOffset().x, split = 81 * std::ceil((offset + 150) / 81) - offset;
    head->setContentOffset({offset, 0}); // as a screen's scroll delegate would
    host.render();
    int draws = dataView->draws;
    vertical->setContentOffset({0, 200}); // within the backed margin: nothing is drawn again
    host.render();
    vertical->setContentOffset({0, 0});
    pf::BitmapRef moved = *host.render();
    EXPECT_GT(offset, 60.0);
    EXPECT_EQ(dataView->draws, draws);
    EXPECT_TRUE(frozenPixels(*moved) == still);
    for (auto [x, y, expected] : {std::tuple{split, 10.0, true}, {split, 137.0, true}, {split + 40, 137.0, false}})
        EXPECT_EQ(splitNear(*moved, x, y), expected) << x << "," << y;

    vertical->setContentOffset({0, height - vertical->bounds().height()});
    pf::BitmapRef bottom = *host.render();
    EXPECT_TRUE(splitNear(*bottom, split, 24 + vertical->bounds().height() - grid->dataRows().back()->height() / 2));
    EXPECT_EQ(dataView->draws, draws + 1);
}
