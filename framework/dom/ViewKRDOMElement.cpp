#include "framework/dom/ViewKRDOMElement.h"

#include "framework/dom/ButtonKRDOMElement.h"
#include "framework/dom/KRDOMElement.h"
#include "platform/controls/Button.h"
#include "platform/graphics/Color.h"
#include "platform/ui/View.h"

void dressViewWithElement(pf::View& view, const KRDOMElement* element)
{
    if (!element) {
        view.setBackgroundColor(std::nullopt);
        view.setCornerRadius(0);
        view.setBorderWidth(0);
        view.setBorderColor(pf::Color::clear());
        view.setClipsToBounds(false);
        view.setHidden(false);
        return;
    }
    view.setBackgroundColor(element->colorValueForKey("background-color"));
    view.setCornerRadius(element->floatValueForKey("corner-radius"));
    view.setBorderWidth(element->floatValueForKey("border-width"));
    view.setBorderColor(element->colorValueForKey("border-color").value_or(pf::Color::clear()));
    view.setClipsToBounds(true);
    view.setHidden(element->isHidden());
}

void setElement(pf::View& view, const KRDOMElementRef& element)
{
    if (auto* dressable = dynamic_cast<KRDOMElementDressable*>(&view))
        dressable->setElement(element);
    else if (auto* button = dynamic_cast<pf::Button*>(&view))
        dressButtonWithElement(*button, element.get());
    else
        dressViewWithElement(view, element.get());
}
