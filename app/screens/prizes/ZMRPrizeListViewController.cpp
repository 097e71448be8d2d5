#include "app/screens/prizes/ZMRPrizeListViewController.h"

#include "app/screens/shared/ZMRListFailure.h"
#include "app/services/ZMRPrizeService.h"
#include "framework/core/KRController.h"
#include "framework/core/KRDataOutlet.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"

#include <cmath>

ZMRPrizeListViewController::~ZMRPrizeListViewController()
{
    if (m_observerToken)
        pf::NotificationCenter::defaultCenter().removeObserver(m_observerToken);
}

void ZMRPrizeListViewController::viewDidLoad()
{
    ZMRViewController::viewDidLoad();
    if (!m_dataController)
        return;
    m_dataController->setDelegate(shared_from_this());
    m_dataController->reloadData();
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    m_observerToken = pf::NotificationCenter::defaultCenter().addObserver(
        ZMRPrizeExchangedNotification, m_observerLife, [weakSelf](const pf::Notification&) {
            if (auto self = std::dynamic_pointer_cast<ZMRPrizeListViewController>(weakSelf.lock()))
                self->m_exchanged = true;
        });
}

void ZMRPrizeListViewController::viewWillAppear(bool animated)
{
    ZMRViewController::viewWillAppear(animated);
    if (!m_exchanged || !m_dataController)
        return;
    m_exchanged = false;
    m_dataController->reloadData();
}

void ZMRPrizeListViewController::krContainerDataControllerItemViewControllerDoAction(KRContainerDataController&,
                                                                                    KRItemViewController& item,
                                                                                    const pf::ObjectRef& action)
{
    auto named = std::dynamic_pointer_cast<IKRAction>(action);
    if (!named || named->actionName() != "prize")
        return;
    pf::Value pid = dataForKeyPath(item.dataItem(), "pid");
    std::string text;
    if (pid.isNumber() && std::isfinite(pid.doubleValue()))
        text = std::to_string(pid.longLongValue());
    else if (pid.isString() && !pid.stringOr().empty())
        text = pid.stringOr();
    else
        return;
    openRelativeUrl("prizelist/prize-details", pf::Value(pf::Dictionary::create({{"pid", text}})), true);
}

void ZMRPrizeListViewController::krDataControllerDidLoaded(KRDataController& controller)
{
    if (&controller == m_dataController.get())
        ZMRHideListFailure(*m_dataController);
}

void ZMRPrizeListViewController::krDataControllerDidFitalError(KRDataController& controller, const pf::Error& error)
{
    if (&controller == m_dataController.get())
        ZMRShowListFailure(*m_dataController, error);
}
