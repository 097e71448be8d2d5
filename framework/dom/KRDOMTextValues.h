#pragma once

// The text values that the text elements ("label" and "rich") read alike,
// attribute first, then style. Main queue only.

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"

class KRDOMElement;

// The "font" value; when there is none, the system font of "font-size", of
// the default size when that is 0, negative or too large.
pf::Font krDOMTextFont(const KRDOMElement& element);
// The "color" value; black when there is none.
pf::Color krDOMTextColor(const KRDOMElement& element);
