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
    // No element dresses as an element without values: every state goes back
    // to the button's defaults, so a reused button keeps nothing of the
    // element it stood for before.
    KRDOMDocumentRef document = element ? element->document() : nullptr;
    const pf::Bundle* bundle = document ? document->bundle().get() : nullptr;
    struct State {
        pf::ControlState state;
        const char* suffix;
    };
    for (const State& s : {State{pf::ControlStates::Normal, ""}, State{pf::ControlStates::Highlighted, "-highlighted"},
                           State{pf::ControlStates::Disabled, "-disabled"}, State{pf::ControlStates::Selected, "-selected"}}) {
        std::optional<std::string> title;
        std::optional<pf::Color> color;
        pf::ImageRef background;
        if (element) {
            if (auto text = element->attributeValueForKey(std::string("title") + s.suffix))
                title = std::string(*text);
            color = element->colorValueForKey(std::string("color") + s.suffix);
            if (auto image = element->imageValueForKey(std::string("background-image") + s.suffix, bundle)) {
                background = KRDOMImageCache::imageForPath(image->path);
                if (background && image->isStretchable())
                    background = background->stretchableImage(image->leftCapWidth, image->topCapHeight);
            }
        }
        button.setTitle(title, s.state);
        button.setTitleColor(color, s.state);
        button.setBackgroundImage(background, s.state);
    }
    std::optional<pf::Font> font = element ? element->fontValueForKey("font") : std::nullopt;
    button.setTitleFont(font.value_or(pf::Button::defaultTitleFont()));
    button.setEnabled(!(element && element->booleanValueForKey("disabled")));
}
