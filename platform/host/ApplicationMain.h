#pragma once

// The program's entry into the application life cycle: makes the delegate,
// launches the application on a host and runs it.
//
//   --shot FILE.png  headless: launch, wait until start-up has settled (at
//                    most 10 s), write the screen to FILE.png and end
//   --headless       headless: launch, wait until settled, end
//   --url URL        after launch, open URL in the program's root screen
//
// Settled means: the main loop has nothing ready to run, no animation that
// will end runs (a spinner repeating until stopped does not count) and the
// delegate's applicationIsReady() holds. Without those flags the
// screen shows in a desktop window until it is closed (headless when there
// is no display).
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

// Answers the process's exit status.
int ApplicationMain(int argc, char** argv, const ApplicationDelegateFactory& makeDelegate);

// Runs the host's frames until the application has settled; false, with a
// log line, when `timeoutSeconds` of real time passed first.
bool waitUntilSettled(HeadlessHost& host, ApplicationDelegate& delegate, double timeoutSeconds);

}
