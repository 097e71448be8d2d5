#pragma once

// The prize screens: one prize shown by a ZMRPrizeDetailsController (an
// outlet of the interface file; the screen becomes its delegate when the
// view loads and reloads it), leading to the exchange screen when the
// document's element "buy" is tapped. Buying stores the shown prize as the
// focus value "prize" and opens the exchange screen:
//
//   ZMRPrizeViewController ("Prize")               "root:///root/fold/center/prize/prize-buy"
//   ZMRPrizeDetailsViewController ("PrizeDetails") "prize-details/prize-buy" relative to the screen,
//                                                  with the screen's query (its "pid")
//
// "Prize" names its prize in its source's "productId"; "PrizeDetails" takes
// it from its URL's "pid" (none leaves the product id unset). Before a prize
// has loaded (no dictionary with a "pid"), "buy" opens nothing and stores
// nothing, with a log line. The details screen applies its data outlets again
// whenever a new prize was shown. Shown again (back from the exchange), the
// screen reloads its prize so its count is current. Leaving cancels the
// details controller.
//
// Main queue only.

#include "app/screens/prizes/ZMRPrizeDetailsController.h"
#include "app/screens/shared/ZMRViewController.h"

class ZMRPrizeViewController : public ZMRViewController, public ZMRPrizeDetailsControllerDelegate {
public:
    ~ZMRPrizeViewController() override;

    const std::shared_ptr<ZMRPrizeDetailsController>& detailsController() const { return m_detailsController; }
    void setDetailsController(std::shared_ptr<ZMRPrizeDetailsController> controller)
    {
        m_detailsController = std::move(controller);
    }

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void krDocumentControllerDoActionElement(KRDocumentController& controller, KRDOMElement& element) override;

protected:
    // Where "buy" leads, or nothing.
    virtual std::optional<pf::URL> buyURL();
    // Before the details controller reloads.
    virtual void prepareDetails() {}

private:
    std::shared_ptr<ZMRPrizeDetailsController> m_detailsController;
    bool m_appeared = false;
};

class ZMRPrizeDetailsViewController : public ZMRPrizeViewController {
public:
    void prizeDetailsControllerDidContentChanged(ZMRPrizeDetailsController& controller) override;

protected:
    std::optional<pf::URL> buyURL() override;
    void prepareDetails() override;
};
