#pragma once

// A base for views that animate themselves (loading faces). Starting and
// stopping do nothing here; a subclass that runs its own animations
// overrides them. It counts as animating while it has view animations.
//
// Main thread only.

#include "platform/ui/View.h"

class KRAnimationView : public pf::View {
public:
    explicit KRAnimationView(const pf::Rect& frame = {}) : pf::View(frame) {}

    virtual void startAnimating() {}
    virtual void stopAnimating() {}
    bool isAnimating() const { return hasAnimations(); }
};

// The views that start and stop on request: activity indicators and
// KRAnimationViews. Any other view is left as it is.
void KRStartAnimating(pf::View& view);
void KRStopAnimating(pf::View& view);
