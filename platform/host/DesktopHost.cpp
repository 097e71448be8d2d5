#include "platform/host/DesktopHost.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "platform/host/X11WindowWatch.h"
#include "platform/ui/AnimationClock.h"
#include "platform/ui/Application.h"

#include <SDL.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace pf {

namespace {

constexpr int kMouseFinger = 1;
// The two fingers of a pinch made from the wheel or the touchpad, put down
// close together so that both land on the screen near its edges too.
constexpr int kPinchFingers[2] = {2, 3};
constexpr double kPinchStartSpread = 40;
// A pause this long in the pinching input lifts the fingers.
constexpr double kPinchIdle = 0.25;
// Spread change per wheel notch with ctrl held.
constexpr double kPinchPerNotch = 1.1;

Error sdlError(const char* what) { return Error{"pf::DesktopHost", -1, std::string(what) + ": " + SDL_GetError()}; }

// A display that was there a moment ago may miss one connection (a virtual
// display still starting, a busy server): it gets this many tries, this far
// apart, before the window is given up.
constexpr int kDisplayAttempts = 5;
constexpr Uint32 kDisplayRetryMilliseconds = 250;

bool showsWindows(const std::string& driver) { return driver != "offscreen" && driver != "dummy"; }

// Starts SDL's video on a driver that shows windows. SDL falls back to a
// driver without any (offscreen) when it cannot reach the display, and a
// program in a window nobody can see would run on for nothing; a driver
// named through SDL_VIDEODRIVER is taken as it is, since it was asked for.
std::optional<Error> startVideo()
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return sdlError("starting video");
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    std::string fallback = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
    if ((asked && *asked) || showsWindows(fallback))
        return std::nullopt;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    // Each display the environment names, through its own driver: SDL's
    // reason when it still cannot be reached.
    struct Named {
        const char* variable;
        const char* driver;
    } const named[] = {{"DISPLAY", "x11"}, {"WAYLAND_DISPLAY", "wayland"}};
    std::string reasons;
    for (int attempt = 1; attempt <= kDisplayAttempts; ++attempt) {
        if (attempt > 1)
            SDL_Delay(kDisplayRetryMilliseconds);
        reasons.clear();
        for (const Named& display : named) {
            const char* name = std::getenv(display.variable);
            if (!name || !*name)
                continue;
            SDL_SetHint(SDL_HINT_VIDEODRIVER, display.driver);
            bool started = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
            std::string why = started ? "" : SDL_GetError();
            SDL_ResetHint(SDL_HINT_VIDEODRIVER);
            if (started)
                return std::nullopt;
            reasons += std::string(reasons.empty() ? "" : ", nor ") + name + " (" + display.variable + "): " + why;
        }
        if (reasons.empty())
            return Error{"pf::DesktopHost", -1, "no display (DISPLAY and WAYLAND_DISPLAY are unset); SDL's "
                                                    + fallback + " video driver shows no window"};
    }
    return Error{"pf::DesktopHost", -1, "cannot open the display " + reasons + " (tried " + std::to_string(kDisplayAttempts)
                                            + " times in " + std::to_string((kDisplayAttempts - 1) * kDisplayRetryMilliseconds)
                                            + " ms; SDL's " + fallback + " video driver shows no window)"};
}

}

ErrorOr<std::unique_ptr<DesktopHost>> DesktopHost::create(Screen& screen, const std::string& title)
{
    if (auto error = startVideo())
        return *error;
    Rect bounds = screen.bounds();
    // As large as the frame's pixels, smaller when the desktop is smaller.
    double fit = screen.scale();
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0)
        fit = std::min({fit, usable.w * 0.95 / bounds.width(), usable.h * 0.95 / bounds.height()});
    fit = std::max(fit, 0.25);

    std::unique_ptr<DesktopHost> host(new DesktopHost(screen, fit));
    int w = int(std::lround(bounds.width() * fit)), h = int(std::lround(bounds.height() * fit));
    host->m_window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h,
                                      SDL_WINDOW_RESIZABLE);
    if (!host->m_window)
        return sdlError("creating the window");
    host->m_renderer = SDL_CreateRenderer(host->m_window, -1, 0);
    if (!host->m_renderer)
        return sdlError("creating the renderer");
    // Not before: an OpenGL renderer makes the window anew.
    host->m_watch = std::make_unique<X11WindowWatch>(host->m_window);
    if (SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear") == SDL_FALSE)
        logLevel(LogLevel::Debug, "pf::DesktopHost: linear scaling not available");
    int pw = int(std::ceil(bounds.width() * screen.scale())), ph = int(std::ceil(bounds.height() * screen.scale()));
    // The frame's pixels are native-endian 32-bit ARGB, the same layout as this format.
    host->m_texture = SDL_CreateTexture(host->m_renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, pw, ph);
    if (!host->m_texture)
        return sdlError("creating the texture");
    // A resized window shows the phone's screen scaled uniformly and centred
    // (bars fill the rest), and mouse positions arrive in frame pixels.
    if (SDL_RenderSetLogicalSize(host->m_renderer, pw, ph) != 0)
        return sdlError("keeping the screen's aspect");
    // Text input (and the IME with it) is on only while a text control has focus.
    SDL_StopTextInput();
    return host;
}

