#pragma once

// Recognizes two fingers moving apart or together: begins once their
// distance has changed by a few points, then reports every move until a
// finger lifts (ended) or the touches are cancelled. It follows two fingers
// at most; a third is not delivered to it.

#include "platform/ui/GestureRecognizer.h"

namespace pf {

class PinchGestureRecognizer : public GestureRecognizer {
public:
    explicit PinchGestureRecognizer(Action action = {});

    // The fingers' distance now over their distance when the second finger
    // touched down: above 1 apart, below 1 together.
    double scale() const { return m_scale; }
    // Scale change per second over the latest move.
    double velocity() const { return m_velocity; }
    // The midpoint between the two fingers (the one finger while alone).
    Point locationInView(const View* view) const override;

    void touchesBegan(const TouchSet& touches) override;
    void touchesMoved(const TouchSet& touches) override;
    void touchesEnded(const TouchSet& touches) override;
    void reset() override;

private:
    double fingerDistance() const;

    TouchRef m_fingers[2];
    double m_startDistance = 0;
    double m_scale = 1;
    double m_velocity = 0;
    double m_lastTimestamp = 0;
};

}
