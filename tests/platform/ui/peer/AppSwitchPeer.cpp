// A minimal peer application for the app-switching tests: it registers
// itself, listens for URLs, can open one after launch and answer the first
// URL it receives with another, and prints every life-cycle step as a line
// "<bundle id>: <step>". It ends when its standard input closes.
//
//   pf_ui_peer --id ID --scheme S [--scheme S2] [--open URL] [--answer URL]
//              [--open-url URL --source-application ID]

#include "platform/foundation/AppRegistry.h"
#include "platform/foundation/ApplicationNotifications.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::string g_id;

void say(const std::string& step)
{
    std::printf("%s: %s\n", g_id.c_str(), step.c_str());
    std::fflush(stdout);
}

class PeerDelegate final : public pf::ApplicationDelegate {
public:
    explicit PeerDelegate(std::string answer) : m_answer(std::move(answer)) {}
    bool applicationDidFinishLaunchingWithOptions(pf::Application&, const pf::Value&) override
    {
        say("launched");
        return true;
    }
    bool applicationOpenURL(pf::Application&, const pf::URL& url, const std::string& source, const pf::Value&) override
    {
        say("open " + url.absoluteString() + " from " + source);
        if (!m_answer.empty()) {
            auto answer = pf::URL::create(std::exchange(m_answer, {}));
            pf::RunLoop::main().post([answer] {
                bool opened = answer && pf::Application::shared().openURL(*answer);
                say(std::string(opened ? "answered " : "could not answer ") + (answer ? answer->absoluteString() : "?"));
            });
        }
        return true;
    }

private:
    std::string m_answer;
};

}

int main(int argc, char** argv)
{
    std::vector<std::string> schemes;
    std::string open, answer, openURL, source;
    std::vector<std::string> command;
    std::error_code error;
    command.push_back(std::filesystem::read_symlink("/proc/self/exe", error).string());
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string flag = argv[i], value = argv[i + 1];
        if (flag == "--id")
            g_id = value;
        else if (flag == "--scheme")
            schemes.push_back(value);
        else if (flag == "--open")
            open = value;
        else if (flag == "--answer")
            answer = value;
        else if (flag == "--open-url")
            openURL = value;
        else if (flag == "--source-application")
            source = value;
        if (flag != "--open-url" && flag != "--source-application" && flag != "--open")
            command.insert(command.end(), {flag, value});
    }
    auto& application = pf::Application::shared();
    auto delegate = std::make_shared<PeerDelegate>(answer);
    application.setDelegate(delegate);
    auto owner = std::make_shared<int>(0);
    const std::pair<const char*, const char*> steps[] = {
        {pf::ApplicationWillResignActiveNotification, "will-resign-active"},
        {pf::ApplicationDidEnterBackgroundNotification, "did-enter-background"},
        {pf::ApplicationWillEnterForegroundNotification, "will-enter-foreground"},
        {pf::ApplicationDidBecomeActiveNotification, "did-become-active"},
    };
    for (const auto& [name, step] : steps)
        pf::NotificationCenter::defaultCenter().addObserver(name, owner, [step = step](const pf::Notification&) { say(step); });
    if (auto refused = application.startReceivingURLs({g_id, schemes, command})) {
        say("refused " + refused->description);
        return 1;
    }
    pf::Value options;
    if (!openURL.empty())
        options = pf::Dictionary::create({{pf::LaunchOptionsURLKey, openURL}, {pf::LaunchOptionsSourceApplicationKey, source}});
    application.launch(options);
    if (auto url = pf::URL::create(open); url && !open.empty())
        pf::RunLoop::main().post([url] {
            say(std::string(pf::Application::shared().openURL(*url) ? "opened " : "could not open ") + url->absoluteString());
        });
    std::thread([] {
        char buffer[64];
        while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
        }
        pf::RunLoop::main().stop();
    }).detach();
    pf::RunLoop::main().run();
    application.stopReceivingURLs();
    say("ended");
    return 0;
}
