#pragma once

// The forms whose fields sit in a scrolling content view below a bar (the
// books entry, the publish form, the prize exchange) keep that view's top
// and make it end above the keyboard while one shows, so every field can
// still be scrolled to; when the keyboard goes the view reaches the bottom
// of its holder again.
//
// Main queue only.

#include "platform/ui/Forward.h"

#include <functional>

// Animates `content` over 0.3 s to end `keyboardHeight` points above the
// bottom of its superview, keeping its top and width. The height is never
// negative, and 0 when it comes out not finite. `done` runs when the
// animation has ended (see pf::View::animate). Nothing happens, and `done`
// is not called, without a content view or its superview.
void ZMRFitContentAboveKeyboard(const pf::ViewRef& content, double keyboardHeight,
                                std::function<void(bool finished)> done = {});
