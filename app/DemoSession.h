#pragma once

// The application's start-up without screens, for the command line: signs in
// (registering the demo account on first use, checking a stored sign-in on
// later starts), then loads the first page of the feed and prints both.
// Main thread; drives the main run loop until it is done.

#include <memory>
#include <string>

class ZMRShell;

struct DemoAccount {
    std::string account = "demo";
    std::string password = "demo-password";
    std::string nick = "演示用户";
};

// Answers the process exit status: 0 when signed in and the page loaded.
int runDemoSession(const std::shared_ptr<ZMRShell>& shell, const DemoAccount& demo, double timeoutSeconds);
