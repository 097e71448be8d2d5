// The program's entry: reads the bundle's configuration, builds the
// application shell and reports what it made; with --demo it signs in to the
// application server and prints the first page of the feed; then it shows
// its window (on the desktop when a display is available, headless for
// --shot).

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
#include "platform/foundation/PropertyList.h"
#include "platform/graphics/Color.h"
#include "platform/host/HostRunner.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "sdk/zz/CVOSDKServers.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <variant>
#include <vector>

namespace {

struct Options {
    std::string resources = "resources";
    std::optional<std::string> server;
    std::optional<std::string> zzServer, zzServerHttps, zzAnalytics;
    bool demo = false;
    bool verbose = false;
    pf::HostOptions host;
};

constexpr const char* kHelp =
    "usage: zomaru [OPTION]...\n"
    "Runs the application: reads the configuration, signs in with --demo, then shows its window.\n"
    "\n"
    "  --resources DIR   folder holding cfg.plist and the other resources (default: resources)\n"
    "  --server URL      send API requests to this application server\n"
    "  --zz-server URL   send the ZZ SDK's http requests to this origin\n"
    "  --zz-server-https URL  send the ZZ SDK's https requests to this origin\n"
    "  --zz-analytics URL     send the SDK's usage reports to this origin\n"
    "  --demo            sign in (registering the demo account once) and print the feed's first page\n"
    "  --headless        show no desktop window\n"
    "  --shot FILE.png   draw the window once headless and write it to FILE.png\n"
    "  --verbose         also print the configuration and the diagnostic log\n"
    "  --help            print this help and exit\n"
    "\n"
    "Data is kept in $ZMR_HOME, else ~/.zomaru.\n";

// Options, or the exit status when the program should stop at once.
std::variant<Options, int> parse(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    for (const std::string& a : arguments) {
        if (a == "--help" || a == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        }
    }
    auto host = pf::HostOptions::take(arguments);
    if (!host) {
        std::fprintf(stderr, "zomaru: %s (see zomaru --help)\n", host.error().description.c_str());
        return 2;
    }
    Options options;
    options.host = *host;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        bool hasValue = i + 1 < arguments.size();
        if ((a == "--resources" || a == "--server" || a == "--zz-server" || a == "--zz-server-https"
             || a == "--zz-analytics") && !hasValue) {
            std::fprintf(stderr, "zomaru: %s needs a value (see zomaru --help)\n", a.c_str());
            return 2;
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
        else if (a == "--demo")
            options.demo = true;
        else if (a == "--verbose" || a == "-v")
            options.verbose = true;
        else {
            std::fprintf(stderr, "zomaru: unknown option %s (see zomaru --help)\n", a.c_str());
            return 2;
        }
    }
    return options;
}

// Points the application server's addresses at another server (the local
// one run.sh starts): the API service's "url" and the upload service's "url"
// (the same server's "/upload").
void useServer(const pf::DictionaryRef& config, const std::string& apiUrl)
{
    std::string root = apiUrl;
    if (auto slash = root.rfind('/'); slash != std::string::npos && slash > root.find("//") + 1)
        root.erase(slash);
    if (auto services = config->array("services")) {
        for (const pf::Value& entry : *services) {
            auto dict = entry.dictionary();
            if (dict && dict->string("class") == "KRAPIService")
                dict->set("url", apiUrl);
            else if (dict && dict->string("class") == "ZMRImageUploadService")
                dict->set("url", root + "/upload");
        }
    }
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

}

int main(int argc, char** argv)
{
    auto parsed = parse(argc, argv);
    if (auto* status = std::get_if<int>(&parsed))
        return *status;
    auto options = &std::get<Options>(parsed);
    // What a person sees is what they asked for; diagnostics only on request
    // (or with ZMR_LOG set).
    if (options->verbose)
        pf::setLogLevel(pf::LogLevel::Debug);
    else if (!std::getenv("ZMR_LOG"))
        pf::setLogLevel(pf::LogLevel::Error);
    pf::homeDirectory(); // refuses to start without a home of our own
    if (!useZZServers(*options))
        return 2;
    registerScreensClasses();
    registerDOMClasses();

    auto bundle = std::make_shared<pf::Bundle>(options->resources);
    pf::Bundle::setMain(bundle);
    auto path = bundle->pathForResource("cfg", "plist");
    if (!path) {
        std::fprintf(stderr, "zomaru: no cfg.plist in %s\n", options->resources.c_str());
        return 1;
    }
    auto config = pf::readPropertyListFile(*path);
    if (!config || !config->dictionary()) {
        std::fprintf(stderr, "zomaru: %s: %s\n", path->c_str(),
                     config ? "not a dictionary" : config.error().description.c_str());
        return 1;
    }
    if (options->server)
        useServer(config->dictionary(), *options->server);
    auto shell = ZMRShell::create(config->dictionary(), bundle);
    // Every markup document is styled with the bundle's style sheet.
    if (auto css = bundle->pathForResource("style", "css")) {
        if (auto bytes = pf::readFile(*css))
            shell->loadDOMStyleSheet({reinterpret_cast<const char*>(bytes->data()), bytes->size()});
    }
    if (options->verbose)
        printConfiguration(*shell);
    shell->startLocation();

    if (options->demo) {
        if (int status = runDemoSession(shell, DemoAccount{}, 15))
            return status;
        std::fflush(stdout);
    }

    // Headless without a screenshot to take there is nothing more to show.
    if ((options->host.headless || !pf::hasDisplay()) && !options->host.shotPath)
        return 0;
    // The application's screens stand on this window once they exist.
    auto window = pf::Window::create();
    window->setBackgroundColor(pf::Color::whiteColor());
    window->makeKeyAndVisible();
    return pf::runHost(options->host, pf::Screen::main());
}
