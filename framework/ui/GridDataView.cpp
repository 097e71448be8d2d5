#include "framework/ui/GridDataView.h"

#include "framework/ui/Grid.h"

pf::Size GridDataView::sizeThatFits(pf::Size) const { return grid() ? grid()->size() : pf::Size{}; }

void GridDataView::gridDidChange()
{
    // A copy: removing a subview changes the list being walked.
    auto subviews = this->subviews();
    for (const auto& view : subviews)
        view->removeFromSuperview();
    if (auto current = grid())
        current->applyCellViewTo(*this, bounds());
}

void GridDataView::drawLayer(Grid& grid, pf::GraphicsContext& context, const pf::Rect& bounds)
{
    grid.drawDataToContext(context, bounds);
}
