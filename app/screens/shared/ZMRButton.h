#pragma once

// A button that stands for a markup element (the native view of an element
// whose "viewClass" names it): dressed from the element like any button,
// and raising the element's action through the element's host when a touch
// ends inside its bounds. The element is not retained: once it is gone the
// button raises nothing.
//
// Main queue only.

#include "framework/dom/ViewKRDOMElement.h"
#include "framework/ui/KRActionControls.h"

class ZMRButton : public KRButton, public KRDOMElementDressable {
public:
    explicit ZMRButton(const pf::Rect& frame = {}) : KRButton(frame) {}

    KRDOMElementRef telement() const { return m_telement.lock(); }
    void setTelement(const KRDOMElementRef& element) { m_telement = element; }

    // The button dressing of the markup engine, then remembers the element.
    void setElement(const KRDOMElementRef& element) override;

    void touchesBegan(const pf::TouchSet& touches) override;
    void touchesEnded(const pf::TouchSet& touches) override;

private:
    std::weak_ptr<KRDOMElement> m_telement;
};
