#pragma once

// Recognizes a tap: the touch ends where it began (within 10 points), with
// the required number of taps in a row.

#include "platform/ui/GestureRecognizer.h"

namespace pf {

class TapGestureRecognizer : public GestureRecognizer {
public:
    using GestureRecognizer::GestureRecognizer;

    int numberOfTapsRequired() const { return m_tapsRequired; }
    void setNumberOfTapsRequired(int taps) { m_tapsRequired = taps < 1 ? 1 : taps; }

    void touchesBegan(const TouchSet& touches) override;
    void touchesMoved(const TouchSet& touches) override;
    void touchesEnded(const TouchSet& touches) override;

private:
    int m_tapsRequired = 1;
    Point m_start;
};

}
