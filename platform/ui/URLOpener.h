#pragma once

// Opening URLs outside the program: the desktop's opener for web pages.

#include "platform/foundation/URL.h"

namespace pf {

// http or https (any letter case) with a host.
bool isWebURL(const URL& url);

// Starts `xdg-open URL` (found on PATH) with an argument vector, never
// through a shell, and reaps it on a thread of its own. False, with a log
// line, when it could not be started. Any thread.
bool openWithDesktop(const URL& url);

}
