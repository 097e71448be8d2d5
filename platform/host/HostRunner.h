#pragma once

// The program's way onto a screen: a desktop window when a display is
// named, otherwise (or with --headless) the headless host; with "--shot FILE.png" the first
// screen is written to FILE.png and the program ends. Scripted taps, drags,
// pinches and typing (--tap, --drag, --pinch, --type) run headless before
// the shot.
//
// Main thread only.

#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/host/Forward.h"
#include "platform/ui/Forward.h"

#include <functional>

#include <optional>
#include <string>
#include <vector>

namespace pf {

// One scripted input, in screen points, applied once start-up has settled.
struct InputStep {
    enum class Kind { Tap, Drag, Type, Pinch };
    Kind kind = Kind::Tap;
    Point from, to; // a tap uses `from`; a pinch, as its centre
    std::string text;
    double scale = 1; // a pinch's spread at the end over that at the start
};

struct HostOptions {
    std::optional<std::string> shotPath; // --shot FILE.png
    bool headless = false;               // --headless, --shot, an input step, or no display
    std::string title = "Zomaru";
    std::string program = "zomaru"; // starts every message printed for the user
    // --tap X,Y, --drag X1,Y1,X2,Y2, --pinch X,Y,SCALE and --type TEXT, in
    // the order given.
    std::vector<InputStep> steps;

    // Takes the host's own arguments out of `arguments` and leaves the rest;
    // an error for "--shot" without a file or a step whose value is not
    // numbers of the right count.
    static ErrorOr<HostOptions> take(std::vector<std::string>& arguments);
};

// Takes a program's own "NAME VALUE" pair out of `arguments` (the first,
// if given), setting `value`; false when NAME is last with no value. Left
// as it was when NAME is not there.
bool takeOptionValue(std::vector<std::string>& arguments, const char* name, std::string& value);

// Applies `steps` in order, each followed by `settle` (which should wait
// until the screen is still again).
void applyInputSteps(HeadlessHost& host, const std::vector<InputStep>& steps, const std::function<void()>& settle);

// True when the environment names an X11 or Wayland display.
bool hasDisplay();

// Shows the screen until the window is closed (or, headless, until the main
// loop is stopped). The screen's windows must be set up before. Answers the
// process's exit status; failures are logged. A window that cannot be shown
// on the display the environment names is said and answers 1 at once.
int runHost(const HostOptions& options, Screen& screen);

}
