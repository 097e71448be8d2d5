#include "platform/ui/GestureRecognizer.h"

#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/Touch.h"
#include "platform/ui/View.h"

#include <cmath>

namespace pf {

namespace {

// How far a finger may wander and still tap, and must travel to pan.
constexpr double kSlop = 10;

double distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

// A vector (not a point) from window to `view` directions.
Point vectorInView(Point v, const View* view)
{
    if (!view)
        return v;
    Point origin = view->convertPointFromView({0, 0}, nullptr);
    Point moved = view->convertPointFromView(v, nullptr);
    return moved - origin;
}

}

GestureRecognizer::GestureRecognizer(Action action)
    : m_action(std::move(action))
{
}

void GestureRecognizer::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (!enabled && (m_state == GestureState::Began || m_state == GestureState::Changed))
        setState(GestureState::Cancelled);
}

bool GestureRecognizer::receivesNewTouch(const Touch& touch, unsigned following)
{
    if (m_maxTouches && following >= m_maxTouches)
        return false;
    return !m_shouldReceive || m_shouldReceive(*this, touch);
}

Point GestureRecognizer::locationInView(const View* view) const
{
    if (!m_touch)
        return {};
    return m_touch->locationInView(view);
}

void GestureRecognizer::touchesBegan(const TouchSet& touches)
{
    if (!m_touch && !touches.empty())
        m_touch = touches.front();
}

void GestureRecognizer::touchesMoved(const TouchSet&) {}
void GestureRecognizer::touchesEnded(const TouchSet&) {}

void GestureRecognizer::touchesCancelled(const TouchSet&)
{
    if (m_state == GestureState::Began || m_state == GestureState::Changed)
        setState(GestureState::Cancelled);
    else if (m_state == GestureState::Possible)
        setState(GestureState::Failed);
}

void GestureRecognizer::reset()
{
    m_state = GestureState::Possible;
    m_touch.reset();
}

void GestureRecognizer::setState(GestureState state)
{
    m_state = state;
    bool reports = state == GestureState::Began || state == GestureState::Changed || state == GestureState::Ended
        || state == GestureState::Cancelled;
    if (reports && m_action) {
        // The action may drop the view and with it this recognizer.
        auto keep = weak_from_this().lock();
        m_action(*this);
    }
}

// Tap ---------------------------------------------------------------------------

void TapGestureRecognizer::touchesBegan(const TouchSet& touches)
{
    GestureRecognizer::touchesBegan(touches);
    if (trackedTouch())
        m_start = trackedTouch()->locationInWindow();
}

void TapGestureRecognizer::touchesMoved(const TouchSet&)
{
    if (state() == GestureState::Possible && trackedTouch()
        && distance(trackedTouch()->locationInWindow(), m_start) > kSlop)
        setState(GestureState::Failed);
}

void TapGestureRecognizer::touchesEnded(const TouchSet&)
{
    if (state() != GestureState::Possible || !trackedTouch())
        return;
    if (distance(trackedTouch()->locationInWindow(), m_start) > kSlop)
        setState(GestureState::Failed);
    else if (trackedTouch()->tapCount() >= m_tapsRequired)
        setState(GestureState::Ended);
}

// Pan ---------------------------------------------------------------------------

Point PanGestureRecognizer::translationInView(const View* view) const
{
    if (!trackedTouch())
        return {};
    return vectorInView(trackedTouch()->locationInWindow() - m_startInWindow, view);
}

void PanGestureRecognizer::setTranslation(Point translation, const View* view)
{
    if (!trackedTouch())
        return;
    // Back to window directions, then the start moves so that the current
    // translation reads as given.
    Point inWindow = translation;
    if (view) {
        Point origin = view->convertPointToView({0, 0}, nullptr);
        inWindow = view->convertPointToView(translation, nullptr) - origin;
    }
    m_startInWindow = trackedTouch()->locationInWindow() - inWindow;
}

Point PanGestureRecognizer::velocityInView(const View* view) const { return vectorInView(m_velocity, view); }

void PanGestureRecognizer::touchesBegan(const TouchSet& touches)
{
    GestureRecognizer::touchesBegan(touches);
    if (trackedTouch()) {
        m_startInWindow = trackedTouch()->locationInWindow();
        m_lastTimestamp = trackedTouch()->timestamp();
    }
}

void PanGestureRecognizer::touchesMoved(const TouchSet&)
{
    const TouchRef& touch = trackedTouch();
    if (!touch)
        return;
    double dt = touch->timestamp() - m_lastTimestamp;
    Point step = touch->locationInWindow() - touch->previousLocationInView(nullptr);
    if (dt > 0)
        m_velocity = {step.x / dt, step.y / dt};
    m_lastTimestamp = touch->timestamp();
    if (state() == GestureState::Possible) {
        if (distance(touch->locationInWindow(), m_startInWindow) > kSlop)
            setState(GestureState::Began);
    } else if (state() == GestureState::Began || state() == GestureState::Changed) {
        setState(GestureState::Changed);
    }
}

void PanGestureRecognizer::touchesEnded(const TouchSet&)
{
    if (state() == GestureState::Began || state() == GestureState::Changed)
        setState(GestureState::Ended);
    else if (state() == GestureState::Possible)
        setState(GestureState::Failed);
}

void PanGestureRecognizer::touchesCancelled(const TouchSet& touches) { GestureRecognizer::touchesCancelled(touches); }

void PanGestureRecognizer::reset()
{
    GestureRecognizer::reset();
    m_velocity = {};
    m_lastTimestamp = 0;
}

}
