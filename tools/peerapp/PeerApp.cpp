#include "tools/peerapp/PeerApp.h"

#include "platform/foundation/AppRegistry.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/URLInbox.h"

#include <cstdio>

namespace peerapp {

const std::string& Command::option(const std::string& name) const
{
    static const std::string none;
    auto it = options.find(name);
    return it == options.end() ? none : it->second;
}

int fail(const App& app, const std::string& why)
{
    std::printf("%s: %s\n", app.name, why.c_str());
    return 1;
}

bool wake(const App& app, const std::string& text)
{
    auto url = pf::URL::create(text);
    auto target = url ? pf::AppRegistry::appForScheme(url->scheme()) : std::nullopt;
    auto message = url ? pf::URLInbox::message(*url, app.bundle) : std::nullopt;
    if (!target || !message)
        return false;
    auto delivery = pf::URLInbox::send(target->bundleIdentifier, *message);
    return delivery == pf::URLInbox::Delivery::Delivered
        || (delivery == pf::URLInbox::Delivery::NotRunning && pf::URLInbox::start(*target, *url, app.bundle));
}

int run(const App& app, int argc, char** argv, Handler install, Handler answer)
{
    Command command;
    command.script = app.script;
    command.options = app.options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (arg == "--install")
            command.install = true;
        else if (arg == "--script")
            command.script = next();
        else if (arg == "--open-url")
            command.url = next();
        else if (arg == "--source-application")
            next();
        else if (app.options.count(arg))
            command.options[arg] = next();
        else if (app.flags.count(arg))
            command.options[arg] = "1";
        else
            return fail(app, "unknown argument " + arg);
    }
    if (!app.scripts.count(command.script))
        return fail(app, "unknown script " + command.script);
    if (command.install)
        return install(command);
    if (command.url.empty())
        return fail(app, "nothing to do");
    return answer(command);
}

}
