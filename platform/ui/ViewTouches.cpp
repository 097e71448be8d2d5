// Hit testing, touches, wheel scrolls and gesture recognizers.

#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/View.h"

#include <algorithm>

namespace pf {

bool View::pointInside(Point p) const { return m_bounds.contains(p); }

ViewRef View::hitTest(Point p)
{
    if (m_hidden || !m_userInteractionEnabled || m_alpha < 0.01 || !pointInside(p))
        return nullptr;
    auto children = m_subviews;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        const ViewRef& child = *it;
        AffineTransform t = child->transformToSuperview();
        if (!t.isInvertible())
            continue;
        if (auto hit = child->hitTest(t.inverted().apply(p)))
            return hit;
    }
    return self();
}

void View::touchesBegan(const TouchSet& touches)
{
    if (auto parent = superview())
        parent->touchesBegan(touches);
}

void View::touchesMoved(const TouchSet& touches)
{
    if (auto parent = superview())
        parent->touchesMoved(touches);
}

void View::touchesEnded(const TouchSet& touches)
{
    if (auto parent = superview())
        parent->touchesEnded(touches);
}

void View::touchesCancelled(const TouchSet& touches)
{
    if (auto parent = superview())
        parent->touchesCancelled(touches);
}

void View::scrollWheel(Point delta)
{
    if (auto parent = superview())
        parent->scrollWheel(delta);
}

void View::addGestureRecognizer(GestureRecognizerRef recognizer)
{
    if (!recognizer)
        return;
    if (auto old = recognizer->view())
        old->removeGestureRecognizer(recognizer);
    recognizer->m_view = self();
    m_gestureRecognizers.push_back(std::move(recognizer));
}

void View::removeGestureRecognizer(const GestureRecognizerRef& recognizer)
{
    auto it = std::find(m_gestureRecognizers.begin(), m_gestureRecognizers.end(), recognizer);
    if (it == m_gestureRecognizers.end())
        return;
    (*it)->m_view.reset();
    m_gestureRecognizers.erase(it);
}

}
