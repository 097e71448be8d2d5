#pragma once

// Runs tools/appserver as a child process on 127.0.0.1 with a free port, for
// end-to-end tests, and ends it when destroyed. It asks the test program's
// stand-in providers (StandInProviders.h) whom a ZZ or Voxly token belongs to.

#include <string>
#include <sys/types.h>
#include <vector>

class AppServerProcess {
public:
    explicit AppServerProcess(std::vector<std::string> extraArguments = {"--seed-demo"});
    ~AppServerProcess();

    bool isRunning() const { return m_pid > 0 && !m_url.empty(); }
    // "http://127.0.0.1:<port>/api".
    const std::string& url() const { return m_url; }

    // Freezes the server: connections are accepted by the kernel but never answered.
    void freeze();
    // Ends the server at once.
    void kill();

    AppServerProcess(const AppServerProcess&) = delete;
    AppServerProcess& operator=(const AppServerProcess&) = delete;

private:
    pid_t m_pid = -1;
    std::string m_url;
};
