#pragma once

// Recognizes a drag of its first finger: begins once that finger has moved
// 10 points, then reports every move until it lifts or the touches are
// cancelled; another finger lifting leaves the drag going.

#include "platform/ui/GestureRecognizer.h"

namespace pf {

class PanGestureRecognizer : public GestureRecognizer {
public:
    using GestureRecognizer::GestureRecognizer;

    // The distance moved since the gesture began (or since setTranslation),
    // in `view`'s coordinate directions; the window's when null.
    Point translationInView(const View* view) const;
    void setTranslation(Point translation, const View* view);
    // Points per second over the latest move.
    Point velocityInView(const View* view) const;

    void touchesBegan(const TouchSet& touches) override;
    void touchesMoved(const TouchSet& touches) override;
    void touchesEnded(const TouchSet& touches) override;
    void touchesCancelled(const TouchSet& touches) override;
    void reset() override;

private:
    Point m_startInWindow;
    Point m_velocity; // window coordinates
    double m_lastTimestamp = 0;
};

}
