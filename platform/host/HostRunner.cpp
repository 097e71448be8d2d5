#include "platform/host/HostRunner.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/host/DesktopHost.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Screen.h"

#include <cstdlib>

namespace pf {

ErrorOr<HostOptions> HostOptions::take(std::vector<std::string>& arguments)
{
    HostOptions options;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--shot") {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty())
                return Error{"pf::HostOptions", 1, "--shot needs a file name"};
            options.shotPath = arguments[++i];
            options.headless = true;
        } else if (a == "--headless") {
            options.headless = true;
        } else {
            rest.push_back(a);
        }
    }
    arguments = std::move(rest);
    return options;
}

bool hasDisplay()
{
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY");
}

int runHost(const HostOptions& options, Screen& screen)
{
    if (options.shotPath) {
        HeadlessHost host(screen);
        // Let start-up work and a first layout settle before the picture.
        host.advance(0.5);
        if (auto error = host.writePng(*options.shotPath)) {
            log("screenshot failed: %s", error->description.c_str());
            return 1;
        }
        return 0;
    }
    if (!options.headless && hasDisplay()) {
        auto desktop = DesktopHost::create(screen, options.title);
        if (desktop) {
            desktop.value()->run();
            return 0;
        }
        log("no desktop window (%s); running headless", desktop.error().description.c_str());
    }
    // Headless: frames are still laid out and rendered, so the program
    // behaves as on a screen that nobody looks at.
    Compositor compositor(screen);
    auto frameTimer = RunLoop::main().scheduleTimer(Seconds(1.0 / 30), true, [&compositor] {
        if (auto rendered = compositor.render(); !rendered)
            log("rendering failed: %s", rendered.error().description.c_str());
    });
    RunLoop::main().run();
    frameTimer->invalidate();
    return 0;
}

}
