#pragma once

// The device's screen: its size in points and scale come from the device
// profile; it keeps the shown windows in drawing order, knows the key window,
// routes touches to windows and collects the region to redraw.
//
// Input from a host (touches, wheel turns, keys, text and IME composition)
// goes through one queue and is delivered in the order it arrived: a click
// never overtakes keys typed before it, so they land in the field that had
// the focus when they were typed.
//
// Main thread only.

#include "platform/graphics/Geometry.h"
#include "platform/ui/Forward.h"
#include "platform/ui/Touch.h"

#include <map>
#include <utility>
#include <string>
#include <vector>

namespace pf {

// Keys and text typed on a keyboard, for the key window's first responder.
struct KeyEvent {
    enum class Kind { Text, Backspace, Delete, Return, Tab, Escape, Left, Right, Up, Down, MarkedText };
    Kind kind = Kind::Text;
    std::string text; // UTF-8, for Text and MarkedText (empty when composing ends)
};

class Screen {
public:
    static Screen& main();

    Rect bounds() const { return m_bounds; }
    double scale() const { return m_scale; }
    // Takes the size and scale of DeviceProfile::current() again (tests that
    // change the profile call this).
    void updateFromDeviceProfile();

    // Shown windows, back to front: by level, then by the order shown.
    const std::vector<WindowRef>& windows() const { return m_windows; }
    WindowRef keyWindow() const { return m_keyWindow.lock(); }

    // Queue input; deliverInput() hands it on in the order posted.
    void postTouch(int identifier, TouchPhase phase, Point location, double timestamp);
    void postScrollWheel(Point location, Point delta);
    void postKeyEvent(KeyEvent event);
    // Delivers the queued input in order, each event to whatever holds the
    // touch or the focus when its turn comes. Input posted meanwhile joins
    // the queue's end and is delivered by this call too; a nested call (a
    // keyboard panel's key delivers itself from a tap) hands on only what was
    // posted after the outer call took the queue, so that key comes next.
    void deliverInput();

    // A touch in screen points, delivered at once (hosts post instead). It
    // goes to the frontmost window under it that takes it and stays with that
    // window to its end.
    void handleTouch(int identifier, TouchPhase phase, Point location, double timestamp);
    // A wheel scroll at a point of the screen, delivered at once: the view
    // under it (in the frontmost window that takes touches there) gets
    // scrollWheel(delta).
    void handleScrollWheel(Point location, Point delta);
    // Whether the key window's first responder takes text (hosts turn their
    // text input and IME on only then).
    bool wantsTextInput() const;

    // Lays out every shown window's views marked for layout.
    void layoutIfNeeded();
    // Screen points to redraw; taking it empties it.
    void addDirtyRect(const Rect& rect);
    Rect takeDirtyRect() { return std::exchange(m_dirty, Rect{}); }
    const Rect& dirtyRect() const { return m_dirty; }

    // Hides every window (tests start from an empty screen).
    void removeAllWindows();

    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

private:
    friend class Window;
    Screen();
    void addWindow(const WindowRef& window);
    void removeWindow(Window& window);
    void windowDidChange(Window& window);
    void setKeyWindow(const WindowRef& window);
    void sortWindows();
    void handleKeyEvent(const KeyEvent& event);

    struct QueuedInput {
        enum class Kind { Touch, Wheel, Key };
        Kind kind = Kind::Key;
        int identifier = 0;
        TouchPhase phase = TouchPhase::Began;
        Point location;
        Point delta;
        double timestamp = 0;
        KeyEvent key;
    };

    Rect m_bounds;
    double m_scale = 2;
    std::vector<WindowRef> m_windows;
    std::weak_ptr<Window> m_keyWindow;
    std::map<int, std::weak_ptr<Window>> m_touchWindows;
    std::vector<QueuedInput> m_input;
    Rect m_dirty;
};

}
