#include "app/screens/prizes/ZMRPrizeListViewController.h"

#include "framework/core/KRController.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/core/QueryValue.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Log.h"

#include <cmath>

void ZMRPrizeListViewController::viewDidLoad()
{
    ZMRViewController::viewDidLoad();
    if (!m_dataController)
        return;
    m_dataController->setDelegate(shared_from_this());
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
