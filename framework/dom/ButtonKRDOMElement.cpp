#include "framework/dom/ButtonKRDOMElement.h"

#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMImageCache.h"
#include "framework/dom/KRImage.h"
#include "framework/dom/ViewKRDOMElement.h"
#include "platform/controls/Button.h"
#include "platform/foundation/Bundle.h"
#include "platform/graphics/Image.h"

#include <string>

void dressButtonWithElement(pf::Button& button, const KRDOMElement* element)
{
    dressViewWithElement(button, element);
    if (!element)
        return;
    KRDOMDocumentRef document = element->document();
    const pf::Bundle* bundle = document ? document->bundle().get() : nullptr;
    struct State {
        pf::ControlState state;
        const char* suffix;
    };
    for (const State& s : {State{pf::ControlStates::Normal, ""}, State{pf::ControlStates::Highlighted, "-highlighted"},
                           State{pf::ControlStates::Disabled, "-disabled"}, State{pf::ControlStates::Selected, "-selected"}}) {
        auto title = element->attributeValueForKey(std::string("title") + s.suffix);
        button.setTitle(title ? std::optional<std::string>(*title) : std::nullopt, s.state);
        button.setTitleColor(element->colorValueForKey(std::string("color") + s.suffix), s.state);
        auto image = element->imageValueForKey(std::string("background-image") + s.suffix, bundle);
        button.setBackgroundImage(image ? KRDOMImageCache::imageForPath(image->path) : nullptr, s.state);
    }
    if (auto font = element->fontValueForKey("font"))
        button.setTitleFont(*font);
    button.setEnabled(!element->booleanValueForKey("disabled"));
}
