#pragma once

// Draws the data rows of its grid and hosts the native views of its cells.
// A new grid clears every subview of the view (not only the old grid's cell
// views) and places the new grid's cell views over the bounds; setting the
// same grid again only redisplays.
//
// Main queue only.

#include "framework/ui/GridLayerView.h"

class GridDataView : public GridLayerView {
public:
    using GridLayerView::GridLayerView;

    // The grid's size.
    pf::Size sizeThatFits(pf::Size size) const override;

protected:
    void gridDidChange() override;
    void drawLayer(Grid& grid, pf::GraphicsContext& context, const pf::Rect& bounds) override;
};
