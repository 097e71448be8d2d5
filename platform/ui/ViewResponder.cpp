// The view's contents picture, its mask colour, its window moves and
// keyboard focus.

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

#include <cmath>

namespace pf {

void View::setContents(ImageRef image)
{
    if (image == m_contents)
        return;
    m_contents = std::move(image);
    invalidateVisual();
}

void View::setContentsRect(const Rect& rect)
{
    Rect r = rect;
    if (!std::isfinite(r.x()) || !std::isfinite(r.y()) || !std::isfinite(r.width()) || !std::isfinite(r.height()))
        r = {0, 0, 1, 1};
    if (r == m_contentsRect)
        return;
    m_contentsRect = r;
    invalidateVisual();
}

void View::setContentsGravity(ImageGravity gravity)
{
    if (gravity == m_contentsGravity)
        return;
    m_contentsGravity = gravity;
    invalidateVisual();
}

void View::setLayerMaskColor(std::optional<Color> color)
{
    if (color == m_layerMaskColor)
        return;
    beginChange(AnimatedProperty::LayerMaskColor);
    Color old = m_layerMaskColor.value_or(Color::black());
    m_layerMaskColor = color;
    Animator::shared().propertyChanged(*this, AnimatedProperty::LayerMaskColor, old);
    invalidateVisual();
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

bool View::becomeFirstResponder()
{
    if (isFirstResponder())
        return true;
    if (!canBecomeFirstResponder())
        return false;
    WindowRef w = window();
    ViewRef me = self();
    if (!w || !me)
        return false;
    if (auto current = w->firstResponder(); current && !current->resignFirstResponder())
        return false;
    w->m_firstResponder = me;
    didBecomeFirstResponder();
    return true;
}

bool View::resignFirstResponder()
{
    WindowRef w = window();
    if (!w || w->firstResponder().get() != this) {
        // A view that left its window without the window knowing is done too.
        return true;
    }
    w->m_firstResponder.reset();
    didResignFirstResponder();
    return true;
}

bool View::isFirstResponder() const
{
    WindowRef w = window();
    return w && w->firstResponder().get() == this;
}

void View::insertText(const std::string&) {}
void View::deleteBackward() {}
void View::setMarkedText(const std::string&) {}

}
