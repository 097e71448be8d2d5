#pragma once

// Deferred calls named by target and name, which a later call can cancel:
//
//   pf::cancelPreviousPerformRequests(*this, "reload");
//   pf::performAfterDelay(self, "reload", 0, [weak] { ... });
//
// A request keeps its target alive until it runs or is cancelled. A delay of
// 0 (or less) runs on the next pass of the main loop; a positive delay
// follows the animation clock, so under a manual clock (the headless host)
// it runs when the clock is advanced past it. Requests due together run in
// the order they were made; they are never run inside the call that makes them.
//
// Main thread only.

#include "platform/foundation/Forward.h"

#include <functional>
#include <string>
#include <string_view>

namespace pf {

void performAfterDelay(ObjectRef target, std::string name, double delay, std::function<void()> fn);
// Cancels the target's pending requests of that name; an empty name cancels all of them.
void cancelPreviousPerformRequests(const Object& target, std::string_view name = {});
// The number of requests not run yet.
std::size_t pendingPerformRequestCount();

// Runs the requests whose time under a manual clock has come (the clock calls it).
void runDuePerformRequests(double now);

}
