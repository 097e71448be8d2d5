#include "platform/ui/GestureRecognizer.h"

#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/PinchGestureRecognizer.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/Touch.h"
#include "platform/ui/View.h"

#include <algorithm>
#include <cmath>

namespace pf {

namespace {

// How far a finger may wander and still tap, and must travel to pan.
constexpr double kSlop = 10;
// How much two fingers' distance must change to pinch: well under the pan's
// slop, so a pinch is seen before either finger has travelled far enough to pan.
constexpr double kPinchSlop = 4;

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

bool GestureRecognizer::recognizesSimultaneouslyWith(GestureRecognizer& other)
{
    return (m_simultaneous && m_simultaneous(*this, other))
        || (other.m_simultaneous && other.m_simultaneous(other, *this));
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
    bool recognizing = m_state == GestureState::Possible && (state == GestureState::Began || state == GestureState::Ended);
    if (recognizing && m_shouldBegin) {
        // The test may run code that drops the view and with it this recognizer.
        auto keep = weak_from_this().lock();
        if (!m_shouldBegin(*this))
            state = GestureState::Failed;
    }
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

void PanGestureRecognizer::touchesEnded(const TouchSet& touches)
{
    // Another finger lifting (the second of a pinch) leaves the drag going.
    if (std::find(touches.begin(), touches.end(), trackedTouch()) == touches.end())
        return;
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

// Pinch -------------------------------------------------------------------------

PinchGestureRecognizer::PinchGestureRecognizer(Action action)
    : GestureRecognizer(std::move(action))
{
    setMaximumNumberOfTouches(2);
}

double PinchGestureRecognizer::fingerDistance() const
{
    return distance(m_fingers[0]->locationInWindow(), m_fingers[1]->locationInWindow());
}

Point PinchGestureRecognizer::locationInView(const View* view) const
{
    if (!m_fingers[1])
        return GestureRecognizer::locationInView(view);
    Point a = m_fingers[0]->locationInView(view), b = m_fingers[1]->locationInView(view);
    return {(a.x + b.x) / 2, (a.y + b.y) / 2};
}

void PinchGestureRecognizer::touchesBegan(const TouchSet& touches)
{
    GestureRecognizer::touchesBegan(touches);
    if (state() != GestureState::Possible)
        return;
    for (const TouchRef& touch : touches) {
        if (!m_fingers[0]) {
            m_fingers[0] = touch;
        } else if (!m_fingers[1] && touch != m_fingers[0]) {
            m_fingers[1] = touch;
            // Fingers never touch down on one spot; the floor keeps the scale finite.
            m_startDistance = std::max(fingerDistance(), 1.0);
            m_lastTimestamp = touch->timestamp();
        }
    }
}

void PinchGestureRecognizer::touchesMoved(const TouchSet& touches)
{
    bool following = state() == GestureState::Possible || state() == GestureState::Began
        || state() == GestureState::Changed;
    if (!following || !m_fingers[1] || touches.empty())
        return;
    double scale = fingerDistance() / m_startDistance;
    double dt = touches.front()->timestamp() - m_lastTimestamp;
    if (dt > 0)
        m_velocity = (scale - m_scale) / dt;
    m_lastTimestamp = touches.front()->timestamp();
    m_scale = scale;
    if (state() != GestureState::Possible)
        setState(GestureState::Changed);
    else if (std::abs(fingerDistance() - m_startDistance) > kPinchSlop)
        setState(GestureState::Began);
}

void PinchGestureRecognizer::touchesEnded(const TouchSet&)
{
    // Either finger lifting ends the pinch; one alone never makes one.
    if (state() == GestureState::Began || state() == GestureState::Changed)
        setState(GestureState::Ended);
    else if (state() == GestureState::Possible)
        setState(GestureState::Failed);
}

void PinchGestureRecognizer::reset()
{
    GestureRecognizer::reset();
    m_fingers[0].reset();
    m_fingers[1].reset();
    m_startDistance = 0;
    m_scale = 1;
    m_velocity = 0;
    m_lastTimestamp = 0;
}

}
