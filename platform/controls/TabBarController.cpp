#include "platform/controls/TabBarController.h"

#include "platform/controls/NavigationController.h"
#include "platform/ui/View.h"

#include <algorithm>

namespace pf {

namespace {
constexpr double kBarHeight = 49;
constexpr AutoresizingMask kFlexibleSize = Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight;

bool contains(const std::vector<ViewControllerRef>& list, const ViewControllerRef& c)
{
    return std::find(list.begin(), list.end(), c) != list.end();
}
}

void TabBarController::setTabBar(std::shared_ptr<TabBar> bar)
{
    if (!isViewLoaded() || !m_bar)
        m_bar = std::move(bar);
}

ViewControllerRef TabBarController::selectedViewController() const
{
    return m_selected < m_tabs.size() ? m_tabs[m_selected] : nullptr;
}

void TabBarController::setViewControllers(std::vector<ViewControllerRef> controllers)
{
    auto keep = weak_from_this().lock();
    std::vector<ViewControllerRef> list;
    for (auto& c : controllers)
        if (c && c.get() != this && !contains(list, c))
            list.push_back(c);
    ViewControllerRef oldSelected = selectedViewController();
    std::vector<ViewControllerRef> removed;
    for (auto& c : m_tabs)
        if (!contains(list, c))
            removed.push_back(c);
    for (auto& c : list)
        if (c->parentViewController().get() != this)
            addChildViewController(c);
    auto at = std::find(list.begin(), list.end(), oldSelected);
    std::size_t next = at != list.end() ? std::size_t(at - list.begin()) : (list.empty() ? NotFound : 0);
    // The old selection leaves first (while it is still a child), then the list changes.
    if (next == NotFound || list[next] != oldSelected) {
        select(NotFound);
    }
    m_tabs = std::move(list);
    if (m_selected == NotFound && next != NotFound)
        select(next);
    else
        m_selected = next;
    for (auto& c : removed)
        c->removeFromParentViewController();
    updateItems();
    layout();
    if (!removed.empty())
        didRemoveViewControllers(removed);
}

void TabBarController::setSelectedViewController(const ViewControllerRef& controller)
{
    auto at = std::find(m_tabs.begin(), m_tabs.end(), controller);
    if (controller && at != m_tabs.end())
        setSelectedIndex(std::size_t(at - m_tabs.begin()));
}

void TabBarController::setSelectedIndex(std::size_t index)
{
    if (index >= m_tabs.size() || index == m_selected)
        return;
    auto keep = weak_from_this().lock();
    select(index);
    if (m_bar)
        m_bar->setSelectedItem(std::dynamic_pointer_cast<TabBarItem>(m_tabs[index]->tabBarItem()));
    layout();
}

// Takes the selected child's view off (it disappears when shown), then
// installs the child at `index` (NotFound: none).
void TabBarController::select(std::size_t index)
{
    ViewRef root = viewIfLoaded();
    bool shown = root && root->window() && isAppeared();
    ViewControllerRef old = selectedViewController();
    ViewRef oldView = old ? old->viewIfLoaded() : nullptr;
    bool oldInstalled = oldView && m_content && oldView->superview() == m_content;
    if (shown && oldInstalled)
        old->beginAppearanceTransition(false, false);
    if (oldInstalled)
        oldView->removeFromSuperview();
    if (shown && oldInstalled)
        old->endAppearanceTransition();
    m_selected = index;
    installSelected();
}

void TabBarController::installSelected()
{
    ViewRef root = viewIfLoaded();
    ViewControllerRef child = selectedViewController();
    if (!root || !m_content || !child)
        return;
    ViewRef childView = child->view();
    if (childView->superview() == m_content)
        return;
    bool shown = root->window() && isAppeared();
    childView->setFrame(m_content->bounds());
    childView->setAutoresizingMask(kFlexibleSize);
    if (shown)
        child->beginAppearanceTransition(true, false);
    m_content->addSubview(childView);
    if (shown)
        child->endAppearanceTransition();
}

void TabBarController::updateItems()
{
    if (!m_bar)
        return;
    std::vector<std::shared_ptr<TabBarItem>> items;
    for (auto& c : m_tabs) {
        auto item = std::dynamic_pointer_cast<TabBarItem>(c->tabBarItem());
        if (!item) {
            item = std::make_shared<TabBarItem>(c->title().value_or(""), nullptr, int(items.size()));
            c->setTabBarItem(item);
        }
        items.push_back(item);
    }
    m_bar->setItems(std::move(items));
    auto selected = selectedViewController();
    m_bar->setSelectedItem(selected ? std::dynamic_pointer_cast<TabBarItem>(selected->tabBarItem()) : nullptr);
}

bool TabBarController::isTabBarHidden() const
{
    auto stack = std::dynamic_pointer_cast<NavigationController>(selectedViewController());
    if (!stack)
        return false;
    auto& list = stack->viewControllers();
    return std::any_of(list.size() > 1 ? list.begin() + 1 : list.end(), list.end(),
                       [](const ViewControllerRef& c) { return c->hidesBottomBarWhenPushed(); });
}

Rect TabBarController::contentFrame() const
{
    ViewRef root = viewIfLoaded();
    if (!root)
        return {};
    Rect b = root->bounds();
    double bar = isTabBarHidden() ? 0 : kBarHeight;
    return Rect(0, 0, b.width(), std::max(0.0, b.height() - bar));
}

void TabBarController::layout()
{
    ViewRef root = viewIfLoaded();
    if (!root || !m_content)
        return;
    Rect b = root->bounds();
    m_bar->setFrame(Rect(0, b.height() - kBarHeight, b.width(), kBarHeight));
    m_bar->setHidden(isTabBarHidden());
    m_content->setFrame(contentFrame());
}

void TabBarController::loadView()
{
    ViewController::loadView();
    ViewRef root = viewIfLoaded();
    if (!m_bar)
        m_bar = std::make_shared<TabBar>();
    m_bar->setDelegate(std::dynamic_pointer_cast<TabBarDelegate>(weak_from_this().lock()));
    // Sized by its container only after it loads: the masks keep the content
    // area and the bar in place as the size changes, before the next layout pass.
    m_content = View::create(root->bounds());
    m_content->setClipsToBounds(true);
    m_content->setAutoresizingMask(kFlexibleSize);
    m_bar->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleTopMargin);
    root->addSubview(m_content);
    root->addSubview(m_bar);
    updateItems();
    layout();
    installSelected();
}

void TabBarController::viewDidLayoutSubviews()
{
    ViewController::viewDidLayoutSubviews();
    layout();
}

void TabBarController::childContentDidChange(ViewController& child)
{
    if (&child == selectedViewController().get())
        layout();
}

void TabBarController::tabBarDidSelectItem(TabBar&, TabBarItem& item)
{
    auto keep = weak_from_this().lock();
    for (std::size_t i = 0; i < m_tabs.size(); ++i) {
        if (m_tabs[i]->tabBarItem().get() != &item)
            continue;
        if (i == m_selected)
            didReselectViewController(m_tabs[i]);
        else
            setSelectedIndex(i);
        return;
    }
}

}
