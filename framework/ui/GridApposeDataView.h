#pragma once

// Draws the frozen data cells, pinned to its left and right edges of its grid.
//
// Main queue only.

#include "framework/ui/GridLayerView.h"

class GridApposeDataView : public GridLayerView {
public:
    using GridLayerView::GridLayerView;

protected:
    void drawLayer(Grid& grid, pf::GraphicsContext& context, const pf::Rect& bounds) override;
};
