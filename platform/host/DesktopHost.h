#pragma once

// A desktop window showing the screen: the frame is scaled to fit the
// desktop (and, when the window is resized, uniformly and centred), and the
// left mouse button acts as one finger. The wheel with ctrl held, and a
// touchpad's two-finger pinch, act as two fingers pinching about the
// pointer; the fingers are lifted (as cancelled, so that nothing under them
// takes a tap) once such input pauses. Clicks, wheel turns, keys and text
// are posted to the screen's input queue and delivered in the order they
// came, once per step. A window destroyed by another X11 client ends the
// host as a closed one does (X11WindowWatch.h).
//
// Main thread only; one host at a time.

#include "platform/foundation/Error.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Screen.h"

#include <memory>
#include <string>

struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Window;
union SDL_Event;

namespace pf {

class X11WindowWatch;

class DesktopHost {
public:
    // An error when there is no display or the window cannot be made. A
    // display that SDL cannot reach (it offers only a driver that shows no
    // window, such as offscreen) is tried again for about a second, then is
    // an error naming the display and SDL's reason; a driver chosen through
    // SDL_VIDEODRIVER (dummy, offscreen) is used as it is.
    static ErrorOr<std::unique_ptr<DesktopHost>> create(Screen& screen, const std::string& title);
    ~DesktopHost();

    // Handles pending input, runs the main loop's ready work and shows a new
    // frame when anything changed. False once the window has been closed
    // or destroyed.
    bool step();
    // Steps about sixty times a second until the window is closed.
    void run();
    // Window units per screen point when the window opened.
    double fitScale() const { return m_fit; }

    DesktopHost(const DesktopHost&) = delete;
    DesktopHost& operator=(const DesktopHost&) = delete;

private:
    DesktopHost(Screen& screen, double fit);
    bool handle(const SDL_Event& event);
    std::optional<Error> present();
    void updateTextInput();
    // Spreads the pinching fingers `factor` times about `centre` (screen
    // points), putting them down first when no pinch is under way.
    void pinchBy(Point centre, double factor, double now);
    // Lifts the pinching fingers, as cancelled.
    void endPinch(double now);

    Screen& m_screen;
    Compositor m_compositor;
    double m_fit = 1;
    SDL_Window* m_window = nullptr;
    SDL_Renderer* m_renderer = nullptr;
    SDL_Texture* m_texture = nullptr;
    std::unique_ptr<X11WindowWatch> m_watch;
    bool m_mouseDown = false;
    bool m_pinching = false;
    Point m_pinchCentre;
    double m_pinchSpread = 0;
    double m_lastPinchInput = 0;
    bool m_textInput = false;
};

}
