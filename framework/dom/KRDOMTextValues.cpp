#include "framework/dom/KRDOMTextValues.h"

#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMStyle.h"

pf::Font krDOMTextFont(const KRDOMElement& element)
{
    if (auto font = element.fontValueForKey("font"))
        return *font;
    double size = element.floatValueForKey("font-size");
    return pf::Font::system(size > 0 && size <= KRDOMStyle::kMaxFontSize ? size : KRDOMStyle::kDefaultFontSize);
}

pf::Color krDOMTextColor(const KRDOMElement& element)
{
    return element.colorValueForKey("color").value_or(pf::Color::black());
}
