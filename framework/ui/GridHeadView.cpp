#include "framework/ui/GridHeadView.h"

#include "framework/ui/Grid.h"

void GridHeadView::drawLayer(Grid& grid, pf::GraphicsContext& context, const pf::Rect& bounds)
{
    grid.drawHeadToContext(context, bounds);
}

pf::Size GridHeadView::sizeThatFits(pf::Size) const
{
    return {grid() ? grid()->size().width : 0, bounds().size.height};
}
