#pragma once

// An image view that spins its picture as a loading indicator: one keyed
// animation under "loading" turns it a full circle every 0.8 s, in quarter
// key frames, cumulatively, until stopAnimating removes it. Such an animation
// never holds the screen's settle wait. The view's own transform is left
// alone, so a stopped spinner shows its picture upright.
//
// Main queue only.

#include "platform/controls/ImageView.h"

class ZMRLoadingView : public pf::ImageView {
public:
    explicit ZMRLoadingView(const pf::Rect& frame = {}) : pf::ImageView(frame) {}
    explicit ZMRLoadingView(pf::ImageRef image) : pf::ImageView(std::move(image)) {}

    // Adds the spin unless it already runs.
    void startAnimating();
    // Removes the spin; nothing when it does not run.
    void stopAnimating();
    // Whether the view holds the animation under "loading".
    bool isAnimating() const;

    static constexpr const char* kAnimationKey = "loading";
};
