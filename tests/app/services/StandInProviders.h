#pragma once

// The ZZ and Voxly stand-ins the local application server asks whom a token
// belongs to, once for the test program: started at the first call on free loopback
// ports, their test CAs in one file, stopped at the program's exit. A
// stand-in knows the tokens any other stand-in issued (see ZZServer.h and
// VoxlyWebServer.h), so a test's own stand-ins need no wiring to the server.

#include "tools/appserver/AppProviders.h"
#include "tools/voxlyweb/VoxlyWebServer.h"
#include "tools/zzserver/ZZServer.h"

#include <string>
#include <vector>

struct StandInProviders {
    StandInProviders();
    ~StandInProviders();

    bool isRunning() const { return zz.isRunning() && voxly.isRunning() && !caFile.empty(); }
    // For a zmr::AppServer in this process.
    zmr::AppProviderSettings settings() const;
    // The options for tools/appserver as a program.
    std::vector<std::string> arguments() const;

    zmr::ZZServer zz;
    zmr::VoxlyWebServer voxly;
    std::string caFile;
};

// Any thread.
StandInProviders& standInProviders();
