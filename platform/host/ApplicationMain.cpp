#include "platform/host/ApplicationMain.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/host/DesktopHost.h"
#include "platform/host/HeadlessHost.h"
#include "platform/host/HostRunner.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"

#include <chrono>
#include <cstdio>

namespace pf {

namespace {

constexpr double kFrame = 1.0 / 60;
// Start-up work gets this much animation time before the first look.
constexpr double kFirstLook = 0.5;
constexpr double kShotTimeout = 10;

std::optional<std::string> takeURL(std::vector<std::string>& arguments, bool& missing)
{
    std::optional<std::string> url;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] != "--url") {
            rest.push_back(arguments[i]);
            continue;
        }
        if (i + 1 >= arguments.size()) {
            missing = true;
            break;
        }
        url = arguments[++i];
    }
    arguments = std::move(rest);
    return url;
}

}

bool waitUntilSettled(HeadlessHost& host, ApplicationDelegate& delegate, double timeoutSeconds)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    double played = 0;
    for (;;) {
        host.advance(kFrame);
        played += kFrame;
        bool idle = RunLoop::main().runUntilIdle() == 0 && Animator::shared().isIdle();
        if (played >= kFirstLook && idle && delegate.applicationIsReady(Application::shared()))
            return true;
        if (std::chrono::steady_clock::now() >= deadline) {
            log("start-up did not settle within %.0f s", timeoutSeconds);
            return false;
        }
        // Answers from other threads arrive on the main loop meanwhile.
        RunLoop::main().runUntil([] { return false; }, Seconds(0.005));
    }
}

int ApplicationMain(int argc, char** argv, const ApplicationDelegateFactory& makeDelegate)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    auto host = HostOptions::take(arguments);
    if (!host) {
        std::fprintf(stderr, "%s\n", host.error().description.c_str());
        return 2;
    }
    bool urlMissing = false;
    auto urlText = takeURL(arguments, urlMissing);
    if (urlMissing) {
        std::fprintf(stderr, "--url needs a URL\n");
        return 2;
    }
    std::optional<URL> url;
    if (urlText && !(url = URL::create(*urlText))) {
        std::fprintf(stderr, "--url %s: not a URL\n", urlText->c_str());
        return 2;
    }
    auto delegate = makeDelegate(arguments);
    if (!delegate)
        return 2;
    Application& application = Application::shared();
    application.setDelegate(delegate);

    if (host->headless || !hasDisplay()) {
        if (!host->headless)
            std::fprintf(stderr, "No display (DISPLAY and WAYLAND_DISPLAY are unset): running without a window "
                                 "until start-up settled, then ending.\n");
        HeadlessHost headless;
        if (!application.launch())
            return 1;
        if (url)
            delegate->applicationOpenRootURL(application, *url);
        bool settled = waitUntilSettled(headless, *delegate, kShotTimeout);
        if (host->shotPath) {
            if (auto error = headless.writePng(*host->shotPath)) {
                log("screenshot failed: %s", error->description.c_str());
                return 1;
            }
        }
        return settled ? 0 : 1;
    }
    auto desktop = DesktopHost::create(Screen::main(), host->title);
    if (!desktop) {
        log("no desktop window: %s", desktop.error().description.c_str());
        return 1;
    }
    if (!application.launch())
        return 1;
    if (url)
        delegate->applicationOpenRootURL(application, *url);
    desktop.value()->run();
    return 0;
}

}
