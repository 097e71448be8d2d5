#include "platform/controls/NavigationItem.h"

#include "platform/ui/View.h"

namespace pf {

void NavigationItem::changed()
{
    if (auto bar = m_bar.lock())
        bar->setNeedsLayout();
}

void NavigationItem::setBar(const ViewRef& bar)
{
    m_bar = bar;
}

void NavigationItem::setTitle(const std::string& title)
{
    m_title = title;
    changed();
}

void NavigationItem::setTitleView(const ViewRef& view)
{
    m_titleView = view;
    changed();
}

void NavigationItem::setLeftBarButtonItem(const std::shared_ptr<BarButtonItem>& item)
{
    m_left = item;
    changed();
}

void NavigationItem::setRightBarButtonItem(const std::shared_ptr<BarButtonItem>& item)
{
    m_right = item;
    changed();
}

void NavigationItem::setBackBarButtonItem(const std::shared_ptr<BarButtonItem>& item)
{
    m_back = item;
    changed();
}

void NavigationItem::setHidesBackButton(bool hides)
{
    m_hidesBackButton = hides;
    changed();
}

}
