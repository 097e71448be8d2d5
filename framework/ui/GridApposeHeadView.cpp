#include "framework/ui/GridApposeHeadView.h"

#include "framework/ui/Grid.h"

void GridApposeHeadView::drawLayer(Grid& grid, pf::GraphicsContext& context, const pf::Rect& bounds)
{
    grid.drawApposeHeadToContext(context, bounds);
}
