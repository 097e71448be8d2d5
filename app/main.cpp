// The program's entry: reads the bundle's configuration, builds the
// application shell, signs the demo user in with --demo, then runs the
// application's start-up on a host (a desktop window when a display is
// available, headless for --shot and --headless).

#include "app/DemoSession.h"
#include "app/screens/ZMRScreensRegistration.h"
#include "app/services/ZMRShell.h"
#include "framework/core/KRServiceContainer.h"
#include "framework/dom/KRDOMRegistration.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/URL.h"
#include "platform/net/CookieStore.h"
#include "platform/host/ApplicationMain.h"
#include "platform/web/WebViewPages.h"
#include "sdk/zz/CVOSDKServers.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

namespace {

struct Options {
    std::string resources = "resources";
    std::optional<std::string> server;
    std::optional<std::string> zzServer, zzServerHttps, zzAnalytics;
    std::optional<std::string> voxlyServer;
    bool demo = false;
    bool verbose = false;
};

constexpr const char* kHelp =
    "usage: zomaru [OPTION]...\n"
    "Runs the application: reads the configuration, signs in with --demo, then starts it in its window.\n"
    "\n"
    "  --resources DIR   folder holding cfg.plist and the other resources (default: resources)\n"
    "  --server URL      send API requests to this application server (an API address such as\n"
    "                    http://127.0.0.1:9000/api); every other address of the configuration on\n"
    "                    the default origin http://127.0.0.1:8080 moves to its origin too\n"
    "  --zz-server URL   send the ZZ SDK's http requests to this origin\n"
    "  --zz-server-https URL  send the ZZ SDK's https requests to this origin\n"
    "  --zz-analytics URL     send the SDK's usage reports to this origin\n"
    "  --voxly-server URL     send the Voxly SDK's web authorisation and calls to this origin\n"
    "                    (its redirect page moves there too)\n"
    "  --demo            sign in before launch (registering the demo account once)\n"
    "  --headless        start without a window, wait until start-up settled, end\n"
    "  --shot FILE.png   like --headless, then write the screen to FILE.png\n"
    "  --url URL         open URL in the root screen after launch (before a shot; with --shot, a URL\n"
    "                    no screen takes ends the run with status 1 and writes no file). A post's\n"
    "                    details (.../feed-details?pid=N) take the post itself from the feed row\n"
    "                    tapped: opened by URL alone they show the post's comments without it\n"
    "  --tap X,Y         headless: once settled, tap at X,Y (in points; repeatable)\n"
    "  --drag X1,Y1,X2,Y2  headless: once settled, drag from X1,Y1 to X2,Y2\n"
    "  --pinch X,Y,SCALE headless: once settled, pinch about X,Y, the fingers' spread\n"
    "                    growing SCALE times (below 1: closing)\n"
    "  --type TEXT       headless: once settled, type TEXT into the focused field\n"
    "                    (taps, drags, pinches and typing run in the order given, each followed by\n"
    "                    the settle wait, before --shot)\n"
    "  --verbose         also print the configuration and the diagnostic log\n"
    "  --help            print this help and exit\n"
    "\n"
    "Environment:\n"
    "  ZMR_HOME          the data folder (default ~/.zomaru)\n"
    "  ZMR_PICTURES      the photo album's folder (default: Pictures in the data folder)\n"
    "  ZMR_POSITION      the device's position, \"latitude,longitude\" in degrees (default: none)\n"
    "  ZMR_LOCATION      \"off\" turns location services off\n"
    "  ZMR_DEVICE        the device the app runs as: \"KIND,VERSION[,WIDTH,HEIGHT,SCALE]\",\n"
    "                    KIND iPhone, iPhone5 or iPad (default iPhone5,7.0, 320 x 568 points)\n"
    "  ZMR_DEVICE_DIR    the installed-app registry and shared pasteboards of peer apps\n"
    "                    (default: device, beside the data folder)\n"
    "  ZMR_NET_INTERFACE the network interface whose address identifies the device\n"
    "                    (default: the first wireless one that is up, else the first up)\n"
    "  ZMR_CA_FILE       a PEM file of certificate authorities trusted beside the system's\n"
    "  ZMR_LOG           debug, info or error: the diagnostic log's level\n";

// Options, or nothing (after a message) for arguments that make no sense.
std::optional<Options> parse(const std::vector<std::string>& arguments)
{
    Options options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        bool hasValue = i + 1 < arguments.size();
        if ((a == "--resources" || a == "--server" || a == "--zz-server" || a == "--zz-server-https"
             || a == "--zz-analytics" || a == "--voxly-server") && !hasValue) {
            std::fprintf(stderr, "zomaru: %s needs a value (see zomaru --help)\n", a.c_str());
            return std::nullopt;
        }
        if (a == "--resources")
            options.resources = arguments[++i];
        else if (a == "--server")
            options.server = arguments[++i];
        else if (a == "--zz-server")
            options.zzServer = arguments[++i];
        else if (a == "--zz-server-https")
            options.zzServerHttps = arguments[++i];
        else if (a == "--zz-analytics")
            options.zzAnalytics = arguments[++i];
        else if (a == "--voxly-server")
            options.voxlyServer = arguments[++i];
        else if (a == "--demo")
            options.demo = true;
        else if (a == "--verbose" || a == "-v")
            options.verbose = true;
        else {
            std::fprintf(stderr, "zomaru: unknown option %s (see zomaru --help)\n", a.c_str());
            return std::nullopt;
        }
    }
    return options;
}

