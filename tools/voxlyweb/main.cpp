// The Voxly web stand-in as a program: prints its https origin, writes the
// test CA where "--cert-out" says, logs every request it serves on stderr,
// and serves until SIGINT or SIGTERM.
//
//   voxlyweb [--cert-out FILE]

#include "tools/servermain/ServerMain.h"
#include "tools/voxlyweb/VoxlyWebServer.h"

#include <cstdio>
#include <cstring>
#include <memory>
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
    return zmr::serveUntilSignalled("voxlyweb", [&]() -> zmr::ServerStart {
        auto server = std::make_shared<zmr::VoxlyWebServer>();
        if (!server->isRunning())
            return std::string("cannot start");
        if (!certOut.empty() && !server->writeCA(certOut))
            return "cannot write " + certOut;
        return zmr::RunningServer{server->origin(), [server] {
                                      for (const auto& request : server->received())
                                          std::fprintf(stderr, "voxlyweb: %s\n", request.target.c_str());
                                  }};
    });
}
