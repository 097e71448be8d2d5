#pragma once

// The open pop windows as the application's foreground sequence sees them,
// so that the shell closes them without naming the UI kit's window class.
// Main queue only.

#include "platform/foundation/Object.h"

class IZMRPopWindows {
public:
    virtual ~IZMRPopWindows() = default;

    // The topmost open pop window, or null when none is open.
    virtual pf::ObjectRef topPopWindow() = 0;
    virtual bool isAnimating(const pf::ObjectRef& window) = 0;
    // Brings a running open or close animation to its end state at once.
    virtual void endAnimation(const pf::ObjectRef& window) = 0;
    virtual void closeAnimated(const pf::ObjectRef& window, bool animated) = 0;
};

// Closes every open pop window, topmost first, without animation, ending a
// running animation first. Stops, with a log line, when a window stays open
// after being closed, so it never spins. Answers how many closed.
int ZMRCloseAllPopWindows(IZMRPopWindows& popWindows);