DesktopHost::DesktopHost(Screen& screen, double fit)
    : m_screen(screen)
    , m_compositor(screen)
    , m_fit(fit)
{
}

DesktopHost::~DesktopHost()
{
    if (m_mouseDown)
        m_screen.postTouch(kMouseFinger, TouchPhase::Cancelled, {}, AnimationClock::current().now());
    if (m_pinching)
        endPinch(AnimationClock::current().now());
    m_screen.deliverInput();
    SDL_StopTextInput();
    if (m_texture)
        SDL_DestroyTexture(m_texture);
    if (m_renderer)
        SDL_DestroyRenderer(m_renderer);
    if (m_window)
        SDL_DestroyWindow(m_window);
    // After the window, so that the refusals of destroying one that is
    // already gone reach the watch; before the video, which closes the
    // display.
    m_watch.reset();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool DesktopHost::handle(const SDL_Event& event)
{
    double now = AnimationClock::current().now();
    // Positions of button and motion events are in frame pixels (the
    // renderer's logical size); the wheel's pointer is in window units.
    double scale = m_screen.scale();
    auto point = [scale](int x, int y) { return Point{x / scale, y / scale}; };
    auto key = [this](KeyEvent::Kind kind) { m_screen.postKeyEvent({kind, {}}); };
    // Where the mouse pointer is, in screen points (wheel and touchpad
    // events carry no frame position).
    auto pointer = [this, scale] {
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        float lx = 0, ly = 0;
        SDL_RenderWindowToLogical(m_renderer, x, y, &lx, &ly);
        return Point{lx / scale, ly / scale};
    };
    switch (event.type) {
    case SDL_QUIT:
        return false;
    case SDL_SYSWMEVENT:
        if (m_watch)
            m_watch->handle(event);
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_LEFT) {
            m_mouseDown = true;
            m_screen.postTouch(kMouseFinger, TouchPhase::Began, point(event.button.x, event.button.y), now);
        }
        break;
    case SDL_MOUSEMOTION:
        if (m_mouseDown)
            m_screen.postTouch(kMouseFinger, TouchPhase::Moved, point(event.motion.x, event.motion.y), now);
        break;
    case SDL_MOUSEWHEEL: {
        // One notch scrolls a few lines; SDL counts up as positive.
        double lines = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -40 : 40;
        if (SDL_GetModState() & KMOD_CTRL) {
            // Up spreads the fingers (zooms in), down closes them.
            pinchBy(pointer(), std::pow(kPinchPerNotch, lines > 0 ? event.wheel.y : -event.wheel.y), now);
            break;
        }
        m_screen.postScrollWheel(pointer(), {-event.wheel.x * lines, -event.wheel.y * lines});
        break;
    }
    case SDL_MULTIGESTURE:
        // The distance change is a share of the touchpad's size.
        if (event.mgesture.numFingers == 2 && event.mgesture.dDist != 0)
            pinchBy(pointer(), std::exp(event.mgesture.dDist * 3.0), now);
        break;
    case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT && m_mouseDown) {
            m_mouseDown = false;
            m_screen.postTouch(kMouseFinger, TouchPhase::Ended, point(event.button.x, event.button.y), now);
        }
        break;
    case SDL_WINDOWEVENT:
        // A press that leaves with the focus never gets its release.
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST && (m_mouseDown || m_pinching)) {
            if (m_mouseDown)
                m_screen.postTouch(kMouseFinger, TouchPhase::Cancelled, {}, now);
            m_mouseDown = false;
            if (m_pinching)
                endPinch(now);
        } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED
                   || event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
            m_compositor.invalidateAll();
        } else if (event.window.event == SDL_WINDOWEVENT_MINIMIZED) {
            Application::shared().enterBackground();
        } else if (event.window.event == SDL_WINDOWEVENT_RESTORED
                   || event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
            // Back from a peer application or from the task bar: to the
            // front as any return is (nothing when already active).
            Application::shared().enterForeground();
            m_compositor.invalidateAll();
        }
        break;
    case SDL_TEXTINPUT:
        m_screen.postKeyEvent({KeyEvent::Kind::Text, event.text.text});
        break;
    case SDL_TEXTEDITING:
        m_screen.postKeyEvent({KeyEvent::Kind::MarkedText, event.edit.text});
        break;
    case SDL_KEYDOWN:
        switch (event.key.keysym.sym) {
        case SDLK_BACKSPACE: key(KeyEvent::Kind::Backspace); break;
        case SDLK_DELETE: key(KeyEvent::Kind::Delete); break;
        case SDLK_RETURN:
        case SDLK_KP_ENTER: key(KeyEvent::Kind::Return); break;
        case SDLK_TAB: key(KeyEvent::Kind::Tab); break;
        case SDLK_ESCAPE: key(KeyEvent::Kind::Escape); break;
        case SDLK_LEFT: key(KeyEvent::Kind::Left); break;
        case SDLK_RIGHT: key(KeyEvent::Kind::Right); break;
        case SDLK_UP: key(KeyEvent::Kind::Up); break;
        case SDLK_DOWN: key(KeyEvent::Kind::Down); break;
        default: break;
        }
        break;
    default:
        break;
    }
    return true;
}

