#pragma once

// A window: the root of a view tree, placed on the screen at a level.
// Windows of a higher level are drawn above and take touches first; within
// a level the one shown last is on top. One window at a time is the key
// window, the one that receives keyboard input.
//
// Main thread only. The screen keeps every shown window; hiding a window
// takes it off the screen, so whoever made it decides its lifetime.

#include "platform/ui/Screen.h"
#include "platform/ui/Touch.h"
#include "platform/ui/View.h"

#include <map>

namespace pf {

namespace WindowLevel {
constexpr double Normal = 0;
constexpr double StatusBar = 1000;
constexpr double Alert = 2000;
}

class Window : public View {
public:
    // A hidden window; the frame defaults to the screen's bounds.
    static WindowRef create();
    static WindowRef create(const Rect& frame);
    explicit Window(const Rect& frame);
    ~Window() override;

    double windowLevel() const { return m_level; }
    void setWindowLevel(double level);
    void makeKeyWindow();
    void makeKeyAndVisible();
    bool isKeyWindow() const;
    void setHidden(bool hidden) override;

    // Touch delivery from the screen, in window coordinates. A touch goes to
    // the view it began in and to the recognizers of that view and of its
    // superviews; it always ends with an end or a cancel.
    void handleTouch(int identifier, TouchPhase phase, Point location, double timestamp);
    // Cancels every touch in progress (the window is going away or a system
    // event interrupts).
    void cancelAllTouches();
    bool hasActiveTouches() const { return !m_touches.empty(); }

    // In window coordinates: adds to the screen's region to redraw.
    void addDirtyRect(const Rect& rect);

    // The controller whose view fills the window (below the status bar
    // unless it wants full-screen layout); kept by the window. It appears
    // when set on a shown window and when the window is shown, and
    // disappears when replaced or when the window is hidden.
    const std::shared_ptr<ViewController>& rootViewController() const { return m_rootViewController; }
    void setRootViewController(std::shared_ptr<ViewController> controller);

    // The view that takes this window's key events, or null (not retained).
    ViewRef firstResponder() const { return m_firstResponder.lock(); }
    // Hands queued key events to the first responder: text (invalid UTF-8
    // dropped), IME marked text and backspace; a window without one drops
    // them. Escape goes to Application::goBack() instead.
    void deliverKeyEvent(const KeyEvent& event);

private:
    friend class View;
    struct ActiveTouch {
        TouchRef touch;
        std::vector<GestureRecognizerRef> recognizers;
        bool viewCancelled = false;
    };
    void deliver(ActiveTouch& active, TouchPhase phase);
    // How many touches now under way are delivered to `recognizer`.
    unsigned touchesFollowedBy(const GestureRecognizer& recognizer) const;
    int tapCountFor(Point location, double timestamp);

    double m_level = WindowLevel::Normal;
    std::weak_ptr<View> m_firstResponder;
    std::shared_ptr<ViewController> m_rootViewController;
    std::map<int, ActiveTouch> m_touches;
    Point m_lastTapLocation;
    double m_lastTapTime = -1;
    int m_lastTapCount = 0;
};

}
