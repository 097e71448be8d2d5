#include "framework/ui/GridScrollView.h"

#include "framework/ui/Grid.h"

#include <algorithm>

namespace {

IGridView* asGridView(const pf::ViewRef& view) { return dynamic_cast<IGridView*>(view.get()); }

}

std::shared_ptr<Grid> GridScrollView::grid() const
{
    auto* view = asGridView(m_gridView);
    return view ? view->grid() : nullptr;
}

void GridScrollView::setGrid(std::shared_ptr<Grid> grid)
{
    if (auto* view = asGridView(m_gridView))
        view->setGrid(grid);
    if (auto* view = asGridView(m_apposeView))
        view->setGrid(grid);
}

void GridScrollView::setGridView(pf::ViewRef view)
{
    if (view == m_gridView)
        return;
    if (m_gridView)
        m_gridView->removeFromSuperview();
    m_gridView = std::move(view);
    if (m_gridView)
        addSubview(m_gridView);
    if (m_apposeView)
        bringSubviewToFront(m_apposeView);
}

void GridScrollView::setApposeView(pf::ViewRef view)
{
    if (view == m_apposeView)
        return;
    if (m_apposeView)
        m_apposeView->removeFromSuperview();
    m_apposeView = std::move(view);
    if (m_apposeView)
        addSubview(m_apposeView);
    updateApposeFrame();
}

void GridScrollView::setContentOffset(pf::Point offset)
{
    KRScrollView::setContentOffset(offset);
    updateApposeFrame();
}

void GridScrollView::sizeToFit()
{
    if (!m_gridView)
        return;
    m_gridView->sizeToFit();
    setContentSize({m_gridView->frame().size.width, 0});
}

void GridScrollView::updateApposeFrame()
{
    if (!m_apposeView)
        return;
    double width = bounds().size.width;
    double content = contentSize().width;
    double x = std::max(0.0, contentOffset().x);
    // Not past the far end either, so a bounce does not drag the overlay along.
    if (content > width && x > content - width)
        x = content - width;
    m_apposeView->setFrame({x, 0, width, bounds().size.height});
}
