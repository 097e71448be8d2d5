#include "framework/ui/GridRow.h"

#include "framework/ui/Grid.h"
#include "framework/ui/GridColumn.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/View.h"

#include <algorithm>

GridRow::GridRow(Grid& grid, const pf::Value& data)
    : m_grid(grid.weak_from_this())
{
    m_cells.reserve(std::max<std::size_t>(4, grid.columns().size()));
    for (const auto& column : grid.columns())
        m_cells.push_back(column->newDataCell(data));
}

double GridRow::splitWidth() const
{
    auto owner = grid();
    return owner ? owner->effectiveSplitWidth() : 0;
}

std::vector<GridRow::CellBox> GridRow::cellBoxes(std::size_t first, std::size_t end, double split,
                                                 double& endX) const
{
    std::vector<CellBox> boxes;
    end = std::min(end, m_cells.size());
    double x = 0;
    for (std::size_t i = first; i < end; ++i) {
        x += split;
        CellBox box{i, x, m_cells[i]->width()};
        // Only colSpan − 1 following cells, and never past the range, so a
        // span cannot swallow the rest of the row or reach into another block.
        std::uint32_t span = m_cells[i]->colSpan();
        for (std::uint32_t taken = 1; taken < span && i + 1 < end; ++taken) {
            ++i;
            box.width += split + m_cells[i]->width();
        }
        boxes.push_back(box);
        x += box.width;
    }
    endX = x;
    return boxes;
}

void GridRow::drawToContext(pf::GraphicsContext& context, const pf::Rect& rect)
{
    auto owner = grid();
    double split = splitWidth();
    pf::Color splitColor = owner && owner->dataSplitColor() ? *owner->dataSplitColor() : Grid::defaultSplitColor();
    if (m_backgroundColor)
        context.fillRect(rect, *m_backgroundColor);
    double endX = 0;
    auto boxes = cellBoxes(0, m_cells.size(), split, endX);
    double x0 = rect.origin.x, y = rect.origin.y, h = rect.size.height;
    // Cells outside the clip would draw nothing.
    pf::Rect clip = context.clipBounds();
    for (const auto& box : boxes) {
        if (split > 0)
            context.fillRect({x0 + box.x - split, y, split, h}, splitColor);
        if (x0 + box.x >= clip.maxX() || x0 + box.x + box.width <= clip.origin.x)
            continue;
        context.save();
        context.translate(x0 + box.x, y);
        context.clipToRect({0, 0, box.width, h});
        m_cells[box.index]->drawToContext(context, {0, 0, box.width, h});
        context.restore();
    }
    if (split > 0)
        context.fillRect({x0 + endX, y, split, h}, splitColor);
}

void GridRow::applyCellViewTo(pf::View& host, const pf::Rect& rect)
{
    double endX = 0;
    for (const auto& box : cellBoxes(0, m_cells.size(), splitWidth(), endX)) {
        const pf::ViewRef& view = m_cells[box.index]->view();
        if (!view)
            continue;
        view->setFrame({rect.origin.x + box.x, rect.origin.y, box.width, rect.size.height});
        host.addSubview(view);
    }
}

void GridRow::heightToFit()
{
    double needed = 0;
    for (const auto& cell : m_cells) {
        const pf::EdgeInsets& p = cell->padding();
        // Measured with the font drawing uses, so a row is as tall as its text.
        const auto& layout = cell->layoutTitle(cell->width() - p.left - p.right);
        needed = std::max(needed, layout.size.height + p.top + p.bottom);
    }
    m_height = needed;
}
