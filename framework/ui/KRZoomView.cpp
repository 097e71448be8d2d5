#include "framework/ui/KRZoomView.h"

#include <cmath>

namespace {
constexpr double kPressDuration = 0.15;
}

void KRZoomView::setHighlighted(bool highlighted)
{
    pf::Control::setHighlighted(highlighted);
    double zoom = std::isfinite(m_highlightedZoom) ? m_highlightedZoom : 0;
    pf::View::animate(kPressDuration, [&] {
        if (highlighted) {
            setTransform(pf::AffineTransform::scaling(1 + zoom, 1 + zoom));
            if (auto parent = superview())
                parent->bringSubviewToFront(self());
        } else {
            setTransform(pf::AffineTransform::identity());
        }
    });
}
