// The local analytics collector as a program:
//
//   analyticsserver [--port N] [--log FILE]
//
// --port 0 picks a free port. The first line on standard output is
// "analyticsserver listening on http://127.0.0.1:<port>"; every accepted
// event is appended to the log file as one JSON line. Runs until SIGINT or
// SIGTERM, answering every upload with an empty 200.

#include "tools/analyticsserver/AnalyticsServer.h"
#include "tools/servermain/ServerMain.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
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
    return zmr::serveUntilSignalled("analyticsserver", [&]() -> zmr::ServerStart {
        auto server = std::make_shared<zmr::AnalyticsServer>(logPath);
        if (!server->start(port))
            return "cannot listen on 127.0.0.1:" + std::to_string(port);
        return zmr::RunningServer{"analyticsserver listening on " + server->baseURL(), [server] { server->stop(); }};
    });
}
