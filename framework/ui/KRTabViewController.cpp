#include "framework/ui/KRTabViewController.h"

#include "framework/core/QueryValue.h"
#include "framework/ui/KRTabItems.h"
#include "platform/controls/Control.h"
#include "platform/controls/NavigationController.h"
#include "platform/ui/View.h"

#include <algorithm>

KRTabViewController::~KRTabViewController()
{
    for (auto& c : m_tabs)
        if (auto r = routed(c))
            r->setParentController(nullptr);
}

void KRTabViewController::setConfig(pf::DictionaryRef config)
{
    if (!applyContainerConfig(config))
        return;
    auto keep = weak_from_this().lock();
    std::vector<pf::ViewControllerRef> tabs;
    for (auto& tab : KRMakeTabs(*config, context(), selfController()))
        tabs.push_back(tab.controller);
    setViewControllers(std::move(tabs));
}

void KRTabViewController::setViewControllers(std::vector<pf::ViewControllerRef> controllers)
{
    auto keep = weak_from_this().lock();
    auto old = selectedViewController();
    if (old && old->viewIfLoaded() && m_contentView && old->viewIfLoaded()->superview() == m_contentView) {
        bool shown = isAppeared();
        if (shown)
            old->beginAppearanceTransition(false, false);
        old->viewIfLoaded()->removeFromSuperview();
        if (shown)
            old->endAppearanceTransition();
    }
    auto self = selfController();
    for (auto& c : m_tabs) {
        if (std::find(controllers.begin(), controllers.end(), c) != controllers.end())
            continue;
        if (auto r = routed(c); r && r->parentController() == self)
            r->setParentController(nullptr);
        c->removeFromParentViewController();
    }
    std::erase(controllers, nullptr);
    m_tabs = std::move(controllers);
    for (auto& c : m_tabs)
        addChildViewController(c);
    if (m_selectedIndex >= m_tabs.size())
        m_selectedIndex = 0;
    if (auto child = selectedViewController(); child && isViewLoaded() && isAppeared()) {
        child->beginAppearanceTransition(true, false);
        installSelected();
        child->endAppearanceTransition();
    }
    updateButtons();
}

pf::ViewControllerRef KRTabViewController::selectedViewController()
{
    if (m_tabs.empty())
        return nullptr;
    if (m_selectedIndex >= m_tabs.size())
        m_selectedIndex = 0;
    return m_tabs[m_selectedIndex];
}

pf::ObjectRef KRTabViewController::selectedTabButton() const
{
    return m_tabButtons && m_selectedIndex < m_tabButtons->count() ? m_tabButtons->at(m_selectedIndex).object() : nullptr;
}

void KRTabViewController::setSelectedIndex(unsigned index)
{
    if (m_tabs.empty())
        return;
    auto keep = weak_from_this().lock();
    if (index >= m_tabs.size())
        index = 0;
    auto old = selectedViewController();
    bool shown = isViewLoaded() && view()->window() && isAppeared();
    if (isViewLoaded() && old->isViewLoaded()) {
        if (index == m_selectedIndex)
            return;
        if (old->viewIfLoaded()->superview()) {
            if (shown)
                old->beginAppearanceTransition(false, false);
            old->viewIfLoaded()->removeFromSuperview();
            if (shown)
                old->endAppearanceTransition();
        }
    }
    m_selectedIndex = index;
    if (isViewLoaded() && shown) {
        auto child = m_tabs[index];
        child->beginAppearanceTransition(true, false);
        installSelected();
        child->endAppearanceTransition();
    } else if (isViewLoaded()) {
        installSelected();
    }
    updateButtons();
}

void KRTabViewController::installSelected()
{
    auto child = selectedViewController();
    if (!child || !m_contentView)
        return;
    pf::ViewRef view = child->view();
    view->setAutoresizingMask(pf::Autoresizing::FlexibleWidth | pf::Autoresizing::FlexibleHeight);
    view->setFrame(pf::Rect(pf::Point(), m_contentView->bounds().size));
    m_contentView->addSubview(view);
}

void KRTabViewController::updateButtons()
{
    for (std::size_t i = 0; m_tabButtons && i < m_tabButtons->count(); ++i)
        if (auto button = m_tabButtons->at(i).objectAs<pf::Control>())
            button->setSelected(i == m_selectedIndex);
}

void KRTabViewController::doTabAction(const pf::ObjectRef& sender)
{
    auto keep = weak_from_this().lock();
    if (sender && sender == selectedTabButton()) {
        if (auto stack = std::dynamic_pointer_cast<pf::NavigationController>(selectedViewController())) {
            stack->popToRootViewControllerAnimated(true);
            return;
        }
    }
    unsigned index = NotFound;
    for (std::size_t i = 0; sender && m_tabButtons && i < m_tabButtons->count(); ++i)
        if (m_tabButtons->at(i).object() == sender)
            index = unsigned(i);
    setSelectedIndex(index);
}

bool KRTabViewController::openUrl(const pf::URL& url, bool animated)
{
    return openContainerUrl(url, animated, [&] {
        auto component = firstPathComponent(url, "/");
        for (std::size_t i = 0; component && i < m_tabs.size(); ++i) {
            if (auto r = routed(m_tabs[i]); r && r->alias() == *component) {
                if (i != m_selectedIndex)
                    setSelectedIndex(unsigned(i));
                break;
            }
        }
        if (auto selected = routed(selectedViewController()))
            selected->loadUrl(url, "/", animated);
    });
}

std::shared_ptr<IKRUIViewController> KRTabViewController::topController()
{
    auto selected = routed(selectedViewController());
    return selected ? selected->topController() : nullptr;
}

void KRTabViewController::viewDidLoad()
{
    KRViewController::viewDidLoad();
    if (auto child = selectedViewController())
        child->view();
}

void KRTabViewController::viewDidUnload()
{
    KRViewController::viewDidUnload();
    m_contentView = nullptr;
}

void KRTabViewController::viewWillAppear(bool animated)
{
    KRViewController::viewWillAppear(animated);
    // Installed now, the child hears of the appearance with this screen.
    auto child = selectedViewController();
    if (animated && child) {
        child->view()->setBackgroundColor(pf::Color::white(0.5));
        installSelected();
    }
}

void KRTabViewController::viewDidAppear(bool animated)
{
    KRViewController::viewDidAppear(animated);
    auto child = selectedViewController();
    if (!animated && child && !child->isAppeared()) {
        child->view()->setBackgroundColor(pf::Color::white(0.5));
        child->beginAppearanceTransition(true, false);
        installSelected();
    }
}

void KRTabViewController::viewDidDisappear(bool animated)
{
    KRViewController::viewDidDisappear(animated);
    if (auto child = selectedViewController(); child && child->viewIfLoaded())
        child->viewIfLoaded()->removeFromSuperview();
}
