// Layout of the base element: sizes from style values, children placed by
// their offsets or flowed in lines by their margins. Arithmetic runs in
// double so that the "auto" marker (the largest float) stays finite through
// percentages and sums; frames clamp what they store.

#include "framework/dom/KRDOMElement.h"

#include "framework/dom/KRDOMStyle.h"
#include "platform/foundation/RunLoop.h"

#include <cassert>

#include <algorithm>

namespace {

struct Extent {
    double value = 0;
    bool isAuto = false;
};

// "auto", "50%", "100%-20", "50%+4" or a number; nothing counts as 0.
Extent resolveExtent(std::optional<std::string_view> text, double available)
{
    if (!text)
        return {};
    if (*text == "auto")
        return {kKRLayoutAuto, true};
    double number = KRDOMStyle::floatValue(text);
    if (text->ends_with('%'))
        return {krClampFinite(number * available / 100)};
    if (std::size_t at = text->find("%+"); at != std::string_view::npos)
        return {krClampFinite(number * available / 100 + KRDOMStyle::floatValue(text->substr(at + 2)))};
    if (std::size_t at = text->find("%-"); at != std::string_view::npos)
        return {krClampFinite(number * available / 100 - KRDOMStyle::floatValue(text->substr(at + 2)))};
    return {number};
}

bool isAutoValue(std::optional<std::string_view> text) { return text && *text == "auto"; }

// An auto extent takes the content's, then the maximum when it is larger,
// then the minimum when it is smaller: the minimum wins over the maximum.
double limitAutoExtent(const KRDOMElement& element, double content, std::string_view maxKey, std::string_view minKey)
{
    double extent = content;
    if (auto max = element.stringValueForKey(maxKey); max && extent > KRDOMStyle::floatValue(max))
        extent = KRDOMStyle::floatValue(max);
    if (auto min = element.stringValueForKey(minKey); min && extent < KRDOMStyle::floatValue(min))
        extent = KRDOMStyle::floatValue(min);
    return extent;
}

}

pf::Size KRDOMElement::layout(pf::Size available)
{
    PF_ASSERT_MAIN_THREAD();
    pf::EdgeInsets padding = this->padding();
    Extent width = resolveExtent(stringValueForKey("width"), available.width);
    Extent height = resolveExtent(stringValueForKey("height"), available.height);
    setFrame(pf::Rect(0, 0, width.value, height.value));
    pf::Size content = layoutChildren(padding);
    if (!width.isAuto && !height.isAuto)
        return content;
    double w = width.isAuto ? limitAutoExtent(*this, content.width, "max-width", "min-width") : width.value;
    double h = height.isAuto ? limitAutoExtent(*this, content.height, "max-height", "min-height") : height.value;
    setFrame(pf::Rect(0, 0, w, h));
    return content;
}

pf::Size KRDOMElement::layout() { return layoutChildren(padding()); }

pf::Size KRDOMElement::layoutChildren(const pf::EdgeInsets& padding)
{
    const double W = m_frame.width();
    const double H = m_frame.height();
    const pf::Size inner{W - padding.left - padding.right, H - padding.top - padding.bottom};
    auto layoutKind = stringValueForKey("layout");
    pf::Size content;

    // Indexes, not iterators: a child's layout belongs to element kinds that
    // may run code of their own.
    if (!(layoutKind && *layoutKind == "flow")) {
        for (std::size_t i = 0; i < m_childs.size(); i++) {
            KRDOMElementRef child = m_childs[i];
            child->layout(inner);
            pf::Size size = child->frame().size;
            double x, y;
            auto left = child->stringValueForKey("left");
            if (isAutoValue(left)) {
                auto right = child->stringValueForKey("right");
                x = isAutoValue(right) ? (W - size.width) / 2
                                       : W - size.width - padding.right - KRDOMStyle::floatValue(right);
            } else {
                x = padding.left + KRDOMStyle::floatValue(left);
            }
            auto top = child->stringValueForKey("top");
            if (isAutoValue(top)) {
                auto bottom = child->stringValueForKey("bottom");
                y = isAutoValue(bottom) ? (H - size.height) / 2
                                        : H - size.height - padding.bottom - KRDOMStyle::floatValue(bottom);
            } else {
                y = padding.top + KRDOMStyle::floatValue(top);
            }
            child->setFrame({{x, y}, size});
            content.width = std::max(content.width, x + size.width + padding.right);
            content.height = std::max(content.height, y + size.height + padding.bottom);
        }
    } else {
        double cursorX = padding.left;
        double cursorY = padding.top;
        double lineHeight = 0;
        content.width = padding.left + padding.right;
        for (std::size_t i = 0; i < m_childs.size(); i++) {
            KRDOMElementRef child = m_childs[i];
            pf::EdgeInsets margin = child->margin();
            child->layout({inner.width - margin.left - margin.right, inner.height - margin.top - margin.bottom});
            pf::Size size = child->frame().size;
            double advance = size.width + margin.left + margin.right;
            double extentY = size.height + margin.top + margin.bottom;
            if (cursorX + advance <= W - padding.right) {
                lineHeight = std::max(lineHeight, extentY);
            } else {
                cursorX = padding.left;
                cursorY += lineHeight;
                lineHeight = extentY;
            }
            pf::Point origin{cursorX + margin.left, cursorY + margin.top};
            cursorX += advance;
            content.width = std::max(content.width, cursorX + padding.right);
            child->setFrame({origin, size});
        }
        content.height = cursorY + lineHeight + padding.bottom;
    }
    setContentSize(content);
    return m_contentSize;
}
