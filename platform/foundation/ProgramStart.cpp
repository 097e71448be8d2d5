#include "platform/foundation/ProgramStart.h"

#include "platform/foundation/Log.h"

#include <cerrno>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace pf {

bool startDetachedProgram(const std::vector<std::string>& arguments, ProgramLookup lookup)
{
    if (arguments.empty() || arguments[0].empty())
        return false;
    std::vector<std::string> copies = arguments; // posix_spawn takes non-const strings
    std::vector<char*> argv;
    for (auto& argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = lookup == ProgramLookup::SearchPath
        ? posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ)
        : posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    if (status != 0) {
        log("could not start %s: %s", arguments[0].c_str(), std::strerror(status));
        return false;
    }
    // The program ends on its own; someone must collect it.
    std::thread([pid] {
        int ignored = 0;
        while (waitpid(pid, &ignored, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

}
