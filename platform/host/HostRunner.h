#pragma once

// The program's way onto a screen: a desktop window when a display is
// available, otherwise the headless host; with "--shot FILE.png" the first
// screen is written to FILE.png and the program ends.
//
// Main thread only.

#include "platform/foundation/Error.h"
#include "platform/ui/Forward.h"

#include <optional>
#include <string>
#include <vector>

namespace pf {

struct HostOptions {
    std::optional<std::string> shotPath; // --shot FILE.png
    bool headless = false;               // --headless, or no display
    std::string title = "Zomaru";

    // Takes the host's own arguments out of `arguments` and leaves the rest;
    // an error for "--shot" without a file.
    static ErrorOr<HostOptions> take(std::vector<std::string>& arguments);
};

// True when the environment names an X11 or Wayland display.
bool hasDisplay();

// Shows the screen until the window is closed (or, headless, until the main
// loop is stopped). The screen's windows must be set up before. Answers the
// process's exit status; failures are logged.
int runHost(const HostOptions& options, Screen& screen);

}
