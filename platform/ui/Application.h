#pragma once

// The running application as the views see it: the status bar and memory
// warnings.
//
// The status bar is a window of its own at the status-bar level, 20 points
// high across the top of the screen, taking no touches; it shows the time
// ("12:00" under a manual clock, so that pictures are stable). It is shown
// with the first root view controller and whenever it is not hidden. Root
// views of windows start below it unless their controller wants full-screen
// layout or the bar is hidden.
//
// Main thread only.

#include "platform/graphics/Geometry.h"
#include "platform/ui/Forward.h"

#include <string>

namespace pf {

// Posted (object: none) by simulateMemoryWarning() before the controllers hear of it.
extern const char* const MemoryWarningNotification;

class Application {
public:
    static Application& shared();

    // (0, 0, screen width, 20); empty while the bar is hidden.
    Rect statusBarFrame() const;
    bool isStatusBarHidden() const { return m_statusBarHidden; }
    void setStatusBarHidden(bool hidden);
    // The bar's window, made and shown on the first call unless hidden.
    WindowRef statusBarWindow();
    // The clock text the status bar shows.
    std::string statusBarTime() const;
    // The interface orientation the status bar follows (InterfaceOrientation
    // numbers): portrait on our hosts; tests may set another.
    int statusBarOrientation() const { return m_statusBarOrientation; }
    void setStatusBarOrientation(int orientation) { m_statusBarOrientation = orientation; }

    // Posts MemoryWarningNotification, then sends didReceiveMemoryWarning()
    // to every live view controller.
    void simulateMemoryWarning();

    // Where the root view of `controller` goes in `window`.
    Rect contentFrame(const Window& window, const ViewController& controller) const;

    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

private:
    Application() = default;
    WindowRef m_statusBar;
    bool m_statusBarHidden = false;
    int m_statusBarOrientation = 1;
};

}
