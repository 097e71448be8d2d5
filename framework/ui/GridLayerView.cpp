#include "framework/ui/GridLayerView.h"

#include "framework/ui/Grid.h"

void GridLayerView::setGrid(std::shared_ptr<Grid> grid)
{
    if (grid != m_grid) {
        m_grid = std::move(grid);
        gridDidChange();
    }
    setNeedsDisplay();
}

void GridLayerView::draw(pf::GraphicsContext& context, const pf::Rect& rect)
{
    pf::View::draw(context, rect);
    // The bounds, not `rect`: a partial redraw must not shift the layer.
    if (auto grid = m_grid)
        drawLayer(*grid, context, bounds());
}
