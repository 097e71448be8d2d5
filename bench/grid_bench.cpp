// One frame of a 200-row by 20-column grid (columns 80 points, rows sized to
// their text, split lines 1 point, a frozen left column, mixed Chinese and
// Latin titles, one in twenty shrinking to fit): the grid's four layers into
// an ARGB32 surface, against plain cairo and pango drawing the same split
// rectangles and the same texts at the same places and final sizes.

#include "framework/ui/Grid.h"
#include "framework/ui/GridColumn.h"
#include "framework/ui/GridRow.h"
#include "platform/foundation/Collections.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"

#include <benchmark/benchmark.h>
#include <pango/pangocairo.h>

#include <string>

namespace {

constexpr int kRows = 200, kColumns = 20;

std::shared_ptr<Grid> makeGrid()
{
    auto grid = std::make_shared<Grid>();
    grid->setColumnSplitWidth(1);
    grid->setRowSplitHeight(1);
    grid->setApposeLeftColumns(1);
    for (int c = 0; c < kColumns; ++c) {
        auto column = grid->addColumn();
        column->setWidth(80);
        column->setTitle("列 " + std::to_string(c));
        column->setKeyPath(c % 2 ? "{percentage:rate}" : "{name}");
    }
    for (int r = 0; r < kRows; ++r) {
        std::string name = r % 20 == 0 ? "很长的名字 with a long Latin tail " : "名字 " + std::to_string(r);
        grid->addDataRow(pf::Value(pf::Dictionary::create({{"name", name}, {"rate", r / 1000.0}})))->heightToFit();
    }
    grid->updateSize();
    return grid;
}

void BM_GridDraw_200x20(benchmark::State& state)
{
    auto grid = makeGrid();
    pf::Size size = grid->size();
    auto bitmap = *pf::Bitmap::create(static_cast<int>(size.width), static_cast<int>(size.height));
    auto context = std::move(pf::GraphicsContext::create(*bitmap).value());
    pf::Rect rect{0, 0, size.width, size.height};
    for (auto _ : state) {
        grid->drawHeadToContext(*context, {0, 0, size.width, 20});
        grid->drawDataToContext(*context, rect);
        grid->drawApposeHeadToContext(*context, {0, 0, size.width, 20});
        grid->drawApposeDataToContext(*context, rect);
        benchmark::DoNotOptimize(bitmap->surface());
    }
}

// One cell's text as the grid would place it, at its final font size.
struct BareCell {
    double x, y, width, height;
    std::string text;
    PangoFontDescription* font;
};

void drawBare(cairo_t* cr, PangoLayout* layout, const BareCell& cell)
{
    cairo_save(cr);
    cairo_translate(cr, cell.x, cell.y);
    cairo_rectangle(cr, 0, 0, cell.width, cell.height);
    cairo_clip(cr);
    pango_layout_set_font_description(layout, cell.font);
    pango_layout_set_text(layout, cell.text.data(), static_cast<int>(cell.text.size()));
    pango_layout_set_width(layout, static_cast<int>(cell.width * PANGO_SCALE));
    pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    cairo_move_to(cr, 0, (cell.height - logical.height) * 0.5);
    pango_cairo_show_layout(cr, layout);
    cairo_restore(cr);
}

void BM_BareCairo_200x20(benchmark::State& state)
{
    auto grid = makeGrid();
    pf::Size size = grid->size();
    std::vector<BareCell> cells;
    std::vector<BareCell> head;
    for (std::size_t c = 0; c < grid->columns().size(); ++c) {
        const auto& column = *grid->columns()[c];
        auto layout = column.layoutTitle(column.width());
        head.push_back({1 + 81.0 * c, 0, column.width(), 20, layout.text, layout.style.font.newPangoDescription()});
    }
    double y = 1;
    for (const auto& row : grid->dataRows()) {
        double x = 1;
        for (const auto& cell : row->cells()) {
            auto layout = cell->layoutTitle(cell->width());
            cells.push_back({x, y, cell->width(), row->height(), layout.text, layout.style.font.newPangoDescription()});
            x += cell->width() + 1;
        }
        y += row->height() + 1;
    }
    auto bitmap = *pf::Bitmap::create(static_cast<int>(size.width), static_cast<int>(size.height));
    cairo_t* cr = cairo_create(bitmap->surface());
    PangoLayout* layout = pango_cairo_create_layout(cr);
    for (auto _ : state) {
        cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
        for (double rowY = 0; const auto& row : grid->dataRows()) {
            cairo_rectangle(cr, 0, rowY, size.width, 1);
            for (int c = 0; c <= kColumns; ++c)
                cairo_rectangle(cr, c * 81, rowY + 1, 1, row->height());
            cairo_fill(cr);
            rowY += row->height() + 1;
        }
        cairo_set_source_rgb(cr, 0, 0, 0);
        for (const auto& cell : cells)
            drawBare(cr, layout, cell);
        for (const auto& cell : head)
            drawBare(cr, layout, cell);
        drawBare(cr, layout, head[0]);
        // The frozen column again, as the overlay draws it.
        for (std::size_t i = 0; i < cells.size(); i += kColumns)
            drawBare(cr, layout, cells[i]);
        benchmark::DoNotOptimize(bitmap->surface());
    }
    g_object_unref(layout);
    cairo_destroy(cr);
    for (auto* list : {&cells, &head})
        for (auto& cell : *list)
            pango_font_description_free(cell.font);
}

}

BENCHMARK(BM_GridDraw_200x20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareCairo_200x20)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
