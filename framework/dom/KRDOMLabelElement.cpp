#include "framework/dom/KRDOMLabelElement.h"

#include "framework/dom/KRDOMStyle.h"
#include "framework/dom/KRDOMTextValues.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <cassert>

std::shared_ptr<KRDOMLabelElement> KRDOMLabelElement::create(std::string name, std::string ns)
{
    return std::make_shared<KRDOMLabelElement>(std::move(name), std::move(ns));
}

pf::Font KRDOMLabelElement::font() const { return krDOMTextFont(*this); }

double KRDOMLabelElement::minFontSize() const
{
    return std::clamp<double>(floatValueForKey("min-font-size"), 0, KRDOMStyle::kMaxFontSize);
}

pf::Color KRDOMLabelElement::textColor() const { return krDOMTextColor(*this); }

pf::LineBreakMode KRDOMLabelElement::lineBreakMode() const
{
    auto mode = stringValueForKey("break-mode");
    if (!mode)
        return pf::LineBreakMode::CharWrap;
    if (*mode == "wrap")
        return pf::LineBreakMode::WordWrap;
    if (*mode == "clip")
        return pf::LineBreakMode::Clip;
    if (*mode == "head")
        return pf::LineBreakMode::TruncateHead;
    if (*mode == "tail")
        return pf::LineBreakMode::TruncateTail;
    if (*mode == "middle")
        return pf::LineBreakMode::TruncateMiddle;
    return pf::LineBreakMode::CharWrap;
}

pf::TextAlignment KRDOMLabelElement::alignment() const
{
    auto align = stringValueForKey("align");
    if (align && *align == "center")
        return pf::TextAlignment::Center;
    if (align && *align == "right")
        return pf::TextAlignment::Right;
    return pf::TextAlignment::Left;
}

pf::TextStyle KRDOMLabelElement::textStyle() const
{
    pf::TextStyle style;
    style.font = font();
    style.color = textColor();
    style.alignment = alignment();
    // Character wrapping breaks Chinese text between any two characters, as
    // word wrapping does; a Latin word goes to the next line whole and is
    // broken (with a hyphen) only when it is too long for a line of its own.
    // Breaking every word at the margin would cut "Mall" into "M-all".
    pf::LineBreakMode mode = lineBreakMode();
    style.lineBreak = mode == pf::LineBreakMode::CharWrap ? pf::LineBreakMode::WordWrap : mode;
    return style;
}

pf::Size KRDOMLabelElement::layoutChildren(const pf::EdgeInsets& padding)
{
    PF_ASSERT_MAIN_THREAD();
    pf::Rect f = frame();
    bool autoWidth = krIsLayoutAuto(f.width());
    bool autoHeight = krIsLayoutAuto(f.height());
    if (!autoWidth && !autoHeight)
        return f.size;
    pf::Size size;
    m_actualFontSize = 0;
    if (!text().empty()) {
        double horizontal = padding.left + padding.right;
        double width = 0; // no limit
        if (!autoWidth)
            width = f.width() - horizontal;
        else if (stringValueForKey("max-width"))
            width = floatValueForKey("max-width") - horizontal;
        // A box narrower than a point still wraps, at every character.
        if ((!autoWidth || stringValueForKey("max-width")) && width < 1)
            width = 1;
        pf::TextStyle style = textStyle();
        const pf::TextMeasurer& measurer = pf::TextMeasurer::system();
        pf::Size measured;
        if (double minimum = minFontSize(); minimum > 0) {
            pf::TextMeasurer::Shrunk shrunk = measurer.measureShrinking(text(), style, width, minimum);
            measured = shrunk.size;
            m_actualFontSize = shrunk.fontSize;
        } else {
            measured = measurer.measure(text(), style, width);
        }
        size = {measured.width + horizontal, measured.height + padding.top + padding.bottom};
    }
    setFrame({f.origin, {autoWidth ? size.width : f.width(), autoHeight ? size.height : f.height()}});
    setContentSize(frame().size);
    return frame().size;
}

void KRDOMLabelElement::draw(const pf::Rect& rect, pf::GraphicsContext& context)
{
    KRDOMElement::draw(rect, context);
    if (text().empty())
        return;
    pf::TextStyle style = textStyle();
    if (minFontSize() > 0 && m_actualFontSize > 0) {
        style.font = style.font.withSize(m_actualFontSize);
        style.numberOfLines = 1;
    }
    pf::EdgeInsets p = padding();
    pf::Rect f = frame();
    pf::drawText(context, text(), {p.left, p.top, f.width() - p.left - p.right, f.height() - p.top - p.bottom}, style);
}
