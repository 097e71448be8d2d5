#pragma once

// For the SDK tests that talk to a stand-in app (tools/voxlyapp,
// tools/natterapp) as a real process: running it, and receiving its answers
// as the app "com.zomaru.app".

#include "platform/foundation/AppRegistry.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Application.h"

#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace sdk::test {

// Runs program with arguments to its end; its exit status, or -1 when it
// could not start or did not exit by itself.
inline int runPeerApp(const char* program, std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), program);
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Registers this process as "com.zomaru.app" answering scheme and receives
// its URLs, for an application launched already; false when it cannot.
// Undo with pf::Application::shared().stopReceivingURLs().
inline bool listenAsApp(const std::string& scheme)
{
    pf::InstalledApp self{"com.zomaru.app", {scheme}, {std::filesystem::canonical("/proc/self/exe").string()}};
    return !pf::Application::shared().startReceivingURLs(self);
}

// listenAsApp, then launches the application.
inline bool receiveURLsAsApp(const std::string& scheme)
{
    if (!listenAsApp(scheme))
        return false;
    pf::Application::shared().launch();
    pf::RunLoop::main().runUntilIdle();
    return true;
}

}
