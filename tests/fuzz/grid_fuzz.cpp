// Links: kr_ui
// Grids built from arbitrary templates, values, widths, paddings, spans and
// frozen counts are sized and drawn in all four layers: no crash, finite sizes.

#include "FontLeakSuppressions.h"
#include "framework/ui/Grid.h"
#include "framework/ui/GridColumn.h"
#include "framework/ui/GridRow.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

struct Reader {
    const std::uint8_t* data;
    std::size_t size;
    std::uint8_t byte() { return size ? (--size, *data++) : 0; }
    std::string text(std::size_t limit) // up to a 0 byte
    {
        std::string out;
        for (char c; size && out.size() < limit && (c = static_cast<char>(byte())) != 0;)
            out += c;
        return out;
    }
    double number(double scale) { return (static_cast<int>(byte()) - 32) * scale; }
};

void check(bool condition) { condition ? void() : std::abort(); }

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Reader in{data, size};
    std::string titleTemplate = in.text(200);
    auto grid = std::make_shared<Grid>();
    grid->setColumnSplitWidth(in.number(0.1));
    grid->setRowSplitHeight(in.number(0.1));
    grid->setApposeLeftColumns(static_cast<std::int8_t>(in.byte()));
    grid->setApposeRightColumns(static_cast<std::int8_t>(in.byte()));
    grid->setLimitRows(static_cast<std::int8_t>(in.byte()));
    int columns = in.byte() % 6;
    for (int i = 0; i < columns; ++i) {
        auto column = (in.byte() & 1) ? grid->addColumn() : grid->insertColumnAt(in.byte() % 3);
        if (!column)
            continue;
        column->setWidth(in.number(1));
        column->setKeyPath(titleTemplate);
        column->setTitle(in.text(40));
        column->setClipsLastTitle(in.byte() & 1);
        column->setDataTitleMinFontSize(in.number(0.5));
        column->setDataPadding({in.number(0.5), in.number(0.5), in.number(0.5), in.number(0.5)});
        column->setDataLineBreakMode(static_cast<pf::LineBreakMode>(in.byte() % 6));
    }
    int rows = in.byte() % 5;
    for (int i = 0; i < rows; ++i) {
        auto values = pf::Dictionary::create({{"name", in.text(60)}, {"rate", in.number(1e-3)},
                                              {"list", pf::Array::create({1})}, {"huge", std::ldexp(in.number(1), 900)}});
        auto row = grid->addDataRow(pf::Value(values));
        for (const auto& cell : row->cells())
            cell->setColSpan(in.byte() % 5);
        row->heightToFit();
        check(std::isfinite(row->height()) && row->height() >= 0);
    }
    grid->updateSize();
    check(std::isfinite(grid->size().width) && std::isfinite(grid->size().height));

    auto bitmap = pf::Bitmap::create(64, 48);
    auto context = pf::GraphicsContext::create(**bitmap);
    pf::GraphicsContext& g = **context;
    for (auto draw : {&Grid::drawHeadToContext, &Grid::drawDataToContext, &Grid::drawApposeHeadToContext,
                      &Grid::drawApposeDataToContext})
        ((*grid).*draw)(g, {0, 0, 64, 48});
    return 0;
}
