#pragma once

// A host without a display, for tests and screenshots. While it exists the
// animation clock is a manual one that moves only through advance(), so a
// test decides exactly when animations progress. Every input call goes
// through the screen's input queue, after anything posted there before it,
// and runs the main loop's ready work afterwards, as a real frame would.
//
// Main thread only; one host at a time.

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Screen.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pf {

class HeadlessHost {
public:
    explicit HeadlessHost(Screen& screen = Screen::main());
    ~HeadlessHost();

    Screen& screen() { return m_screen; }
    ManualClock& clock() { return *m_clock; }

    // Renders what changed and answers the whole frame.
    ErrorOr<BitmapRef> render();
    std::optional<Error> writePng(const std::string& path);

    // Touches in screen points, one finger. A tap lasts 50 ms; a drag moves
    // in `steps` equal moves over `duration` seconds. Views waiting for
    // layout are laid out before each touch, as a window does for its frame.
    void touchDown(Point p);
    void touchMove(Point p);
    void touchUp(Point p);
    void tap(Point p);
    void drag(Point from, Point to, double duration = 0.3, int steps = 10);
    // Two fingers side by side about `centre`, `fromDistance` apart, spread
    // (or closed) to `toDistance` in `steps` equal moves over `duration`
    // seconds, then lifted, the first one first.
    void pinch(Point centre, double fromDistance, double toDistance, double duration = 0.3, int steps = 10);
    // A wheel turned over `p` by `delta` points, a positive y moving the content up.
    void wheel(Point p, Point delta);
    // Taps the centre of the frontmost view showing `text`; false when none does.
    bool tapViewWithText(std::string_view text);

    // Keyboard input for the key window's first responder: committed text,
    // IME text being composed (empty ends the composition) and keys.
    void type(std::string_view text);
    void compose(std::string_view markedText);
    void pressKey(KeyEvent::Kind kind);

    // What the system sends when memory runs low: the notification and
    // every controller's didReceiveMemoryWarning(), then the ready work.
    void memoryWarning();

    // The application's life cycle as the system drives it; each runs the
    // ready work afterwards.
    void enterBackground();
    void enterForeground();
    // A URL from another program; answers whether the application took it.
    bool openURL(const URL& url);
    // A push message; `payload` may be any value.
    void receiveRemoteNotification(const Value& payload);
    // The URLs the application handed to the desktop's opener, in order
    // (the host records them instead of opening anything).
    const std::vector<std::string>& openedURLs() const { return m_openedURLs; }

    // Moves the clock, running animations and display links frame by frame,
    // then the main loop's ready work (animation completions among it).
    void advance(double seconds);

    // The frontmost view (last window, last subview first) whose text
    // content contains `text`; null when none does.
    ViewRef findViewWithText(std::string_view text) const;

    HeadlessHost(const HeadlessHost&) = delete;
    HeadlessHost& operator=(const HeadlessHost&) = delete;

private:
    void settle();
    void layOut();
    void touch(TouchPhase phase, Point p);
    // Delivers the screen's queued input, then settles.
    void deliver();

    Screen& m_screen;
    std::shared_ptr<ManualClock> m_clock;
    Compositor m_compositor;
    std::vector<std::string> m_openedURLs;
};

}
