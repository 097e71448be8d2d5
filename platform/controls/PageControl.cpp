#include "platform/controls/PageControl.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Touch.h"

#include <algorithm>

namespace pf {

namespace {
constexpr double kDot = 7;
constexpr double kSpacing = 16;
}

PageControl::PageControl(const Rect& frame)
    : Control(frame)
{
}

void PageControl::setNumberOfPages(int pages)
{
    m_pages = std::max(0, pages);
    m_current = std::clamp(m_current, 0, std::max(0, m_pages - 1));
    setNeedsDisplay();
}

void PageControl::setCurrentPage(int page)
{
    page = std::clamp(page, 0, std::max(0, m_pages - 1));
    if (page == m_current)
        return;
    m_current = page;
    setNeedsDisplay();
}

void PageControl::setHidesForSinglePage(bool hides)
{
    m_hidesForSinglePage = hides;
    setNeedsDisplay();
}

void PageControl::setPageIndicatorTintColor(const Color& color)
{
    m_dotColor = color;
    setNeedsDisplay();
}

void PageControl::setCurrentPageIndicatorTintColor(const Color& color)
{
    m_currentColor = color;
    setNeedsDisplay();
}

Point PageControl::dotCenter(int page) const
{
    double width = (m_pages - 1) * kSpacing;
    return {bounds().x() + (bounds().width() - width) / 2 + page * kSpacing, bounds().y() + bounds().height() / 2};
}

void PageControl::draw(GraphicsContext& context, const Rect&)
{
    for (int i = 0; i < m_pages; ++i) {
        Point c = dotCenter(i);
        context.fillRoundedRect(Rect(c.x - kDot / 2, c.y - kDot / 2, kDot, kDot), kDot / 2,
                                i == m_current ? m_currentColor : m_dotColor);
    }
}

void PageControl::touchesEnded(const TouchSet& touches)
{
    bool tracking = isTracking();
    auto keep = self();
    int before = m_current;
    if (tracking && !touches.empty() && isTouchInside(touches.front()->locationInView(this))) {
        double x = touches.front()->locationInView(this).x;
        setCurrentPage(m_current + (x >= bounds().midX() ? 1 : -1));
    }
    Control::touchesEnded(touches);
    if (m_current != before)
        sendActionsForControlEvents(ControlEvent::ValueChanged);
}

}
