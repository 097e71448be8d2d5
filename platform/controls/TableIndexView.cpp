#include "platform/controls/TableIndexView.h"

#include "platform/controls/TableView.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Touch.h"

#include <algorithm>

namespace pf {

namespace {
constexpr double kTitleHeight = 16;
}

TableIndexView::TableIndexView(const std::shared_ptr<TableView>& table)
    : m_table(table)
{
}

void TableIndexView::setTitles(std::vector<std::string> titles)
{
    if (titles == m_titles)
        return;
    m_titles = std::move(titles);
    setNeedsDisplay();
}

int TableIndexView::indexAtY(double y) const
{
    if (m_titles.empty())
        return -1;
    // The titles sit centred in the strip, one line each.
    double top = std::max(0.0, (bounds().height() - kTitleHeight * m_titles.size()) / 2);
    int index = static_cast<int>((y - top) / kTitleHeight);
    return std::clamp(index, 0, static_cast<int>(m_titles.size()) - 1);
}

void TableIndexView::draw(GraphicsContext& context, const Rect&)
{
    TextStyle style;
    style.font = Font::boldSystem(12);
    style.color = Color::fromRgbHex(0x3e4a5a);
    style.alignment = TextAlignment::Center;
    style.numberOfLines = 1;
    double top = std::max(0.0, (bounds().height() - kTitleHeight * m_titles.size()) / 2);
    for (std::size_t i = 0; i < m_titles.size(); ++i)
        drawText(context, m_titles[i], Rect(0, top + i * kTitleHeight, bounds().width(), kTitleHeight), style);
}

void TableIndexView::jump(const TouchSet& touches)
{
    auto table = m_table.lock();
    if (!table || touches.empty())
        return;
    int index = indexAtY(touches.front()->locationInView(this).y);
    if (index >= 0)
        table->jumpToSectionIndex(index);
}

void TableIndexView::touchesBegan(const TouchSet& touches)
{
    Control::touchesBegan(touches);
    jump(touches);
}

void TableIndexView::touchesMoved(const TouchSet& touches)
{
    Control::touchesMoved(touches);
    jump(touches);
}

}
