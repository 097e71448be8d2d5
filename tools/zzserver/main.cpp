// The ZZ platform stand-in as a program: prints its two origins, writes the
// test CA where "--cert-out" says, and serves until SIGINT or SIGTERM.
//
//   zzserver [--policy JSON] [--cert-out FILE]

#include "tools/zzserver/ZZServer.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    std::string policy = R"({"ret":0,"Common_ta_enable":1,"Common_frequency":24})";
    std::string certOut;
    for (int i = 1; i < argc; ++i) {
        bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--policy") == 0 && hasValue) {
            policy = argv[++i];
        } else if (std::strcmp(argv[i], "--cert-out") == 0 && hasValue) {
            certOut = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s [--policy JSON] [--cert-out FILE]\n", argv[0]);
            return 2;
        }
    }
    // Block the stop signals before any thread starts, so that only sigwait sees them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    zmr::ZZServer server(policy);
    if (!server.isRunning()) {
        std::fprintf(stderr, "zzserver: cannot start\n");
        return 1;
    }
    if (!certOut.empty() && !server.writeCA(certOut)) {
        std::fprintf(stderr, "zzserver: cannot write %s\n", certOut.c_str());
        return 1;
    }
    std::printf("%s\n%s\n", server.httpOrigin().c_str(), server.httpsOrigin().c_str());
    std::fflush(stdout);
    int received = 0;
    sigwait(&signals, &received);
    return 0;
}
