#pragma once

// A control that grows while pressed: by 1 + highlightedZoom in both
// directions over 0.15 s, brought to the front so it grows over its
// neighbours; back to its size on release. A zoom of 0 keeps its size.
//
// Main queue only.

#include "framework/ui/KRActionControls.h"
#include "platform/controls/Control.h"

class KRZoomView : public pf::Control, public KRActionFields {
public:
    explicit KRZoomView(const pf::Rect& frame = {}) : pf::Control(frame) {}

    double highlightedZoom() const { return m_highlightedZoom; }
    void setHighlightedZoom(double zoom) { m_highlightedZoom = zoom; }
    void setHighlighted(bool highlighted) override;

private:
    double m_highlightedZoom = 0;
};
