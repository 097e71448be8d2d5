#include "framework/data/KRContainerView.h"

#include "framework/data/KRContainerLayout.h"
#include "framework/data/KRItemViewController.h"
#include "platform/ui/PerformRequest.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr const char* kDidLayout = "didLayout";
constexpr const char* kRelayout = "relayout";
constexpr const char* kOffsetChanged = "contentOffsetChanged";

// The rects meet with an area of their own (what a non-empty intersection
// says), without building the intersection: it runs once per item per pass.
inline bool meets(const pf::Rect& r, const pf::Rect& v)
{
    if (!(r.size.width > 0 && r.size.height > 0) || !(v.size.width > 0 && v.size.height > 0))
        return false;
    double x0 = std::max(r.origin.x, v.origin.x);
    double x1 = std::min(r.origin.x + r.size.width, v.origin.x + v.size.width);
    double y0 = std::max(r.origin.y, v.origin.y);
    double y1 = std::min(r.origin.y + r.size.height, v.origin.y + v.size.height);
    return x1 > x0 && y1 > y0;
}

std::string brief(const pf::Rect& r)
{
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "{%g, %g, %g, %g}", r.x(), r.y(), r.width(), r.height());
    return buffer;
}

}

KRContainerView::KRContainerView(const pf::Rect& frame) : pf::ScrollView(frame) {}

std::shared_ptr<KRContainerViewDelegate> KRContainerView::containerDelegate() const
{
    return std::dynamic_pointer_cast<KRContainerViewDelegate>(delegate());
}

void KRContainerView::setHeaderView(pf::ViewRef view)
{
    replaceView(m_headerView, std::move(view));
}

void KRContainerView::setFooterView(pf::ViewRef view)
{
    replaceView(m_footerView, std::move(view));
}

void KRContainerView::setBackgroundView(pf::ViewRef view)
{
    replaceView(m_backgroundView, std::move(view));
}

void KRContainerView::replaceView(pf::ViewRef& slot, pf::ViewRef view)
{
    if (slot == view)
        return;
    if (slot)
        slot->removeFromSuperview();
    slot = std::move(view);
    layoutItemViews(false);
}

void KRContainerView::setFocusIndex(int index, bool animated)
{
    m_focusIndex = index;
    if (index == KRItemIndexNone)
        return;
    pf::Rect rect = itemRectAtIndex(index);
    if (rect == pf::Rect())
        return;
    // Items sit below the header, so the rect to show moves down with it.
    if (m_headerView)
        rect = rect.offsetBy(0, m_headerView->frame().height());
    scrollRectToVisible(rect, animated);
    if (!animated) {
        std::weak_ptr<pf::Object> weak = weak_from_this();
        pf::performAfterDelay(shared_from_this(), kDidLayout, 0, [weak] {
            if (auto self = std::static_pointer_cast<KRContainerView>(weak.lock()))
                if (auto d = self->containerDelegate())
                    d->krContainerViewDidLayout(*self);
        });
    }
}

void KRContainerView::reloadData()
{
    reload(true);
}

void KRContainerView::relayout()
{
    reload(false);
}

void KRContainerView::reload(bool reloadItems)
{
    auto self = shared_from_this();
    if (m_containerLayout) {
        m_containerLayout->setSize(innerSize());
        m_containerLayout->reloadData();
    }
    if (auto d = containerDelegate())
        d->krContainerViewWillLayout(*this);
    layoutItemViews(reloadItems);
    scheduleDidLayout();
}

void KRContainerView::scheduleDidLayout()
{
    pf::cancelPreviousPerformRequests(*this, kDidLayout);
    std::weak_ptr<pf::Object> weak = weak_from_this();
    pf::performAfterDelay(shared_from_this(), kDidLayout, 0, [weak] {
        if (auto self = std::static_pointer_cast<KRContainerView>(weak.lock()))
            if (auto d = self->containerDelegate())
                d->krContainerViewDidLayout(*self);
    });
}

std::shared_ptr<KRItemViewController> KRContainerView::dequeueReusableItemViewWithIdentifier(
    const std::string& identifier) const
{
    for (const auto& controller : m_queue)
        if (controller->reuseIdentifier() == identifier)
            return controller;
    return nullptr;
}

std::shared_ptr<KRItemViewController> KRContainerView::itemViewControllerAtIndex(int index) const
{
    for (const auto& controller : m_active)
        if (controller->index() == index)
            return controller;
    return nullptr;
}

pf::Rect KRContainerView::itemRectAtIndex(int index) const
{
    return m_containerLayout ? m_containerLayout->itemRectAtIndex(index) : pf::Rect();
}

