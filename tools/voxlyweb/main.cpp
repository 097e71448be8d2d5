// The Voxly web stand-in as a program: prints its https origin, writes the
// test CA where "--cert-out" says, logs every request it serves on stderr,
// and serves until SIGINT or SIGTERM.
//
//   voxlyweb [--cert-out FILE]

#include "tools/voxlyweb/VoxlyWebServer.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <pthread.h>
#include <string>

int main(int argc, char** argv)
{
    std::string certOut;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--cert-out") == 0 && i + 1 < argc) {
            certOut = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s [--cert-out FILE]\n", argv[0]);
            return 2;
        }
    }
    // Block the stop signals before any thread starts, so that only sigwait sees them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    zmr::VoxlyWebServer server;
    if (!server.isRunning()) {
        std::fprintf(stderr, "voxlyweb: cannot start\n");
        return 1;
    }
    if (!certOut.empty() && !server.writeCA(certOut)) {
        std::fprintf(stderr, "voxlyweb: cannot write %s\n", certOut.c_str());
        return 1;
    }
    std::printf("%s\n", server.origin().c_str());
    std::fflush(stdout);
    int received = 0;
    sigwait(&signals, &received);
    for (const auto& request : server.received())
        std::fprintf(stderr, "voxlyweb: %s\n", request.target.c_str());
    return 0;
}
