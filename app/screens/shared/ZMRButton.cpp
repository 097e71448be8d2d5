#include "app/screens/shared/ZMRButton.h"

#include "framework/dom/ButtonKRDOMElement.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMElementDelegate.h"
#include "platform/ui/Touch.h"

void ZMRButton::setElement(const KRDOMElementRef& element)
{
    dressButtonWithElement(*this, element.get());
    m_telement = element;
}

void ZMRButton::touchesBegan(const pf::TouchSet& touches)
{
    setHighlighted(true);
    KRButton::touchesBegan(touches);
}

void ZMRButton::touchesEnded(const pf::TouchSet& touches)
{
    auto keep = self();
    if (!touches.empty() && bounds().contains(touches.front()->locationInView(this))) {
        if (auto element = m_telement.lock()) {
            if (auto host = element->delegate())
                host->krDOMElementDoAction(*element);
        }
    }
    KRButton::touchesEnded(touches);
}
