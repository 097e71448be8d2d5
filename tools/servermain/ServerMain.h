#pragma once

// What every local stand-in server program does around its own server: the
// stop signals blocked before any thread starts (so only the wait sees
// them), the server started, its address printed for whoever started the
// program, then a wait for SIGINT or SIGTERM and a clean stop.

#include <functional>
#include <string>
#include <variant>

namespace zmr {

struct RunningServer {
    std::string banner;         // printed on standard output once it listens
    std::function<void()> stop; // run after the stop signal; owns the server
};

// Made on the main thread with the stop signals already blocked: the server
// that runs, or why it could not start.
using ServerStart = std::variant<RunningServer, std::string>;

// Blocks SIGINT and SIGTERM, runs `start`, prints its banner (flushed) and
// waits for one of the signals, then stops the server. Answers the exit
// status: 0 after a stop, 1 (with "PROGRAM: reason" on standard error) when
// the server did not start.
int serveUntilSignalled(const char* program, const std::function<ServerStart()>& start);

}
