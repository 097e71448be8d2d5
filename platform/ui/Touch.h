#pragma once

// One finger on the screen, from the moment it touches down until it lifts
// or is cancelled. The window that routes it updates it in place, so a view
// keeping the pointer sees the latest phase and location.

#include "platform/graphics/Geometry.h"
#include "platform/ui/Forward.h"

namespace pf {

enum class TouchPhase { Began, Moved, Ended, Cancelled };

class Touch {
public:
    Touch(int identifier, Point locationInWindow, double timestamp, int tapCount);

    int identifier() const { return m_identifier; }
    TouchPhase phase() const { return m_phase; }
    double timestamp() const { return m_timestamp; }
    // 1 for a single tap, 2 when it follows a tap nearby within a short time, and so on.
    int tapCount() const { return m_tapCount; }
    // The view the touch began in; it keeps it wherever the finger moves.
    // Null once that view is gone.
    ViewRef view() const { return m_view.lock(); }
    WindowRef window() const { return m_window.lock(); }

    // In the coordinates of `view`; of the window when null.
    Point locationInView(const View* view) const;
    Point previousLocationInView(const View* view) const;
    Point locationInWindow() const { return m_location; }

private:
    friend class Window;
    int m_identifier = 0;
    TouchPhase m_phase = TouchPhase::Began;
    Point m_location;
    Point m_previousLocation;
    double m_timestamp = 0;
    int m_tapCount = 1;
    std::weak_ptr<View> m_view;
    std::weak_ptr<Window> m_window;
};

}
