#pragma once

// What a navigation bar shows for one screen: a title (or a title view) and
// the bar button items at either side.
//
// Main thread only.

#include "platform/controls/BarItem.h"
#include "platform/ui/Forward.h"

namespace pf {

class NavigationItem : public Object {
public:
    NavigationItem() = default;
    explicit NavigationItem(std::string title) : m_title(std::move(title)) {}

    // Each change asks the bar showing the item (if any) to lay out again.
    const std::string& title() const { return m_title; }
    void setTitle(const std::string& title);
    const ViewRef& titleView() const { return m_titleView; }
    void setTitleView(const ViewRef& view);
    const std::shared_ptr<BarButtonItem>& leftBarButtonItem() const { return m_left; }
    void setLeftBarButtonItem(const std::shared_ptr<BarButtonItem>& item);
    const std::shared_ptr<BarButtonItem>& rightBarButtonItem() const { return m_right; }
    void setRightBarButtonItem(const std::shared_ptr<BarButtonItem>& item);
    const std::shared_ptr<BarButtonItem>& backBarButtonItem() const { return m_back; }
    void setBackBarButtonItem(const std::shared_ptr<BarButtonItem>& item);
    bool hidesBackButton() const { return m_hidesBackButton; }
    void setHidesBackButton(bool hides);
    // The bar that shows the item; not retained.
    void setBar(const ViewRef& bar);

private:
    std::string m_title;
    ViewRef m_titleView;
    std::shared_ptr<BarButtonItem> m_left;
    std::shared_ptr<BarButtonItem> m_right;
    std::shared_ptr<BarButtonItem> m_back;
    bool m_hidesBackButton = false;
    std::weak_ptr<View> m_bar;
    void changed();
};

}