// Points the ZZ SDK's http rows, https rows and analytics row at other
// servers; false (with a message) for an address that is not an origin.
bool useZZServers(const Options& options)
{
    struct Flag {
        const char* name;
        const std::optional<std::string>& value;
        bool (*set)(std::string_view);
    } flags[] = {
        { "--zz-server", options.zzServer, CVOSDKServers::setHttpOrigin },
        { "--zz-server-https", options.zzServerHttps, CVOSDKServers::setHttpsOrigin },
        { "--zz-analytics", options.zzAnalytics, CVOSDKServers::setAnalyticsOrigin },
    };
    for (const auto& flag : flags) {
        if (flag.value && !flag.set(*flag.value)) {
            std::fprintf(stderr, "zomaru: %s %s: not an origin of the right scheme\n", flag.name, flag.value->c_str());
            return false;
        }
    }
    return true;
}

void printConfiguration(KRShell& shell)
{
    std::printf("Service containers:\n");
    for (const auto& container : shell.serviceContainers()) {
        std::string types;
        for (const pf::Protocol* type : container->taskTypes())
            types += (types.empty() ? "" : ", ") + type->name();
        std::printf("  %s%s: %s\n", container->instanceClass()->name().c_str(),
                    container->isInherit() ? " (inherit)" : "", types.c_str());
    }
    std::printf("Screen entries:\n");
    if (auto ui = shell.config()->dictionary("ui")) {
        for (const auto& [alias, entry] : *ui) {
            auto dict = entry.dictionary();
            std::string cls = dict ? dict->string("class").value_or("(no class)") : "(not an entry)";
            std::printf("  %s: %s\n", alias.c_str(), cls.c_str());
        }
    }
    std::fflush(stdout);
}


// The shell, made and signed in as the arguments say; null (after a
// message) when the program should end.
std::shared_ptr<ZMRShell> makeShell(std::vector<std::string>& arguments)
{
    auto options = parse(arguments);
    if (!options)
        return nullptr;
    // What a person sees is what they asked for; diagnostics only on request
    // (or with ZMR_LOG set).
    if (options->verbose)
        pf::setLogLevel(pf::LogLevel::Debug);
    else if (!std::getenv("ZMR_LOG"))
        pf::setLogLevel(pf::LogLevel::Error);
    // Refuses to start without a home of our own; runs on without a writable one.
    if (auto unwritable = pf::prepareHomeDirectory())
        std::fprintf(stderr, "zomaru: %s. Nothing (sign-in, settings, caches) will be kept.\n",
                     unwritable->description.c_str());
    if (!useZZServers(*options))
        return nullptr;
    if (options->voxlyServer) {
        auto origin = pf::CookieStore::originOfURL(*options->voxlyServer);
        auto url = pf::URL::create(*options->voxlyServer);
        if (!origin || !url || (url->path() != "" && url->path() != "/")) {
            std::fprintf(stderr, "zomaru: --voxly-server %s: not an http or https origin\n", options->voxlyServer->c_str());
            return nullptr;
        }
    }
    registerScreensClasses();
    registerDOMClasses();
    pf::useHtmlDocumentsInWebViews();

    pf::Bundle::setMain(std::make_shared<pf::Bundle>(options->resources));
    // Peer applications start this program from their own folders.
    pf::setRelaunchArguments({"--resources", std::filesystem::absolute(options->resources).string()});
    auto shell = ZMRShell::create(options->server);
    if (!shell) {
        std::fprintf(stderr, "zomaru: no usable cfg.plist in %s\n", options->resources.c_str());
        return nullptr;
    }
    if (options->voxlyServer)
        shell->useVoxlyServer(pf::CookieStore::originOfURL(*options->voxlyServer).value_or(""));
    if (options->verbose)
        printConfiguration(*shell);
    if (options->demo) {
        if (runDemoSession(shell, DemoAccount{}, 15) != 0)
            return nullptr;
        std::fflush(stdout);
    }
    return shell;
}

}

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        }
    }
    return pf::ApplicationMain(argc, argv, makeShell);
}
