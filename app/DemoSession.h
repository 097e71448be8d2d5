#pragma once

// The demo user's sign-in before the application launches: registers the
// demo account on first use (signing in when it exists already) and checks
// a stored sign-in on later starts, then prints the user. Main thread;
// drives the main run loop until it is done.

#include <memory>
#include <string>

class ZMRShell;

struct DemoAccount {
    std::string account = "demo";
    std::string password = "demo-password";
    std::string nick = "演示用户";
};

// Answers the process exit status: 0 when signed in.
int runDemoSession(const std::shared_ptr<ZMRShell>& shell, const DemoAccount& demo, double timeoutSeconds);
