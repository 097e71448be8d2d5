#pragma once

// The host of an element tree (a document view). Every callback is optional:
// the defaults do nothing, which is what an element does without a host.
// Called on the main queue, synchronously from the element.
//
// FIXME: the layer and native-view callbacks join this interface together
// with the drawing layer's layer and view types.

class KRDOMElement;

class KRDOMElementDelegate {
public:
    virtual ~KRDOMElementDelegate() = default;

    // An element was activated.
    virtual void krDOMElementDoAction(KRDOMElement&) {}
    // An element asks to be redrawn.
    virtual void krDOMElementDoNeedDisplay(KRDOMElement&) {}
};