bool KRContainerView::isVisableRect(const pf::Rect& rect) const
{
    return meets(rect, {contentOffset(), bounds().size});
}

bool KRContainerView::isFullVisableRect(const pf::Rect& rect) const
{
    pf::Rect visible{contentOffset(), bounds().size};
    return rect.intersection(visible).size == rect.size;
}

pf::Size KRContainerView::innerSize() const
{
    const auto& inset = contentInset();
    return {bounds().width() - inset.left - inset.right, bounds().height() - inset.top - inset.bottom};
}

void KRContainerView::setFrame(const pf::Rect& frame)
{
    pf::View::setFrame(frame);
    scheduleRelayoutIfResized();
}

void KRContainerView::layoutSubviews()
{
    pf::ScrollView::layoutSubviews();
    // Autoresizing and other frame changes that bypass setFrame.
    scheduleRelayoutIfResized();
}

void KRContainerView::scheduleRelayoutIfResized()
{
    if (!m_containerLayout || m_containerLayout->size() == innerSize())
        return;
    auto self = weak_from_this().lock();
    if (!self)
        return;
    pf::cancelPreviousPerformRequests(*this, kRelayout);
    std::weak_ptr<pf::Object> weak = self;
    pf::performAfterDelay(self, kRelayout, 0, [weak] {
        if (auto view = std::static_pointer_cast<KRContainerView>(weak.lock()))
            view->relayout();
    });
}

void KRContainerView::setContentOffset(pf::Point offset)
{
    if (offset != contentOffset()) {
        if (auto self = weak_from_this().lock()) {
            std::weak_ptr<pf::Object> weak = self;
            pf::performAfterDelay(self, kOffsetChanged, 0, [weak] {
                if (auto view = std::static_pointer_cast<KRContainerView>(weak.lock()))
                    view->contentOffsetChanged();
            });
        }
    }
    pf::ScrollView::setContentOffset(offset);
}

void KRContainerView::contentOffsetChanged()
{
    layoutItemViews(false);
    if (auto d = containerDelegate())
        d->krContainerViewDidContentOffsetChanged(*this, contentOffset());
}

void KRContainerView::recycle(const std::shared_ptr<KRItemViewController>& controller)
{
    controller->setDataItem(pf::Value());
    controller->setIndex(KRItemIndexNone);
    if (controller->reuseIdentifier() &&
        std::find(m_queue.begin(), m_queue.end(), controller) == m_queue.end())
        m_queue.push_back(controller);
    removeItemViewController(controller);
}

void KRContainerView::removeItemViewController(const std::shared_ptr<KRItemViewController>& controller)
{
    if (const auto& view = controller->viewIfLoaded())
        view->removeFromSuperview();
    std::erase(m_active, controller);
}

void KRContainerView::removeQueueItemViewController(const std::shared_ptr<KRItemViewController>& controller)
{
    std::erase(m_queue, controller);
}

