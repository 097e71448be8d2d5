// The local analytics collector as a program:
//
//   analyticsserver [--port N] [--log FILE]
//
// --port 0 picks a free port. The first line on standard output is
// "analyticsserver listening on http://127.0.0.1:<port>"; every accepted
// event is appended to the log file as one JSON line. Runs until SIGINT or
// SIGTERM, answering every upload with an empty 200.

#include "tools/analyticsserver/AnalyticsServer.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pthread.h>
#include <string>

int main(int argc, char** argv)
{
    int port = 8090;
    std::string logPath;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--port") == 0 && i + 1 < argc) {
            char* end = nullptr;
            long value = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || value < 0 || value > 65535) {
                std::fprintf(stderr, "analyticsserver: bad port %s\n", argv[i]);
                return 2;
            }
            port = static_cast<int>(value);
        } else if (std::strcmp(argv[i], "--log") == 0 && i + 1 < argc) {
            logPath = argv[++i];
        } else {
            std::fprintf(stderr, "usage: analyticsserver [--port N] [--log FILE]\n");
            return 2;
        }
    }
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    zmr::AnalyticsServer server(logPath);
    if (!server.start(port)) {
        std::fprintf(stderr, "analyticsserver: cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    std::printf("analyticsserver listening on %s\n", server.baseURL().c_str());
    std::fflush(stdout);
    int received = 0;
    sigwait(&signals, &received);
    server.stop();
    return 0;
}
