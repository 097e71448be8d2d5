#pragma once

// Hiding and showing a view with a fade of 0.3 s. Not animated, the view
// switches at once and a fade still running is dropped, so its end can no
// longer hide the view. A view caught fading out fades back in when shown.
//
// Main queue only.

#include "platform/ui/Forward.h"

void setHidden(const pf::ViewRef& view, bool hidden, bool animated);
