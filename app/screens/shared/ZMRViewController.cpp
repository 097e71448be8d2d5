#include "app/screens/shared/ZMRViewController.h"

#include "app/screens/shared/ZMRPublishView.h"
#include "app/screens/shared/ZMRSending.h"
#include "framework/core/IKRUIContext.h"
#include "framework/core/KRController.h"
#include "framework/core/KRTask.h"
#include "platform/controls/AlertView.h"
#include "platform/foundation/Log.h"

ZMRViewController::~ZMRViewController()
{
    pf::log("%s dealloc", m_className.empty() ? "ZMRViewController" : m_className.c_str());
}

const std::string& ZMRViewController::screenClassName()
{
    if (m_className.empty()) {
        const pf::Class* cls = objectClass();
        m_className = cls ? cls->name() : "ZMRViewController";
    }
    return m_className;
}

void ZMRViewController::logStep(const char* step) { pf::log("%s %s", screenClassName().c_str(), step); }

void ZMRViewController::setTabBar(std::shared_ptr<pf::TabBar> tabBar)
{
    m_tabBar = std::move(tabBar);
    if (m_tabBar)
        m_tabBar->setDelegate(std::dynamic_pointer_cast<pf::TabBarDelegate>(weak_from_this().lock()));
}

void ZMRViewController::tabBarDidSelectItem(pf::TabBar&, pf::TabBarItem& item)
{
    auto* action = dynamic_cast<IKRAction*>(&item);
    if (action && action->actionName() == "url" && action->userInfo().isString())
        openRelativeUrl(action->userInfo().stringOr(), pf::Value(), false);
}

void ZMRViewController::initWithNibName(const std::optional<std::string>& nibName, const std::shared_ptr<pf::Bundle>& bundle)
{
    screenClassName();
    KRViewController::initWithNibName(nibName, bundle);
}

void ZMRViewController::viewDidLoad()
{
    KRViewController::viewDidLoad();
    screenClassName();
    if (m_tabBar) // outlets may have been set before the screen was shared
        m_tabBar->setDelegate(std::dynamic_pointer_cast<pf::TabBarDelegate>(weak_from_this().lock()));
}

void ZMRViewController::viewWillAppear(bool animated)
{
    KRViewController::viewWillAppear(animated);
    if (m_tabBar && m_selectedTabItem)
        m_tabBar->setSelectedItem(m_selectedTabItem);
    logStep("viewWillAppear");
}

void ZMRViewController::viewDidAppear(bool animated)
{
    KRViewController::viewDidAppear(animated);
    logStep("viewDidAppear");
}

void ZMRViewController::viewWillDisappear(bool animated)
{
    KRViewController::viewWillDisappear(animated);
    if (auto menu = m_publishView)
        menu->setHidden(true, false);
    logStep("viewWillDisappear");
}

void ZMRViewController::viewDidDisappear(bool animated)
{
    KRViewController::viewDidDisappear(animated);
    logStep("viewDidDisappear");
}

bool ZMRViewController::goBack(bool animated)
{
    if (m_publishView && !m_publishView->isHidden()) {
        m_publishView->setHidden(true, animated);
        return true;
    }
    if (isSending())
        return false;
    return KRViewController::goBack(animated);
}

bool ZMRViewController::isSending() const
{
    if (const auto& companions = controllers())
        for (const pf::Value& item : *companions)
            if (auto form = std::dynamic_pointer_cast<IZMRSendingForm>(item.object()); form && form->isSending())
                return true;
    return false;
}

void ZMRViewController::showAlert(const std::string& message)
{
    std::make_shared<pf::AlertView>("", message, nullptr, "确定", std::vector<std::string>{})->show();
}

bool ZMRViewController::sendFormTask(const pf::Protocol* taskType, const std::shared_ptr<KRUplinkTask>& task)
{
    auto context = this->context();
    auto self = weak_from_this().lock();
    if (!context || !self)
        return false;
    task->setSource(self);
    task->setDelegate(std::dynamic_pointer_cast<IKRUplinkTaskDelegate>(self));
    if (context->handle(taskType, task, 0))
        return true;
    pf::log("%s: no service takes %s", screenClassName().c_str(), taskType->name().c_str());
    return false;
}
