#pragma once

// Child controllers behind a tab bar: the selected child's view fills the
// area above the bar, one bar item per child (the child's tab bar item, or
// one made from its title). A tap on an item selects its child. Appearance
// calls reach the selected child only, since only its view is installed;
// changing the selection while shown makes the old child disappear and the
// new one appear.
//
// The bar may come from the interface file (the "tabBar" outlet, any TabBar
// class); otherwise a plain one is made with the view. It hides while the
// selected child is a navigation stack holding, above its root, a
// controller that asks for it (hidesBottomBarWhenPushed); the content then
// fills the whole view.
//
// Children that leave the list lose their parent and are reported to
// didRemoveViewControllers().
//
// Main thread only.

#include "platform/controls/TabBar.h"
#include "platform/ui/ViewController.h"

#include <vector>

namespace pf {

class TabBarController : public ViewController, public TabBarDelegate {
public:
    static constexpr std::size_t NotFound = std::size_t(-1);

    TabBarController() = default;
    TabBarController(std::string nibName, const Bundle* bundle) : ViewController(std::move(nibName), bundle) {}

    const std::vector<ViewControllerRef>& viewControllers() const { return m_tabs; }
    // Null entries and repeats are dropped. The selection stays on its child
    // when that child remains, else moves to the first.
    void setViewControllers(std::vector<ViewControllerRef> controllers);
    ViewControllerRef selectedViewController() const;
    // A controller not among the children changes nothing.
    void setSelectedViewController(const ViewControllerRef& controller);
    // NotFound without children.
    std::size_t selectedIndex() const { return m_selected; }
    // An index past the last child changes nothing.
    void setSelectedIndex(std::size_t index);

    const std::shared_ptr<TabBar>& tabBar() const { return m_bar; }
    // Before the view loads (interface files); later bars are ignored.
    void setTabBar(std::shared_ptr<TabBar> bar);
    bool isTabBarHidden() const;
    // The area the selected child's view fills, in this controller's view.
    Rect contentFrame() const;

    void loadView() override;
    void viewDidLayoutSubviews() override;
    void tabBarDidSelectItem(TabBar& bar, TabBarItem& item) override;
    void childContentDidChange(ViewController& child) override;
    // Rotation follows the selected child.
    ViewControllerRef childViewControllerForRotation() const override { return selectedViewController(); }

protected:
    // Children that left the list.
    virtual void didRemoveViewControllers(const std::vector<ViewControllerRef>& /*removed*/) {}
    // After a tap on the bar item of the already selected child.
    virtual void didReselectViewController(const ViewControllerRef& /*controller*/) {}

private:
    void select(std::size_t index);
    void installSelected();
    void updateItems();
    void layout();

    std::vector<ViewControllerRef> m_tabs;
    std::size_t m_selected = NotFound;
    std::shared_ptr<TabBar> m_bar;
    ViewRef m_content;
};

}
