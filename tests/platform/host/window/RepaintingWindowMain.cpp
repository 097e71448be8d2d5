// A desktop host whose window repaints every frame, for tests that act on
// a real window from another X11 client: TITLE names the window; "running"
// is printed once the host runs, "closed" once its run has ended.

#include "platform/foundation/RunLoop.h"
#include "platform/host/DesktopHost.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s TITLE\n", argv[0]);
        return 2;
    }
    auto window = pf::Window::create();
    window->makeKeyAndVisible();
    auto host = pf::DesktopHost::create(pf::Screen::main(), argv[1]);
    if (!host) {
        std::fprintf(stderr, "%s\n", host.error().description.c_str());
        return 1;
    }
    // Requests on the window keep going out after it is gone.
    bool dark = false;
    auto repaint = pf::RunLoop::main().scheduleTimer(pf::Seconds(1.0 / 60), true, [&] {
        dark = !dark;
        window->setBackgroundColor(dark ? pf::Color::black() : pf::Color::whiteColor());
    });
    std::puts("running");
    std::fflush(stdout);
    host.value()->run();
    repaint->invalidate();
    host.value().reset();
    pf::Screen::main().removeAllWindows();
    std::puts("closed");
    return 0;
}
