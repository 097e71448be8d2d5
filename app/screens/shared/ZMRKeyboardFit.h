#pragma once

// The forms whose fields sit in a scrolling content view below a bar (the
// books entry, the publish form, the prize exchange) keep that view's top
// and make it end above the keyboard while one shows, so every field can
// still be scrolled to; when the keyboard goes the view reaches the bottom
// of its holder again, and content scrolled further than the taller view
// can scroll comes back down to its end (no blank space below it).
//
// Main queue only.

#include "platform/graphics/Geometry.h"
#include "platform/ui/Forward.h"

#include <functional>

// Animates `content` over 0.3 s to end `keyboardHeight` points above the
// bottom of its superview, keeping its top and width. The height is never
// negative, and 0 when it comes out not finite. A scroll view's offset is
// kept within what the new height can scroll. `done` runs when the
// animation has ended (see pf::View::animate). Nothing happens, and `done`
// is not called, without a content view or its superview.
void ZMRFitContentAboveKeyboard(const pf::ViewRef& content, double keyboardHeight,
                                std::function<void(bool finished)> done = {});

// How much of the screen a keyboard frame (screen coordinates, as the
// keyboard's notifications carry it) covers: its height, less the part
// below the screen's bottom. The frame a hiding keyboard slides to lies
// wholly below the screen and covers nothing.
double ZMRKeyboardCover(const pf::Rect& keyboard);
