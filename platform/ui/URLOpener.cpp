#include "platform/ui/URLOpener.h"

#include "platform/foundation/Log.h"

#include <cerrno>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace pf {

namespace {

bool equalsIgnoringCase(const std::string& text, const char* lower)
{
    if (text.size() != std::strlen(lower))
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != lower[i])
            return false;
    }
    return true;
}

}

bool isWebURL(const URL& url)
{
    return (equalsIgnoringCase(url.scheme(), "http") || equalsIgnoringCase(url.scheme(), "https"))
        && !url.host().empty();
}

bool openWithDesktop(const URL& url)
{
    std::string program = "xdg-open";
    std::string text = url.absoluteString();
    char* argv[] = {program.data(), text.data(), nullptr};
    pid_t pid = 0;
    int status = posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ);
    if (status != 0) {
        log("could not start xdg-open for %s: %s", text.c_str(), std::strerror(status));
        return false;
    }
    // The opener ends on its own; someone must collect it.
    std::thread([pid] {
        int ignored = 0;
        while (waitpid(pid, &ignored, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

}