void KRContainerView::layoutItemViews(bool reloadItems)
{
    auto self = shared_from_this();
    auto delegate = containerDelegate();
    int firstVisible = KRItemIndexNone;
    int firstFullVisible = KRItemIndexNone;
    bool focusVisible = false;
    std::vector<pf::ViewRef> stack;

    // The active controllers by index, sorted, taken in step with the rects
    // (few are active, and the rects come in index order). Of two claiming
    // one index the later keeps it.
    std::vector<std::pair<int, std::shared_ptr<KRItemViewController>>> byIndex;
    byIndex.reserve(m_active.size());
    for (const auto& controller : m_active)
        byIndex.emplace_back(controller->index(), controller);
    std::stable_sort(byIndex.begin(), byIndex.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t k = 1; k < byIndex.size(); ++k) {
        if (byIndex[k].first == byIndex[k - 1].first) {
            recycle(byIndex[k - 1].second);
            byIndex[k - 1].second = nullptr;
        }
    }
    size_t cursor = 0;

    const pf::Size size = bounds().size;
    const pf::Point offset = contentOffset();
    double headerHeight = 0;
    double footerHeight = 0;
    if (m_backgroundView) {
        m_backgroundView->setFrame({offset, size});
        m_backgroundView->setAutoresizingMask(pf::Autoresizing::FlexibleWidth | pf::Autoresizing::FlexibleHeight);
        stack.push_back(m_backgroundView);
    }
    if (m_headerView) {
        headerHeight = m_headerView->frame().height();
        m_headerView->setFrame({0, 0, size.width, headerHeight});
        m_headerView->setAutoresizingMask(pf::Autoresizing::FlexibleWidth | pf::Autoresizing::FlexibleBottomMargin);
        stack.push_back(m_headerView);
    }

    // Most items lie wholly above or below the visible band: two comparisons
    // settle them before the full test.
    const double bandTop = offset.y, bandBottom = offset.y + size.height;
    double contentWidth = 0;
    double lowest = 0;
    static const std::vector<pf::Rect> kNoRects;
    const auto& rects = m_containerLayout ? m_containerLayout->itemRects() : kNoRects;
    for (int i = 0; i < int(rects.size()); ++i) {
        pf::Rect rect = rects[size_t(i)];
        // maxX and maxY, inlined: this loop visits every item on every pass.
        contentWidth = std::max({contentWidth, rect.origin.x, rect.origin.x + rect.size.width});
        lowest = std::max({lowest, rect.origin.y, rect.origin.y + rect.size.height});
        rect.origin.y += headerHeight;
        while (cursor < byIndex.size() && (byIndex[cursor].first < i || !byIndex[cursor].second))
            ++cursor;
        std::shared_ptr<KRItemViewController> mapped;
        if (cursor < byIndex.size() && byIndex[cursor].first == i)
            mapped = std::move(byIndex[cursor].second);
        const bool inBand = rect.origin.y < bandBottom && rect.origin.y + rect.size.height > bandTop;
        if (!inBand || !isVisableRect(rect)) {
            if (mapped)
                recycle(mapped);
            continue;
        }
        if (firstVisible == KRItemIndexNone)
            firstVisible = i;
        if (firstFullVisible == KRItemIndexNone && isFullVisableRect(rect))
            firstFullVisible = i;
        if (i == m_focusIndex)
            focusVisible = true;
        std::shared_ptr<KRItemViewController> controller = std::move(mapped);
        if (controller) {
            if (reloadItems) {
                recycle(controller);
                controller = nullptr;
            }
        }
        if (!controller && delegate)
            controller = delegate->krContainerViewItemViewAtIndex(*this, i, rect);
        if (!controller)
            continue;
        controller->setIndex(i);
        auto view = controller->view();
        view->setFrame(rect);
        if (!view->superview() && std::find(m_active.begin(), m_active.end(), controller) == m_active.end())
            m_active.push_back(controller);
        stack.push_back(view);
        removeQueueItemViewController(controller);
    }

    if (m_footerView) {
        footerHeight = m_footerView->frame().height();
        m_footerView->setFrame({0, headerHeight + lowest, size.width, footerHeight});
        m_footerView->setAutoresizingMask(pf::Autoresizing::FlexibleWidth | pf::Autoresizing::FlexibleTopMargin);
        stack.push_back(m_footerView);
    }
    for (auto& [index, controller] : byIndex)
        if (controller)
            recycle(controller);

    for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
        if ((*it)->superview().get() == this)
            sendSubviewToBack(*it);
        else
            insertSubview(*it, 0);
    }

    pf::Size content{contentWidth, headerHeight + lowest + footerHeight};
    if (content.width < size.width)
        content.width = 0;
    if (content.height < size.height)
        content.height = 0;
    setContentSize(content);

    if (focusVisible)
        return;
    int focus = firstFullVisible != KRItemIndexNone ? firstFullVisible : firstVisible;
    if (focus == KRItemIndexNone && m_focusIndex == KRItemIndexNone)
        return;
    m_focusIndex = focus;
    if (delegate)
        delegate->krContainerViewDidFocusIndexChanged(*this, focus);
}

std::string KRContainerView::dumpText() const
{
    std::vector<std::shared_ptr<KRItemViewController>> shown(m_active);
    std::sort(shown.begin(), shown.end(), [](const auto& a, const auto& b) { return a->index() < b->index(); });
    // Piecewise: GCC 12 Release builds warn falsely on chained string sums.
    std::string out = "visible";
    for (const auto& c : shown) {
        out += ' ';
        out += std::to_string(c->index());
    }
    out += "\n";
    for (const auto& c : shown) {
        out += std::to_string(c->index());
        out += ' ';
        out += brief(c->viewIfLoaded() ? c->viewIfLoaded()->frame() : pf::Rect());
        out += '\n';
    }
    out += "queue ";
    out += std::to_string(m_queue.size());
    out += '\n';
    out += "focus ";
    out += m_focusIndex == KRItemIndexNone ? std::string("none") : std::to_string(m_focusIndex);
    out += "\n";
    return out;
}
