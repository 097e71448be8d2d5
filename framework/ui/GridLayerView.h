#pragma once

// The base of the views that draw one layer of a grid. The view retains its
// grid; the grid's changes are not observed: after changing it, the owner
// calls updateSize on it, sizeToFit on the views and setGrid (or
// setNeedsDisplay) again. The layer is always laid out from the view's
// bounds, whatever part of it is being redrawn.
//
// Main queue only.

#include "framework/ui/IGridView.h"
#include "platform/ui/View.h"

class GridLayerView : public pf::View, public IGridView {
public:
    using pf::View::View;

    std::shared_ptr<Grid> grid() const override { return m_grid; }
    // Swaps in a different grid; redisplays in every case.
    void setGrid(std::shared_ptr<Grid> grid) override;

    bool drawsContent() const override { return true; }
    // A 200-row grid at scale 2 is taller than one bitmap may be.
    bool backsVisibleAreaOnly() const override { return true; }
    void draw(pf::GraphicsContext& context, const pf::Rect& rect) override;

protected:
    // Called when the grid changes, before the view is marked for redisplay.
    virtual void gridDidChange() {}
    virtual void drawLayer(Grid& grid, pf::GraphicsContext& context, const pf::Rect& bounds) = 0;

private:
    std::shared_ptr<Grid> m_grid;
};
