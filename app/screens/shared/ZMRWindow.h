#pragma once

// The application's main window: a tap on the status bar scrolls the
// front-most list to its top. The window is asked about one touch several
// times (hit testing), so each ask cancels the scroll still pending and
// schedules it again for the next pass of the main loop: one tap, one scroll.
//
// Main queue only.

#include "platform/ui/Window.h"

namespace pf {
class ScrollView;
}

class ZMRWindow : public pf::Window {
public:
    explicit ZMRWindow(const pf::Rect& frame);

    // Answers what a window answers; a point on the status bar also schedules scrollToTop.
    bool pointInside(pf::Point p) const override;
    // Scrolls the front-most scroll view to offset (0, 0), animated.
    void scrollToTop();

    // The front-most scroll view inside `view`, or null: not hidden, its
    // frame meeting the window's bounds, scrolling to top on a status-bar tap
    // and holding content; else the same asked of its subviews, front-most
    // first. A scroll view that does not qualify is still searched inside.
    std::shared_ptr<pf::ScrollView> topScrollViewInView(const pf::ViewRef& view) const;
};
