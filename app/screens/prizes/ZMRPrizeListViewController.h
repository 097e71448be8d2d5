#pragma once

// The prize list screen ("PrizeList"): a grid of prizes that loads when the
// view loads. An item's action "prize" opens the prize's details,
// "prizelist/prize-details?pid=<pid>" relative to the list's place in the
// root stack, so the details come one level below it; an item
// without a "pid" (or one that is no number or text) opens nothing, and
// every other action is ignored. The screen is its grid controller's delegate.
//
// Main queue only.

#include "app/screens/shared/ZMRViewController.h"
#include "framework/data/KRContainerDataController.h"

class ZMRPrizeListViewController : public ZMRViewController, public KRContainerDataControllerDelegate {
public:
    const std::shared_ptr<KRContainerDataController>& dataController() const { return m_dataController; }
    void setDataController(std::shared_ptr<KRContainerDataController> controller)
    {
        m_dataController = std::move(controller);
    }

    void viewDidLoad() override;
    void krContainerDataControllerItemViewControllerDoAction(KRContainerDataController& controller,
                                                             KRItemViewController& item,
                                                             const pf::ObjectRef& action) override;

private:
    std::shared_ptr<KRContainerDataController> m_dataController;
};
