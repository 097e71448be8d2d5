#include "platform/host/ApplicationMain.h"

#include "platform/foundation/AppRegistry.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/URLInbox.h"
#include "platform/foundation/RunLoop.h"
#include "platform/host/DesktopHost.h"
#include "platform/host/HeadlessHost.h"
#include "platform/host/HostRunner.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/Screen.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace pf {

namespace {

constexpr double kFrame = 1.0 / 60;
// Start-up work gets this much animation time before the first look.
constexpr double kFirstLook = 0.5;
constexpr double kShotTimeout = 10;

std::vector<std::string> g_relaunchArguments;

std::optional<std::string> takeURL(std::vector<std::string>& arguments, bool& missing, const char* flag = "--url")
{
    std::optional<std::string> url;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] != flag) {
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

// Options of a launch by another application: "--open-url URL
// --source-application ID"; nil without them, nothing (after a message)
// when they make no sense.
std::optional<Value> takeLaunchOptions(std::vector<std::string>& arguments, const std::string& program)
{
    bool missing = false;
    auto url = takeURL(arguments, missing, "--open-url");
    auto source = takeURL(arguments, missing, "--source-application");
    // Another program chose these: the same checks as for its socket messages.
    if (missing || (url && (url->size() > URLInbox::kMaxURLLength || !URL::create(*url)))
        || (source && !source->empty() && !AppRegistry::isValidBundleIdentifier(*source))) {
        std::fprintf(stderr, "%s: --open-url needs a URL and --source-application a bundle identifier\n",
                     program.c_str());
        return std::nullopt;
    }
    if (!url)
        return Value();
    return Value(Dictionary::create({{LaunchOptionsURLKey, *url}, {LaunchOptionsSourceApplicationKey, source.value_or("")}}));
}

// Writes the registry entry and listens, when the bundle names the program.
void receiveURLs(Application& application)
{
    auto bundle = Bundle::main();
    std::error_code error;
    auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!bundle || error)
        return;
    std::vector<std::string> command{program.string()};
    command.insert(command.end(), g_relaunchArguments.begin(), g_relaunchArguments.end());
    auto self = InstalledApp::fromInfoDictionary(*bundle->infoDictionary(), std::move(command));
    if (self.bundleIdentifier.empty())
        return;
    if (auto refused = application.startReceivingURLs(self))
        log("no URLs from other applications: %s", refused->description.c_str());
}

}

void setRelaunchArguments(std::vector<std::string> arguments) { g_relaunchArguments = std::move(arguments); }

bool waitUntilSettled(HeadlessHost& host, ApplicationDelegate& delegate, double timeoutSeconds)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    double played = 0;
    for (;;) {
        host.advance(kFrame);
        played += kFrame;
        bool idle = RunLoop::main().runUntilIdle() == 0 && Animator::shared().isSettled();
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

namespace {

// Opens the command line's --url; a refusal is said (the delegate's reason
// tells what shows instead) and the answer is false.
bool openRootURL(ApplicationDelegate& delegate, const URL& url, const std::string& program)
{
    auto refused = delegate.applicationOpenRootURL(Application::shared(), url);
    if (refused)
        std::fprintf(stderr, "%s: --url %s: %s\n", program.c_str(),
                     redactSecrets(url.absoluteString()).c_str(), refused->c_str());
    return !refused;
}

std::string baseName(const char* path)
{
    std::string name = path ? path : "";
    auto slash = name.rfind('/');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

}

int ApplicationMain(int argc, char** argv, const ApplicationDelegateFactory& makeDelegate)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    std::string program = argc > 0 && !baseName(argv[0]).empty() ? baseName(argv[0]) : "zomaru";
    auto host = HostOptions::take(arguments);
    if (!host) {
        std::fprintf(stderr, "%s: %s\n", program.c_str(), host.error().description.c_str());
        return 2;
    }
    host->program = program;
    bool urlMissing = false;
    auto urlText = takeURL(arguments, urlMissing);
    if (urlMissing) {
        std::fprintf(stderr, "%s: --url needs a URL\n", program.c_str());
        return 2;
    }
    std::optional<URL> url;
    if (urlText && !(url = URL::create(*urlText))) {
        std::fprintf(stderr, "%s: --url %s: not a URL\n", program.c_str(), urlText->c_str());
        return 2;
    }
    auto launchOptions = takeLaunchOptions(arguments, program);
    if (!launchOptions)
        return 2;
    auto delegate = makeDelegate(arguments);
    if (!delegate)
        return 2;
    Application& application = Application::shared();
    application.setDelegate(delegate);
    receiveURLs(application);
    struct StopReceiving {
        ~StopReceiving() { Application::shared().stopReceivingURLs(); }
    } stopReceiving;

    if (host->headless || !hasDisplay()) {
        if (!host->headless)
            std::fprintf(stderr, "%s: no display (DISPLAY and WAYLAND_DISPLAY are unset): running without a window "
                                 "until start-up settled, then ending\n", program.c_str());
        HeadlessHost headless;
        if (!application.launch(*launchOptions))
            return 1;
        bool opened = !url || openRootURL(*delegate, *url, program);
        if (!opened && host->shotPath) {
            // A shot of a screen that was not asked for is no answer to --url.
            std::fprintf(stderr, "%s: no screenshot written\n", program.c_str());
            return 1;
        }
        bool settled = waitUntilSettled(headless, *delegate, kShotTimeout);
        applyInputSteps(headless, host->steps, [&] { settled = waitUntilSettled(headless, *delegate, kShotTimeout) && settled; });
        if (!settled)
            std::fprintf(stderr, "%s: start-up did not settle within %.0f s (requests, animations or other work "
                                 "were still going on)%s\n", program.c_str(), kShotTimeout,
                         host->shotPath ? "; the shot shows the screen as it was then" : "");
        if (host->shotPath) {
            if (auto error = headless.writePng(*host->shotPath)) {
                std::fprintf(stderr, "%s: cannot write the screenshot: %s\n", program.c_str(), error->description.c_str());
                return 1;
            }
        }
        return settled ? 0 : 1;
    }
    auto desktop = DesktopHost::create(Screen::main(), host->title);
    if (!desktop) {
        std::fprintf(stderr, "%s: no desktop window: %s\n", program.c_str(), desktop.error().description.c_str());
        return 1;
    }
    if (!application.launch(*launchOptions))
        return 1;
    if (url)
        openRootURL(*delegate, *url, program);
    desktop.value()->run();
    return 0;
}

}
