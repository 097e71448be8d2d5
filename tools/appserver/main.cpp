// The local application server as a program:
//
//   appserver [--port N] [--db PATH] [--seed-demo] [--demo-album DIR]
//             [--zz-server URL] [--voxly-server URL] [--provider-ca FILE]
//
// --port 0 picks a free port. The first line on standard output is
// "appserver listening on http://127.0.0.1:<port>/api"; the server runs
// until SIGINT or SIGTERM. Without --db the state lives in memory. Without
// a provider's address, one line on standard error says so at the start.

#include "tools/appserver/AppSeed.h"
#include "tools/appserver/AppServer.h"
#include "tools/appserver/AppStore.h"
#include "tools/servermain/ServerMain.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

namespace {

constexpr const char* kHelp =
    "usage: appserver [OPTION]...\n"
    "Runs the local application server on 127.0.0.1 until SIGINT or SIGTERM.\n"
    "\n"
    "  --port N            listen on port N (default 8080; 0 picks a free port)\n"
    "  --db PATH           keep the server's state in this SQLite file (default: in memory)\n"
    "  --seed-demo         build the demo world (people, posts, prizes, ledger) unless it is there\n"
    "  --demo-album DIR    with --seed-demo, put a few of its photos into DIR when it holds none\n"
    "  --zz-server URL     the ZZ servers (https://host:port) that say whom a ZZ token belongs to\n"
    "  --voxly-server URL  the Voxly web servers that say whom a Voxly token belongs to\n"
    "  --provider-ca FILE  trust the CAs in this PEM file for those servers instead of the system's\n"
    "  --help              print this help and exit\n"
    "\n"
    "The first line printed is \"appserver listening on URL\", URL being the API address.\n"
    "A ZZ or Voxly sign-in or binding is the person the provider names for its token;\n"
    "without that provider's server it is refused.\n";

}

int main(int argc, char** argv)
{
    int port = 8080;
    std::string db = ":memory:";
    bool seedDemo = false;
    std::string album;
    zmr::AppProviderSettings providers;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, stdout);
            return 0;
        }
    }
    for (int i = 1; i < argc; ++i) {
        bool hasValue = i + 1 < argc;
        bool takesValue = false;
        for (const char* option : {"--port", "--db", "--demo-album", "--zz-server", "--voxly-server", "--provider-ca"})
            takesValue = takesValue || std::strcmp(argv[i], option) == 0;
        if (takesValue && !hasValue) {
            std::fprintf(stderr, "appserver: %s needs a value (see appserver --help)\n", argv[i]);
            return 2;
        }
        if (std::strcmp(argv[i], "--port") == 0) {
            char* end = nullptr;
            long value = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || value < 0 || value > 65535) {
                std::fprintf(stderr, "appserver: bad port %s\n", argv[i]);
                return 2;
            }
            port = static_cast<int>(value);
        } else if (std::strcmp(argv[i], "--db") == 0) {
            db = argv[++i];
        } else if (std::strcmp(argv[i], "--seed-demo") == 0) {
            seedDemo = true;
        } else if (std::strcmp(argv[i], "--demo-album") == 0) {
            album = argv[++i];
        } else if (std::strcmp(argv[i], "--zz-server") == 0 || std::strcmp(argv[i], "--voxly-server") == 0) {
            std::string url = argv[i + 1];
            if (url.rfind("http://", 0) != 0 && url.rfind("https://", 0) != 0) {
                std::fprintf(stderr, "appserver: %s needs an http or https URL, not %s\n", argv[i], url.c_str());
                return 2;
            }
            (std::strcmp(argv[i], "--zz-server") == 0 ? providers.zz : providers.voxly) = url;
            ++i;
        } else if (std::strcmp(argv[i], "--provider-ca") == 0) {
            providers.caFile = argv[++i];
            if (!std::ifstream(providers.caFile)) {
                std::fprintf(stderr, "appserver: cannot read %s\n", providers.caFile.c_str());
                return 2;
            }
        } else {
            std::fprintf(stderr, "appserver: unknown option %s (see appserver --help)\n", argv[i]);
            return 2;
        }
    }

    if (providers.zz.empty() || providers.voxly.empty()) {
        const char* missing = providers.zz.empty() && providers.voxly.empty() ? "no ZZ or Voxly server given"
                              : providers.zz.empty()                         ? "no ZZ server given"
                                                                             : "no Voxly server given";
        std::fprintf(stderr, "appserver: %s: those sign-ins and bindings are refused (see --help)\n", missing);
    }
    return zmr::serveUntilSignalled("appserver", [&]() -> zmr::ServerStart {
        std::unique_ptr<zmr::AppStore> opened;
        if (auto error = zmr::AppStore::open(db, opened))
            return *error;
        std::shared_ptr<zmr::AppStore> store = std::move(opened);
        if (seedDemo && !store->seedDemo())
            return std::string("cannot seed the demo world");
        // A missing album only leaves the picker empty: the server still runs.
        if (seedDemo && !album.empty() && !zmr::fillDemoAlbum(*store, album))
            std::fprintf(stderr, "appserver: cannot put the demo photos into %s\n", album.c_str());
        auto server = std::make_shared<zmr::AppServer>(store, providers);
        if (!server->start(port))
            return "cannot listen on 127.0.0.1:" + std::to_string(port);
        return zmr::RunningServer{"appserver listening on " + server->url(), [server] { server->stop(); }};
    });
}
