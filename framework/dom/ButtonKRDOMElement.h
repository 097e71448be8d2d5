#pragma once

// Buttons dressed from a markup element (the button category of the markup
// engine): the view dressing first, then for each state (normal,
// highlighted, disabled, selected) the title from "title", "title-
// highlighted", …, the title colour from "color", "color-highlighted", …
// and the background image from "background-image", "background-image-
// highlighted", … (looked up in the element's document bundle, stretching
// between the caps the value names: "bg.png 5 5"); absent
// values clear their state. Then the title font from "font" (the button's
// default font when absent), and enabled unless "disabled" is true.
// setElement(view, element) takes this path for every platform button.
//
// Main queue only.

#include "framework/dom/Forward.h"

namespace pf {
class Button;
}

// A null element dresses as one without values: the view dressing, every
// state's title, title colour and background image, the font and the
// enabled state go back to what a new button has, so a reused button shows
// nothing of its last element.
void dressButtonWithElement(pf::Button& button, const KRDOMElement* element);
