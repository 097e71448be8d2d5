#pragma once

// The element of the tag "label": its text in one style, measured in layout
// and drawn with the platform's text drawing inside the padding. Values
// (attribute first, then style): "font" (else the system font of
// "font-size", 14 when 0), "min-font-size", "color" (black), "break-mode"
// ("wrap", "clip", "head", "tail", "middle"; anything else is character
// wrapping, which breaks Chinese text anywhere but moves a Latin word to the
// next line whole unless it is too long for a line) and "align" ("center",
// "right"; anything else left).
//
// An "auto" side takes the text's size plus the padding, measured at the
// frame's width (or "max-width" while the width is "auto") less the
// horizontal padding; the base layout then applies "max-…" and "min-…"
// (the minimum last). With a "min-font-size" the text is measured on one
// line, the font shrinking down to that size until it fits; the size found
// is kept in actualFontSize and used for drawing.
//
// Main queue only.

#include "framework/dom/KRDOMElement.h"
#include "platform/graphics/Text.h"

class KRDOMLabelElement : public KRDOMElement {
public:
    using KRDOMElement::KRDOMElement;
    static std::shared_ptr<KRDOMLabelElement> create(std::string name = "label", std::string ns = {});

    pf::Font font() const;
    double minFontSize() const;
    pf::Color textColor() const;
    pf::LineBreakMode lineBreakMode() const;
    pf::TextAlignment alignment() const;
    // The font size of the last measurement with a minimum; 0 otherwise.
    double actualFontSize() const { return m_actualFontSize; }

    pf::Size layoutChildren(const pf::EdgeInsets& padding) override;
    void draw(const pf::Rect& rect, pf::GraphicsContext& context) override;

private:
    pf::TextStyle textStyle() const;

    double m_actualFontSize = 0;
};
