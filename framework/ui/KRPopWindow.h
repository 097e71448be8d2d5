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

#include <functional>
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
    // Ends a running show or close at once, as if its time had passed.
    void finishAnimation();
    // Closes every open window without animation, topmost first, ending
    // running animations; stops at a window that stays open.
    static void closeAll();

private:
    bool m_animating = false;
    pf::WindowRef m_keyWindow;
    std::function<void()> m_finishClose;
};
