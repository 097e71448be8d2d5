#pragma once

// A full-screen window that opens over the current key window and holds one
// screen as its root controller. Pop windows stack: each one shows the
// window below it slightly shrunk (0.98) and dimmed (95 % opacity); closing
// it restores that window. Show and close animate for 0.3 s.
//
// The class keeps the list of open pop windows, oldest first; while a pop
// window is open the list is what keeps it alive. A closing window holds
// itself until the next turn of the main loop, so that leaving the list
// never ends it in the middle of a call.
//
// The window that was key when one was shown (`keyWindow`) gets the focus
// back when it closes. Closing a window that is not the topmost hands its
// key window to the window above it, which then restores it in turn; a
// window no longer shown is never made key.
//
// Main thread only.

#include "platform/ui/Window.h"

#include <vector>

class KRPopWindow : public pf::Window {
public:
    // A hidden window of the screen's size, not yet in the open list.
    static std::shared_ptr<KRPopWindow> popWindow();
    // The last window of the open list, or null.
    static std::shared_ptr<KRPopWindow> topPopWindow();
    static const std::vector<std::shared_ptr<KRPopWindow>>& openWindows();

    explicit KRPopWindow(const pf::Rect& frame) : pf::Window(frame) {}

    bool isAnimating() const { return m_animating; }
    const pf::WindowRef& keyWindow() const { return m_keyWindow; }

    // Only when hidden and not animating.
    void showAnimated(bool animated);
    // Only when shown, not animating and in the open list. Without animation
    // the window is hidden at once.
    void closeAnimated(bool animated);
    // Lets a running show or close count as ended, so the window can be
    // closed at once (the application does so on its return to the
    // foreground). The views already hold their end values; the animation's
    // completion still runs later and only tidies up.
    void endAnimation() { m_animating = false; }

private:
    bool m_animating = false;
    pf::WindowRef m_keyWindow;
};
