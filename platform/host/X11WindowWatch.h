#pragma once

// Notices when the desktop host's window is destroyed by another X11 client
// (a window tool, a session that tears down its windows). Nothing asks us
// first: the window is simply gone, and SDL goes on sending requests that
// name it (input selection, buffer swaps, at last its own destruction).
// Xlib's default error handler would print the first refusal and end the
// process with status 1, so the host could never end as a closed window
// does. While a watch lives it takes the errors of SDL's X11 connection:
// those that say its window (or drawable) does not exist, and any naming
// the window once it is known gone, mark it destroyed and are not reported;
// every other error goes on to the handler that was there before (SDL's,
// which ends in Xlib's default). The window's DestroyNotify marks it
// destroyed too, so a window that draws nothing more is noticed as well.
//
// Main thread only; one watch at a time. A window that SDL does not show
// through X11 (wayland, dummy) is not watched and never reads as destroyed.

struct SDL_Window;
union SDL_Event;

namespace pf {

class X11WindowWatch {
public:
    explicit X11WindowWatch(SDL_Window* window);
    // Waits for the server's answers to what was sent so far, so that the
    // refusals of the window's own destruction still come here, then puts
    // back the error handler it found. Destroy the SDL window first and the
    // watch before SDL's video ends.
    ~X11WindowWatch();

    // Takes note of an SDL_SYSWMEVENT that reports the window's destruction.
    void handle(const SDL_Event& event);
    bool isDestroyed() const;

    X11WindowWatch(const X11WindowWatch&) = delete;
    X11WindowWatch& operator=(const X11WindowWatch&) = delete;

private:
    bool m_watching = false;
    // SDL's system events are off unless asked for; put back as found.
    int m_systemEvents = 0;
};

}
