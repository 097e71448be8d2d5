#pragma once

// Scrolls a grid view sideways under an overlay that stays over the visible
// window of the content, so the frozen columns the overlay draws keep their
// place on screen while the rest of the grid moves. The overlay has no
// background: the scrolled grid shows between its frozen blocks. Both views
// are retained subviews and should adopt IGridView; the grid is not stored
// here but handed to them.
//
// Main queue only.

#include "framework/ui/IGridView.h"
#include "framework/ui/KRScrollView.h"

class GridScrollView : public KRScrollView, public IGridView {
public:
    using KRScrollView::KRScrollView;
    using KRScrollView::setContentOffset;

    // The grid view's grid.
    std::shared_ptr<Grid> grid() const override;
    // Gives the grid to the grid view, then to the overlay.
    void setGrid(std::shared_ptr<Grid> grid) override;

    const pf::ViewRef& gridView() const { return m_gridView; }
    void setGridView(pf::ViewRef view);
    const pf::ViewRef& apposeView() const { return m_apposeView; }
    void setApposeView(pf::ViewRef view);

    void setContentOffset(pf::Point offset) override;
    // Sizes the grid view to its grid and scrolls over its width only.
    void sizeToFit();
    // Puts the overlay over the visible window, kept within the content.
    void updateApposeFrame();

private:
    pf::ViewRef m_gridView;
    pf::ViewRef m_apposeView;
};