std::optional<Error> DesktopHost::present()
{
    auto rendered = m_compositor.render();
    if (!rendered)
        return rendered.error();
    if (rendered.value().isEmpty())
        return std::nullopt;
    const Bitmap& frame = *m_compositor.frame();
    cairo_surface_t* surface = frame.surface();
    cairo_surface_flush(surface);
    if (SDL_UpdateTexture(m_texture, nullptr, cairo_image_surface_get_data(surface),
                          cairo_image_surface_get_stride(surface)) != 0)
        return sdlError("updating the texture");
    if (SDL_RenderClear(m_renderer) != 0 || SDL_RenderCopy(m_renderer, m_texture, nullptr, nullptr) != 0)
        return sdlError("drawing the frame");
    SDL_RenderPresent(m_renderer);
    return std::nullopt;
}

void DesktopHost::pinchBy(Point centre, double factor, double now)
{
    auto place = [&](TouchPhase phase) {
        for (int i = 0; i < 2; ++i)
            m_screen.postTouch(kPinchFingers[i], phase,
                               {m_pinchCentre.x + (i ? 1 : -1) * m_pinchSpread / 2, m_pinchCentre.y}, now);
    };
    if (!m_pinching) {
        m_pinching = true;
        m_pinchCentre = centre;
        m_pinchSpread = kPinchStartSpread;
        place(TouchPhase::Began);
    }
    if (std::isfinite(factor) && factor > 0)
        m_pinchSpread = std::clamp(m_pinchSpread * factor, 2.0, 4000.0);
    m_lastPinchInput = now;
    place(TouchPhase::Moved);
}

void DesktopHost::endPinch(double now)
{
    m_pinching = false;
    for (int i = 0; i < 2; ++i)
        m_screen.postTouch(kPinchFingers[i], TouchPhase::Cancelled,
                           {m_pinchCentre.x + (i ? 1 : -1) * m_pinchSpread / 2, m_pinchCentre.y}, now);
}

void DesktopHost::updateTextInput()
{
    bool wanted = m_screen.wantsTextInput();
    if (wanted == m_textInput)
        return;
    m_textInput = wanted;
    if (wanted)
        SDL_StartTextInput();
    else
        SDL_StopTextInput();
}

bool DesktopHost::step()
{
    SDL_Event event;
    bool open = true;
    while (open && SDL_PollEvent(&event))
        open = handle(event);
    // Gone without a close: the same end as the close button's.
    if (m_watch && m_watch->isDestroyed())
        open = false;
    // Lifted as cancelled: a wheel turned over a button is no press of it.
    if (double now = AnimationClock::current().now(); m_pinching && now - m_lastPinchInput > kPinchIdle)
        endPinch(now);
    m_screen.deliverInput();
    RunLoop::main().runUntilIdle();
    updateTextInput();
    if (auto error = present())
        log("pf::DesktopHost: %s", error->description.c_str());
    return open;
}

void DesktopHost::run()
{
    while (step())
        RunLoop::main().runUntil([] { return false; }, Seconds(1.0 / 60));
}

}
