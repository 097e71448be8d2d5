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
    for (auto& item : m_items)
        if (auto view = makeBarButtonView(item, m_tint)) {
            addSubview(view);
            m_views.push_back(view);
        }
    setNeedsLayout();
}

void Toolbar::layoutSubviews()
{
    if (m_views.empty())
        return;
    Rect b = bounds();
    double slot = b.width() / m_views.size();
    for (std::size_t i = 0; i < m_views.size(); ++i) {
        Size s = m_views[i]->frame().size;
        double w = std::min(s.width, slot);
        double h = std::min(s.height > 0 ? s.height : b.height(), b.height());
        m_views[i]->setFrame(Rect(b.x() + slot * i + (slot - w) / 2, b.y() + (b.height() - h) / 2, w, h));
    }
}

}
