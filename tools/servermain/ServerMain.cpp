#include "tools/servermain/ServerMain.h"

#include <csignal>
#include <cstdio>
#include <pthread.h>

namespace zmr {

int serveUntilSignalled(const char* program, const std::function<ServerStart()>& start)
{
    // Threads the server starts inherit the mask: the signal waits for us.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    ServerStart started = start();
    if (auto* reason = std::get_if<std::string>(&started)) {
        std::fprintf(stderr, "%s: %s\n", program, reason->c_str());
        return 1;
    }
    auto& server = std::get<RunningServer>(started);
    std::printf("%s\n", server.banner.c_str());
    std::fflush(stdout);
    int received = 0;
    while (sigwait(&signals, &received) != 0) {
    }
    if (server.stop)
        server.stop();
    return 0;
}

}
