#pragma once

// The host of an element tree (a document view). Every callback is optional:
// the defaults do nothing, which is what an element does without a host.
// Called on the main queue, synchronously from the element.

#include "framework/dom/Forward.h"
#include "platform/ui/Forward.h"

class KRDOMElementDelegate {
public:
    virtual ~KRDOMElementDelegate() = default;

    // An element was activated.
    virtual void krDOMElementDoAction(KRDOMElement&) {}
    // An element asks to be redrawn.
    virtual void krDOMElementDoNeedDisplay(KRDOMElement&) {}

    // Hosts that place layers and native views answer true and implement the
    // three calls below; elements ask nothing of other hosts.
    virtual bool hasKRDOMElementHosting() const { return false; }
    // Places `layer` above the drawing; `frame` is in the element's own
    // coordinates.
    virtual void krDOMElementAddLayer(KRDOMElement&, const std::shared_ptr<KRDOMLayer>&, const pf::Rect&) {}
    // Places a native view; `frame` is in the coordinates of `element`
    // (null when the view's element has no parent).
    virtual void krDOMElementAddView(KRDOMElement*, const pf::ViewRef&, const pf::Rect&) {}
    // The native view of an element, made or reused by the host; null when
    // the host keeps none for it (the element then makes its own).
    virtual pf::ViewRef krDOMElementView(KRDOMElement&, const KRDOMViewClass&) { return nullptr; }
};
