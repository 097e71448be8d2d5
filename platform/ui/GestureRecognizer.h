#pragma once

// Recognizers watch the touches of their view (and of its subviews) before
// the views get them. A recognizer reports through its action: for a
// discrete gesture (a tap) once when recognized, for a continuous one (a pan,
// a pinch) on began, changed, ended and cancelled. When one recognizes, the
// others watching the same touch fail unless either allows both at once, and
// by default the view's touch is cancelled. The window offers each touch to
// the recognizers of the view it began in first, then to those of each
// superview in turn, so on the same move the innermost recognizes first; one
// that declines to begin fails and leaves the touch to those further out.
// A view the touch began within may keep an enclosing view's recognizer out
// of it (View::admitsEnclosingRecognizer: a control and one-tap recognizers).
// A recognizer goes back to Possible once every touch it follows has ended.
//
// Main thread only. The view owns its recognizers; a recognizer's link to the
// view is weak.

#include "platform/graphics/Geometry.h"
#include "platform/ui/Forward.h"

#include <functional>

namespace pf {

enum class GestureState { Possible, Began, Changed, Ended, Cancelled, Failed };

class GestureRecognizer : public std::enable_shared_from_this<GestureRecognizer> {
public:
    using Action = std::function<void(GestureRecognizer&)>;

    explicit GestureRecognizer(Action action = {});
    virtual ~GestureRecognizer() = default;

    void setAction(Action action) { m_action = std::move(action); }
    GestureState state() const { return m_state; }
    ViewRef view() const { return m_view.lock(); }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    bool cancelsTouchesInView() const { return m_cancelsTouchesInView; }
    void setCancelsTouchesInView(bool cancels) { m_cancelsTouchesInView = cancels; }
    // Asked when a touch begins in the view; a recognizer told no never sees
    // that touch.
    using ShouldReceiveTouch = std::function<bool(GestureRecognizer&, const Touch&)>;
    void setShouldReceiveTouch(ShouldReceiveTouch test) { m_shouldReceive = std::move(test); }
    // The most fingers the gesture follows at once; a finger beyond it is
    // not delivered (0, the default: no limit).
    unsigned maximumNumberOfTouches() const { return m_maxTouches; }
    void setMaximumNumberOfTouches(unsigned count) { m_maxTouches = count; }
    // Asked when this or `other` recognizes while the other is still
    // possible: true lets the other go on (a scroll view's pan and pinch).
    using ShouldRecognizeSimultaneously = std::function<bool(GestureRecognizer&, GestureRecognizer& other)>;
    void setShouldRecognizeSimultaneously(ShouldRecognizeSimultaneously test) { m_simultaneous = std::move(test); }
    bool recognizesSimultaneouslyWith(GestureRecognizer& other);
    // Asked when the gesture is about to leave Possible (a pan about to
    // begin, a tap recognized): false makes it fail instead, so the touch
    // stays with the other recognizers (an enclosing scroll view's pan).
    using ShouldBegin = std::function<bool(GestureRecognizer&)>;
    void setShouldBegin(ShouldBegin test) { m_shouldBegin = std::move(test); }
    // Whether the window hands a newly begun touch to this recognizer, with
    // `following` touches already delivered to it.
    bool receivesNewTouch(const Touch& touch, unsigned following);
    // Where the gesture's touch is, in `view`'s coordinates (the window's when null).
    virtual Point locationInView(const View* view) const;

    // From the window, in this order for each touch.
    virtual void touchesBegan(const TouchSet& touches);
    virtual void touchesMoved(const TouchSet& touches);
    virtual void touchesEnded(const TouchSet& touches);
    virtual void touchesCancelled(const TouchSet& touches);
    // Back to Possible once the touches that it watched are over.
    virtual void reset();
    // Began or Ended (recognized) happened: the others must fail.
    bool hasRecognized() const { return m_state == GestureState::Began || m_state == GestureState::Changed
                                     || m_state == GestureState::Ended; }

protected:
    // Moves to `state`, calling the action when the state is one it reports.
    void setState(GestureState state);
    const TouchRef& trackedTouch() const { return m_touch; }

private:
    friend class View;
    Action m_action;
    GestureState m_state = GestureState::Possible;
    std::weak_ptr<View> m_view;
    TouchRef m_touch;
    bool m_enabled = true;
    bool m_cancelsTouchesInView = true;
    ShouldReceiveTouch m_shouldReceive;
    ShouldRecognizeSimultaneously m_simultaneous;
    ShouldBegin m_shouldBegin;
    unsigned m_maxTouches = 0;
};

}
