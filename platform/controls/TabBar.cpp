#include "platform/controls/TabBar.h"

#include "platform/foundation/Collections.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Touch.h"

#include <algorithm>
#include <cmath>

namespace pf {

ArrayRef TabBar::itemList() const
{
    auto list = Array::create();
    for (auto& item : m_items)
        list->add(Value(ObjectRef(item)));
    return list;
}

void TabBar::setItemList(const ArrayRef& list)
{
    std::vector<std::shared_ptr<TabBarItem>> items;
    for (std::size_t i = 0; list && i < list->count(); ++i)
        if (auto item = list->at(i).objectAs<TabBarItem>())
            items.push_back(item);
    setItems(std::move(items));
}

TabBar::TabBar(const Rect& frame)
    : View(frame)
{
    setBackgroundColor(Color::white(0.1));
}

void TabBar::setDelegateObject(const ObjectRef& delegate)
{
    m_delegateObject = delegate;
    m_delegate = std::dynamic_pointer_cast<TabBarDelegate>(delegate);
}

void TabBar::setDelegate(const std::shared_ptr<TabBarDelegate>& delegate)
{
    m_delegate = delegate;
    m_delegateObject = std::dynamic_pointer_cast<Object>(delegate);
}

void TabBar::setItems(std::vector<std::shared_ptr<TabBarItem>> items, bool)
{
    std::erase(items, nullptr);
    m_items = std::move(items);
    if (std::find(m_items.begin(), m_items.end(), m_selected) == m_items.end())
        m_selected = nullptr;
    setNeedsDisplay();
}

void TabBar::setSelectedItem(const std::shared_ptr<TabBarItem>& item)
{
    if (item && std::find(m_items.begin(), m_items.end(), item) == m_items.end())
        return;
    m_selected = item;
    setNeedsDisplay();
}

void TabBar::setSelectedTintColor(const Color& color)
{
    m_tint = color;
    setNeedsDisplay();
}

int TabBar::itemIndexAtX(double x) const
{
    if (m_items.empty() || bounds().width() <= 0)
        return -1;
    int index = static_cast<int>(std::floor((x - bounds().x()) / (bounds().width() / m_items.size())));
    return index >= 0 && index < static_cast<int>(m_items.size()) ? index : -1;
}

void TabBar::draw(GraphicsContext& context, const Rect&)
{
    Rect b = bounds();
    double slot = b.width() / m_items.size();
    TextStyle style;
    style.font = Font::system(10);
    style.alignment = TextAlignment::Center;
    style.numberOfLines = 1;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        auto& item = m_items[i];
        bool on = item == m_selected;
        Rect cell(b.x() + slot * i, b.y(), slot, b.height());
        if (on)
            context.fillRect(cell.insetBy(2, 2), Color::white(1, 0.12));
        if (item->image() && item->image()->bitmap()) {
            Size s = item->image()->size();
            context.drawImage(*item->image()->bitmap(), Rect(cell.midX() - s.width / 2, cell.y() + 4, s.width, s.height));
        }
        if (item->title()) {
            style.color = on ? m_tint : Color::white(0.6);
            drawText(context, *item->title(), Rect(cell.x(), cell.maxY() - 15, cell.width(), 14), style);
        }
    }
}

void TabBar::touchesEnded(const TouchSet& touches)
{
    if (touches.empty())
        return;
    Point p = touches.front()->locationInView(this);
    int index = bounds().contains(p) ? itemIndexAtX(p.x) : -1;
    if (index < 0 || !m_items[index]->isEnabled())
        return;
    auto item = m_items[index];
    setSelectedItem(item);
    auto keep = self();
    if (auto delegate = m_delegate.lock())
        delegate->tabBarDidSelectItem(*this, *item);
}

std::string TabBar::textContent() const
{
    std::string text;
    for (auto& item : m_items)
        if (item->title())
            text += (text.empty() ? "" : " ") + *item->title();
    return text;
}

}
