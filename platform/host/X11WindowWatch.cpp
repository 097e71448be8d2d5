#include "platform/host/X11WindowWatch.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <atomic>

namespace pf {

namespace {

// GLX's own errors, counted from the extension's first error number: a
// buffer swap or a context change on a window that is gone.
constexpr int kGLXBadDrawable = 2;
constexpr int kGLXBadWindow = 12;

// The watched window; Xlib calls its error handler with no room for a
// context of ours. Errors arrive on the thread that talks to the display,
// which for SDL's connection is the main thread.
struct Watched {
    Display* display = nullptr;
    ::Window window = 0;
    int glxFirstError = -1;
    std::atomic<bool> destroyed = false;
    // Kept once the watch ends: a handler installed over ours may still call ours.
    XErrorHandler previous = nullptr;
};
Watched g_watched;

bool saysWindowIsGone(const XErrorEvent& error)
{
    if (error.error_code == BadWindow || error.error_code == BadDrawable)
        return true;
    int glx = g_watched.glxFirstError;
    return glx > 0 && (error.error_code == glx + kGLXBadDrawable || error.error_code == glx + kGLXBadWindow);
}

// Must not talk to the display: Xlib is in the middle of reading from it.
int takeError(Display* display, XErrorEvent* error)
{
    if (g_watched.window && display == g_watched.display && error->resourceid == g_watched.window
        && (g_watched.destroyed || saysWindowIsGone(*error))) {
        g_watched.destroyed = true;
        return 0;
    }
    return g_watched.previous ? g_watched.previous(display, error) : 0;
}

}

X11WindowWatch::X11WindowWatch(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return;
    m_watching = true;
    g_watched.display = info.info.x11.display;
    g_watched.window = info.info.x11.window;
    g_watched.destroyed = false;
    int opcode = 0, firstEvent = 0, firstError = 0;
    g_watched.glxFirstError = XQueryExtension(g_watched.display, "GLX", &opcode, &firstEvent, &firstError) ? firstError : -1;
    g_watched.previous = XSetErrorHandler(takeError);
    m_systemEvents = SDL_EventState(SDL_SYSWMEVENT, SDL_QUERY);
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

X11WindowWatch::~X11WindowWatch()
{
    if (!m_watching)
        return;
    XSync(g_watched.display, False);
    XErrorHandler current = XSetErrorHandler(g_watched.previous);
    // One installed over ours after it stays; it may pass errors on to ours.
    if (current != takeError)
        XSetErrorHandler(current);
    g_watched.window = 0;
    g_watched.display = nullptr;
    g_watched.destroyed = false;
    SDL_EventState(SDL_SYSWMEVENT, m_systemEvents);
}

void X11WindowWatch::handle(const SDL_Event& event)
{
    if (!m_watching || event.type != SDL_SYSWMEVENT || !event.syswm.msg || event.syswm.msg->subsystem != SDL_SYSWM_X11)
        return;
    const XEvent& x = event.syswm.msg->msg.x11.event;
    if (x.type == DestroyNotify && x.xdestroywindow.window == g_watched.window)
        g_watched.destroyed = true;
}

bool X11WindowWatch::isDestroyed() const { return m_watching && g_watched.destroyed; }

}
