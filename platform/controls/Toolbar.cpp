#include "platform/controls/Toolbar.h"

#include "platform/foundation/Collections.h"

namespace pf {

ArrayRef Toolbar::itemList() const
{
    auto list = Array::create();
    for (auto& item : m_items)
        list->add(Value(ObjectRef(item)));
    return list;
}

void Toolbar::setItemList(const ArrayRef& list)
{
    std::vector<std::shared_ptr<BarButtonItem>> items;
    for (std::size_t i = 0; list && i < list->count(); ++i)
        if (auto item = list->at(i).objectAs<BarButtonItem>())
            items.push_back(item);
    setItems(std::move(items));
}

Toolbar::Toolbar(const Rect& frame)
    : View(frame)
{
    setBackgroundColor(Color::white(0.97));
}

void Toolbar::setItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool)
{
    std::erase(items, nullptr);
    m_items = std::move(items);
    rebuild();
}

void Toolbar::setTintColor(const Color& color)
{
    m_tint = color;
    rebuild();
}

void Toolbar::rebuild()
{
    for (auto& v : m_views)
        v->removeFromSuperview();
    m_views.clear();
    m_viewItems.clear();
    m_flexibleSpaces = 0;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i]->isFlexibleSpace())
            m_flexibleSpaces++;
        else if (auto view = makeBarButtonView(m_items[i], m_tint)) {
            addSubview(view);
            m_views.push_back(view);
            m_viewItems.push_back(i);
        }
    }
    setNeedsLayout();
}

void Toolbar::layoutAroundSpaces(const Rect& b)
{
    double fixed = 0;
    for (auto& view : m_views)
        fixed += view->frame().width();
    if (m_views.size() > 1)
        fixed += kItemSpacing * (m_views.size() - 1);
    double space = std::max(0.0, (b.width() - 2 * kEdgeMargin - fixed) / m_flexibleSpaces);
    double x = b.x() + kEdgeMargin;
    std::size_t next = 0;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i]->isFlexibleSpace()) {
            x += space;
            continue;
        }
        if (next >= m_views.size() || m_viewItems[next] != i)
            continue;
        auto& view = m_views[next++];
        Size s = view->frame().size;
        double h = std::min(s.height > 0 ? s.height : b.height(), b.height());
        view->setFrame(Rect(x, b.y() + (b.height() - h) / 2, s.width, h));
        x += s.width + kItemSpacing;
    }
}

void Toolbar::layoutSubviews()
{
    if (m_views.empty())
        return;
    Rect b = bounds();
    if (m_flexibleSpaces > 0) {
        layoutAroundSpaces(b);
        return;
    }
    double slot = b.width() / m_views.size();
    for (std::size_t i = 0; i < m_views.size(); ++i) {
        Size s = m_views[i]->frame().size;
        double w = std::min(s.width, slot);
        double h = std::min(s.height > 0 ? s.height : b.height(), b.height());
        m_views[i]->setFrame(Rect(b.x() + slot * i + (slot - w) / 2, b.y() + (b.height() - h) / 2, w, h));
    }
}

}
