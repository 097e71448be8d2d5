#include "app/screens/prizes/ZMRPrizeViewController.h"

#include "framework/core/IKRUIContext.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/core/QueryValue.h"
#include "framework/data/KRDataSource.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/ui/KRDataOutletContainer.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Log.h"

ZMRPrizeViewController::~ZMRPrizeViewController()
{
    if (m_detailsController)
        m_detailsController->cancel();
}

void ZMRPrizeViewController::viewWillAppear(bool animated)
{
    ZMRViewController::viewWillAppear(animated);
    // Back from an exchange the count has moved: the prize loads again.
    if (m_appeared && m_detailsController)
        m_detailsController->reloadData();
    m_appeared = true;
}

void ZMRPrizeViewController::viewDidLoad()
{
    ZMRViewController::viewDidLoad();
    if (!m_detailsController)
        return;
    m_detailsController->setDelegate(shared_from_this());
    prepareDetails();
    m_detailsController->reloadData();
}

std::optional<pf::URL> ZMRPrizeViewController::buyURL()
{
    return pf::URL::create("root:///root/fold/center/prize/prize-buy");
}

void ZMRPrizeViewController::krDocumentControllerDoActionElement(KRDocumentController& controller, KRDOMElement& element)
{
    if (element.attributeValueForKey("action-name") != std::optional<std::string_view>("buy"))
        return;
    pf::Value prize = controller.dataItem();
    // A prize that has not loaded yet (or an answer without one) is nothing
    // to exchange: the exchange screen would send a request for no product.
    pf::Value pid = dataForKeyPath(prize, "pid");
    if (!prize.isDictionary() || pid.isNilOrNull()) {
        pf::log("%s: no prize to exchange yet", screenClassName().c_str());
        return;
    }
    auto keep = shared_from_this();
    auto target = buyURL();
    auto context = this->context();
    if (!target || !context)
        return;
    context->setFocusValue(prize, "prize");
    openUrl(*target, true);
}

std::optional<pf::URL> ZMRPrizeDetailsViewController::buyURL()
{
    // The exchange form carries the prize id, so that its URL alone (a
    // shot, a restart) still has the details below it show that prize.
    auto place = stackURL();
    if (!place)
        return std::nullopt;
    return URLWithString("prize-details/prize-buy", &*place, pf::Value(queryValues(*place)));
}

void ZMRPrizeDetailsViewController::prepareDetails()
{
    auto source = detailsController()->dataSource();
    if (!source || !url())
        return;
    pf::Value pid = queryValues(*url())->get("pid");
    if (!pid.isNil())
        source->setValueForKey("productId", pid);
}

void ZMRPrizeDetailsViewController::prizeDetailsControllerDidContentChanged(ZMRPrizeDetailsController&)
{
    if (auto outlets = dataOutletContainer())
        outlets->applyDataOutlet(pf::Value(weak_from_this().lock()));
}
