// The view tree: adding, moving and removing subviews, finding the window
// at the root and telling a subtree when its window changes.

#include "platform/foundation/RunLoop.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

#include <algorithm>

namespace pf {

ViewRef View::viewWithTag(int tag)
{
    if (m_tag == tag)
        return self();
    for (auto& child : m_subviews)
        if (auto found = child->viewWithTag(tag))
            return found;
    return nullptr;
}

// The tree --------------------------------------------------------------------

void View::addSubview(ViewRef view) { insertSubview(std::move(view), m_subviews.size()); }

void View::insertSubview(ViewRef view, std::size_t index)
{
    PF_ASSERT_MAIN_THREAD();
    if (!view || view.get() == this || isDescendantOf(*view))
        return;
    // Keep the view alive while it moves between parents.
    ViewRef keep = view;
    Window* oldWindow = rootWindow(view.get());
    view->windowWillChange(oldWindow, rootWindow(this));
    if (auto old = view->superview()) {
        // Where it was drawn is repainted; the window hears of the move once, below.
        view->invalidateVisual();
        old->m_subviews.erase(std::find(old->m_subviews.begin(), old->m_subviews.end(), view));
        old->setNeedsLayout();
    }
    index = std::min(index, m_subviews.size());
    m_subviews.insert(m_subviews.begin() + long(index), view);
    view->m_superview = std::static_pointer_cast<View>(weak_from_this().lock());
    view->invalidateVisual();
    setNeedsLayout();
    view->windowChanged(oldWindow);
}

void View::removeSubview(View& view)
{
    view.invalidateVisual();
    auto it = std::find_if(m_subviews.begin(), m_subviews.end(), [&](const ViewRef& v) { return v.get() == &view; });
    if (it == m_subviews.end())
        return;
    ViewRef keep = *it;
    Window* oldWindow = rootWindow(&view);
    view.windowWillChange(oldWindow, nullptr);
    m_subviews.erase(it);
    view.m_superview.reset();
    setNeedsLayout();
    view.windowChanged(oldWindow);
}

void View::removeFromSuperview()
{
    if (auto parent = superview())
        parent->removeSubview(*this);
}

void View::bringSubviewToFront(const ViewRef& view)
{
    if (!view || view->superview().get() != this)
        return;
    auto it = std::find(m_subviews.begin(), m_subviews.end(), view);
    std::rotate(it, it + 1, m_subviews.end());
    view->invalidateVisual();
}

void View::sendSubviewToBack(const ViewRef& view)
{
    if (!view || view->superview().get() != this)
        return;
    auto it = std::find(m_subviews.begin(), m_subviews.end(), view);
    std::rotate(m_subviews.begin(), it, it + 1);
    view->invalidateVisual();
}

bool View::isDescendantOf(const View& view) const
{
    if (this == &view)
        return true;
    for (auto p = superview(); p; p = p->superview())
        if (p.get() == &view)
            return true;
    return false;
}

WindowRef View::window() const
{
    const View* v = this;
    ViewRef holder;
    while (auto parent = v->superview()) {
        holder = parent;
        v = holder.get();
    }
    if (auto w = dynamic_cast<const Window*>(v))
        return std::static_pointer_cast<Window>(const_cast<Window*>(w)->weak_from_this().lock());
    return nullptr;
}

Window* View::rootWindow(const View* view)
{
    const View* v = view;
    ViewRef holder;
    while (auto parent = v->superview()) {
        holder = parent;
        v = holder.get();
    }
    return dynamic_cast<Window*>(const_cast<View*>(v));
}

void View::windowWillChange(Window* oldWindow, Window* newWindow)
{
    if (oldWindow == newWindow)
        return;
    // Subviews may be moved by the calls; walk a copy, parents first.
    willMoveToWindow(newWindow);
    std::vector<ViewRef> pending(m_subviews.rbegin(), m_subviews.rend());
    while (!pending.empty()) {
        ViewRef v = std::move(pending.back());
        pending.pop_back();
        v->willMoveToWindow(newWindow);
        pending.insert(pending.end(), v->m_subviews.rbegin(), v->m_subviews.rend());
    }
}

void View::windowChanged(Window* oldWindow)
{
    if (rootWindow(this) == oldWindow)
        return;
    // Focus stays inside the window it was given in.
    if (oldWindow) {
        if (auto responder = oldWindow->firstResponder(); responder && responder->isDescendantOf(*this)) {
            oldWindow->m_firstResponder.reset();
            responder->didResignFirstResponder();
        }
    }
    // Subviews may be moved by the calls; walk a copy, parents first.
    std::vector<ViewRef> pending{self()};
    if (!pending.front()) {
        didMoveToWindow();
        pending = m_subviews;
    }
    while (!pending.empty()) {
        ViewRef v = std::move(pending.back());
        pending.pop_back();
        v->didMoveToWindow();
        pending.insert(pending.end(), v->m_subviews.rbegin(), v->m_subviews.rend());
    }
}

}
