#pragma once

// The program's entry into the application life cycle: makes the delegate,
// launches the application on a host and runs it.
//
//   --shot FILE.png  headless: launch, wait until start-up has settled (at
//                    most 10 s), write the screen to FILE.png and end; the
//                    status is 1, with the reason said, when start-up did
//                    not settle, the file cannot be written or --url was
//                    refused
//   --headless       headless: launch, wait until settled, end
//   --url URL        after launch, open URL in the program's root screen;
//                    a refused one is said and the start screen stays
//   --tap X,Y, --drag X1,Y1,X2,Y2, --pinch X,Y,SCALE, --type TEXT
//                    headless: once settled, tap, drag, pinch (the spread
//                    growing SCALE times) or type into the
//                    focused field, in the order given, each followed by
//                    the same settle wait (then the shot, with --shot)
//   --open-url URL --source-application ID
//                    started by another application to open URL (see
//                    pf::Application::launch)
//
// The program writes its entry in the installed-app registry (its bundle's
// Info.plist, this program's path and the relaunch arguments) and listens
// for URLs from other applications while it runs.
//
// Settled means: the main loop has nothing ready to run, no animation that
// will end runs (a spinner repeating until stopped does not count) and the
// delegate's applicationIsReady() holds. Without those flags the
// screen shows in a desktop window until it is closed (headless when there
// is no display, which is said); a display that is named but cannot be
// opened ends the program at once with status 1, which is said. Messages
// for the user start with the program's name.
//
// Main thread only.

#include "platform/host/Forward.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pf {

class ApplicationDelegate;

// Gets the arguments the host did not take; answers the delegate, or null to
// end the program with status 2 (the factory says why).
using ApplicationDelegateFactory = std::function<std::shared_ptr<ApplicationDelegate>(std::vector<std::string>&)>;

// The arguments after the program's path that start it again from any
// folder (say, an absolute resources folder); the delegate factory sets them.
void setRelaunchArguments(std::vector<std::string> arguments);

// Answers the process's exit status.
int ApplicationMain(int argc, char** argv, const ApplicationDelegateFactory& makeDelegate);

// Runs the host's frames until the application has settled; false, with a
// log line, when `timeoutSeconds` of real time passed first.
bool waitUntilSettled(HeadlessHost& host, ApplicationDelegate& delegate, double timeoutSeconds);

}
