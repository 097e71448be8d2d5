#include "framework/ui/GridCell.h"

#include "framework/ui/Grid.h"
#include "platform/graphics/GraphicsContext.h"

#include <algorithm>

namespace {

constexpr double kFallbackFontSize = 12;

void measureInto(GridCell::TitleLayout& layout, double availableWidth, double minFontSize)
{
    const pf::TextMeasurer& measurer = pf::TextMeasurer::system();
    if (minFontSize <= 0) {
        layout.size = measurer.measure(layout.text, layout.style, availableWidth);
        return;
    }
    auto shrunk = measurer.measureShrinking(layout.text, layout.style, availableWidth, minFontSize);
    layout.size = shrunk.size;
    layout.style.font = layout.style.font.withSize(shrunk.fontSize);
}

}

pf::Font GridCell::effectiveFont() const
{
    if (m_titleFont)
        return *m_titleFont;
    if (auto owner = grid(); owner && owner->dataTitleFont())
        return *owner->dataTitleFont();
    return pf::Font::system(kFallbackFontSize);
}

const GridCell::TitleLayout& GridCell::layoutTitle(double availableWidth) const
{
    pf::Font font = effectiveFont();
    if (m_layoutCache && m_layoutCache->width == availableWidth && m_layoutCache->font == font)
        return m_layoutCache->layout;
    m_layoutCache.reset();
    auto& cache = m_layoutCache.emplace();
    cache.width = availableWidth;
    cache.font = font;
    TitleLayout& layout = cache.layout;
    layout.text = m_title;
    layout.style.font = std::move(font);
    layout.style.alignment = m_titleAlignment;
    layout.style.lineBreak = m_lineBreakMode;
    if (m_titleMinFontSize > 0)
        layout.style.numberOfLines = 1;
    double fullSize = layout.style.font.size();
    measureInto(layout, availableWidth, m_titleMinFontSize);
    if (m_clipsLastTitle && m_titleMinFontSize > 0 && layout.style.font.size() < fullSize) {
        // A shrunk "group-item" title keeps its most specific piece.
        auto dash = layout.text.rfind('-');
        if (dash != std::string::npos)
            layout.text.erase(0, dash + 1);
        measureInto(layout, availableWidth, m_titleMinFontSize);
    }
    return layout;
}

void GridCell::drawToContext(pf::GraphicsContext& context, const pf::Rect& rect)
{
    if (m_backgroundColor)
        context.fillRect(rect, *m_backgroundColor);
    if (m_title.empty())
        return;
    const pf::EdgeInsets& p = m_padding;
    double width = rect.size.width - p.left - p.right;
    double height = rect.size.height - p.top - p.bottom;
    const TitleLayout& layout = layoutTitle(width);
    pf::TextStyle style = layout.style;
    if (m_titleColor) {
        style.color = *m_titleColor;
    } else if (auto owner = grid(); owner && owner->dataTitleColor()) {
        style.color = *owner->dataTitleColor();
    }
    // Text taller than the box shows its first lines from the top, as the
    // box cuts it, rather than centring lines that would all fall outside.
    double top = p.top + std::max(0.0, height - layout.size.height) * 0.5;
    pf::drawText(context, layout.text, pf::Rect(rect.origin.x + p.left, rect.origin.y + top, width, height),
                 style);
}
