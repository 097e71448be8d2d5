#pragma once

// Draws the head row (column titles) of its grid.
//
// Main queue only.

#include "framework/ui/GridLayerView.h"

class GridHeadView : public GridLayerView {
public:
    using GridLayerView::GridLayerView;

    // The grid's width at the view's own height.
    pf::Size sizeThatFits(pf::Size size) const override;

protected:
    void drawLayer(Grid& grid, pf::GraphicsContext& context, const pf::Rect& bounds) override;
};
