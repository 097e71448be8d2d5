#include "framework/ui/GridApposeDataView.h"

#include "framework/ui/Grid.h"

void GridApposeDataView::drawLayer(Grid& grid, pf::GraphicsContext& context, const pf::Rect& bounds)
{
    grid.drawApposeDataToContext(context, bounds);
}
