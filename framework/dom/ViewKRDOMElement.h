#pragma once

// Views dressed from a markup element: what any view takes from the element
// that stands for it (the view category of the markup engine).
//
// Main queue only.

#include "framework/dom/Forward.h"
#include "platform/ui/Forward.h"

// Views that take more from their element than the dressing (texts, images
// per state) implement this, and call dressViewWithElement first.
class KRDOMElementDressable {
public:
    // Null: the view no longer stands for an element.
    virtual void setElement(const KRDOMElementRef& element) = 0;

protected:
    ~KRDOMElementDressable() = default;
};

// Background colour from "background-color" (none clears it), corner radius
// from "corner-radius", border width from "border-width" (0 when absent),
// border colour from "border-color" (no border without one), clipping to
// bounds on, hidden from the element's isHidden(). A null element resets
// every one of these to empty, zero or off.
void dressViewWithElement(pf::View& view, const KRDOMElement* element);

// Tells the view that it stands for `element` (null for none): its own
// setElement when it is dressable, the button dressing for a platform
// button, else the dressing above.
void setElement(pf::View& view, const KRDOMElementRef& element);
