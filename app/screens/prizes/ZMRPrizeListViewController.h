#pragma once

// The prize list screen ("PrizeList"): a grid of prizes that loads when the
// view loads. An item's action "prize" opens the prize's details,
// "prizelist/prize-details?pid=<pid>" relative to the list's place in the
// root stack, so the details come one level below it; an item
// without a "pid" (or one that is no number or text) opens nothing, and
// every other action is ignored. The screen is its grid controller's
// delegate; a failed load of an empty grid shows its text
// (ZMRListFailure.h), prizes already shown stay without a notice.
//
// An exchange changes a prize's count of exchanges: after one
// (ZMRPrizeExchangedNotification) the list loads again the next time it
// appears, so it agrees with the prize's details.
//
// Main queue only.

#include "app/screens/shared/ZMRViewController.h"
#include "framework/data/KRContainerDataController.h"

#include <cstdint>

class ZMRPrizeListViewController : public ZMRViewController, public KRContainerDataControllerDelegate {
public:
    const std::shared_ptr<KRContainerDataController>& dataController() const { return m_dataController; }
    void setDataController(std::shared_ptr<KRContainerDataController> controller)
    {
        m_dataController = std::move(controller);
    }

    ~ZMRPrizeListViewController() override;

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void krContainerDataControllerItemViewControllerDoAction(KRContainerDataController& controller,
                                                             KRItemViewController& item,
                                                             const pf::ObjectRef& action) override;
    void krDataControllerDidLoaded(KRDataController& controller) override;
    void krDataControllerDidFitalError(KRDataController& controller, const pf::Error& error) override;

private:
    std::shared_ptr<KRContainerDataController> m_dataController;
    // An exchange was made since the list last loaded.
    bool m_exchanged = false;
    std::shared_ptr<int> m_observerLife = std::make_shared<int>(0);
    std::uint64_t m_observerToken = 0;
};
