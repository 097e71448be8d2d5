#include "framework/data/KRTabPageDataController.h"

#include "framework/data/KRDataSource.h"
#include "platform/controls/Control.h"
#include "platform/ui/PerformRequest.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kHighlightDuration = 0.2;

template <class T> T atOrLast(const std::vector<T>& list, int index)
{
    if (list.empty())
        return nullptr;
    return static_cast<unsigned>(index) < list.size() ? list[static_cast<unsigned>(index)] : list.back();
}

double centerX(const pf::ViewRef& view)
{
    return view ? view->frame().midX() : 0;
}

}

void KRTabPageDataController::setPageContentView(std::shared_ptr<pf::ScrollView> view)
{
    m_pageContentView = std::move(view);
    if (m_pageContentView)
        m_pageContentView->setDelegate(std::dynamic_pointer_cast<pf::ScrollViewDelegate>(shared_from_this()));
}

std::shared_ptr<pf::Control> KRTabPageDataController::tabButtonAtIndex(int index) const
{
    return atOrLast(buttonList(), index);
}

pf::ViewRef KRTabPageDataController::contentViewAtIndex(int index) const
{
    return atOrLast(contentViewList(), index);
}

pf::ObjectRef KRTabPageDataController::controllerAtIndex(int index) const
{
    return atOrLast(controllerList(), index);
}

void KRTabPageDataController::setSelectedIndex(unsigned index, bool animated, bool withoutOffset)
{
    if (index == selectedIndex()) {
        scrollToTabBackgroundVisable(animated);
        return;
    }
    enableButtonsExcept(index);
    if (animated)
        pf::View::animate(kHighlightDuration, [&] { scrollToTabButton(static_cast<int>(index)); });
    else
        scrollToTabButton(static_cast<int>(index));
    storeSelectedIndex(index);
    if (!withoutOffset && m_pageContentView)
        m_pageContentView->setContentOffset(pf::Point{index * m_pageContentView->bounds().width(), 0}, animated);
    tellSelectedChanged();
}

void KRTabPageDataController::scrollToTabButton(int index)
{
    auto button = tabButtonAtIndex(index);
    if (!m_tabBackgroundView || !button)
        return;
    pf::Rect frame = m_tabBackgroundView->frame();
    m_tabBackgroundView->setFrame(pf::Rect(centerX(button) - frame.width() / 2, frame.y(), frame.width(), frame.height()));
    scrollToTabBackgroundVisable(true);
}

void KRTabPageDataController::scrollToTabBackgroundVisable(bool animated)
{
    if (!m_tabBackgroundView)
        return;
    auto strip = std::dynamic_pointer_cast<pf::ScrollView>(m_tabBackgroundView->superview());
    if (!strip)
        return;
    pf::Point o = strip->contentOffset();
    double w = strip->bounds().width();
    pf::Rect f = m_tabBackgroundView->frame();
    if (f.x() - m_leftSpaceWidth < o.x)
        strip->setContentOffset(pf::Point{f.x() - m_leftSpaceWidth, 0}, true);
    else if (o.x + w < f.maxX() + m_rightSpaceWidth)
        strip->setContentOffset(pf::Point{f.maxX() + m_rightSpaceWidth - w, 0}, animated);
}

void KRTabPageDataController::reloadDataController(const pf::ObjectRef& object)
{
    auto controller = std::dynamic_pointer_cast<KRDataController>(object);
    if (!controller || !controller->dataSource())
        return;
    if (controller->dataSource()->isLoading() || controller->dataSource()->isLoaded())
        return;
    pf::cancelPreviousPerformRequests(*controller, "reloadData");
    std::weak_ptr<KRDataController> weak = controller;
    pf::performAfterDelay(controller, "reloadData", 0, [weak] {
        if (auto c = weak.lock())
            c->reloadData();
    });
}

void KRTabPageDataController::scrollViewDidContentOffsetChanged(KRScrollView& scrollView, pf::Point offset)
{
    if (&scrollView != m_pageContentView.get())
        return;
    double pageWidth = scrollView.bounds().width();
    if (!(pageWidth > 0) || !std::isfinite(pageWidth) || !std::isfinite(offset.x))
        return;
    auto keep = shared_from_this();
    double p = offset.x / pageWidth;
    int n = static_cast<int>(std::min(std::floor(scrollView.contentSize().width / pageWidth), 1e9));
    if (p < 0 || p >= n || p == std::floor(p) || p > n - 1) {
        int page = p < 0 ? 0 : p >= n ? n - 1 : static_cast<int>(std::floor(p));
        reloadDataController(controllerAtIndex(page));
        scrollToTabButton(page);
        return;
    }
    int i = static_cast<int>(std::floor(p));
    double f = p - i;
    reloadDataController(controllerAtIndex(i));
    reloadDataController(controllerAtIndex(i + 1));
    if (!m_tabBackgroundView)
        return;
    double from = centerX(tabButtonAtIndex(i)), to = centerX(tabButtonAtIndex(i + 1));
    pf::Rect frame = m_tabBackgroundView->frame();
    double center = from + (to - from) * f;
    m_tabBackgroundView->setFrame(pf::Rect(center - frame.width() / 2, frame.y(), frame.width(), frame.height()));
    scrollToTabBackgroundVisable(false);
}

void KRTabPageDataController::selectPageUnderOffset(pf::ScrollView& scrollView)
{
    if (&scrollView != m_pageContentView.get())
        return;
    double width = scrollView.bounds().width();
    double x = scrollView.contentOffset().x;
    if (!(width > 0) || !std::isfinite(x))
        return;
    double page = std::trunc(x / width);
    setSelectedIndex(page > 0 ? static_cast<unsigned>(page) : 0u, false, true);
}

void KRTabPageDataController::scrollViewDidEndScrollingAnimation(pf::ScrollView& scrollView)
{
    selectPageUnderOffset(scrollView);
}

void KRTabPageDataController::scrollViewDidEndDecelerating(pf::ScrollView& scrollView)
{
    selectPageUnderOffset(scrollView);
}

void KRTabPageDataController::scrollViewDidEndDragging(pf::ScrollView& scrollView, bool willDecelerate)
{
    if (!willDecelerate)
        selectPageUnderOffset(scrollView);
}
