#include "app/screens/prizes/ZMRPrizeBuyViewController.h"
#include "app/screens/prizes/ZMRPrizeDetailsController.h"
#include "app/screens/prizes/ZMRPrizeListViewController.h"
#include "app/screens/prizes/ZMRPrizeScreensRegistration.h"
#include "app/screens/prizes/ZMRPrizeSearchController.h"
#include "app/screens/prizes/ZMRPrizeSearchDataSource.h"
#include "app/screens/prizes/ZMRPrizeViewController.h"
#include "framework/dom/KRDOMViewClass.h"
#include "framework/ui/KRActionControls.h"
#include "framework/ui/KRStatusView.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/ClassExtension.h"

void registerPrizeScreens()
{
    pf::ClassBuilder<ZMRPrizeSearchDataSource>("ZMRPrizeSearchDataSource")
        .superclass<ZMRPageDataSource>()
        .property("timestampKey", &ZMRPrizeSearchDataSource::timestampKey, &ZMRPrizeSearchDataSource::setTimestampKey)
        .property("timestamp", &ZMRPrizeSearchDataSource::timestamp, &ZMRPrizeSearchDataSource::setTimestamp)
        .readonlyProperty("nowTimestamp", &ZMRPrizeSearchDataSource::nowTimestamp)
        .commit();
    // The product a prize source asks for, kept with its query values.
    pf::ClassExtension<ZMRPrizeSearchDataSource>()
        .property("productId", +[](const ZMRPrizeSearchDataSource& s) -> pf::Value { return s.queryValue("productId"); },
                  +[](ZMRPrizeSearchDataSource& s, const pf::Value& v) {
                      if (v.isNilOrNull())
                          s.queryValues()->remove("productId");
                      else
                          s.queryValues()->set("productId", v.isString() ? v : pf::Value(v.description()));
                  })
        .commit();
    pf::ClassBuilder<ZMRPrizeDetailsController>("ZMRPrizeDetailsController")
        .superclass<KRDocumentController>()
        .property("dataSource", &ZMRPrizeDetailsController::dataSource, &ZMRPrizeDetailsController::setDataSource)
        .property("statusView", &ZMRPrizeDetailsController::statusView, &ZMRPrizeDetailsController::setStatusView)
        .commit();
    KRDOMViewClass::registerClass("KRButton", [](const pf::Rect& frame) { return std::make_shared<KRButton>(frame); });
    pf::ClassBuilder<ZMRPrizeSearchController>("ZMRPrizeSearchController")
        .superclass<KRContainerDataController>()
        .property("dataSource", &KRDataController::dataSource, &KRDataController::setDataSource)
        .weakProperty("delegate", &KRDataController::delegate, &KRDataController::setDelegate)
        .commit();
    pf::ClassBuilder<ZMRPrizeListViewController>("ZMRPrizeListViewController")
        .superclass<ZMRViewController>()
        .property("dataController", &ZMRPrizeListViewController::dataController,
                  &ZMRPrizeListViewController::setDataController)
        .commit();
    pf::ClassBuilder<ZMRPrizeViewController>("ZMRPrizeViewController")
        .superclass<ZMRViewController>()
        .property("detailsController", &ZMRPrizeViewController::detailsController,
                  &ZMRPrizeViewController::setDetailsController)
        .commit();
    pf::ClassBuilder<ZMRPrizeDetailsViewController>("ZMRPrizeDetailsViewController")
        .superclass<ZMRPrizeViewController>()
        .commit();
    pf::ClassBuilder<ZMRPrizeBuyViewController>("ZMRPrizeBuyViewController")
        .superclass<ZMRViewController>()
        .readonlyProperty("dataItem", &ZMRPrizeBuyViewController::dataItem)
        .property("contentView", &ZMRPrizeBuyViewController::contentView, &ZMRPrizeBuyViewController::setContentView)
        .property("addressField", &ZMRPrizeBuyViewController::addressField, &ZMRPrizeBuyViewController::setAddressField)
        .property("postCodeField", &ZMRPrizeBuyViewController::postCodeField,
                  &ZMRPrizeBuyViewController::setPostCodeField)
        .property("nameField", &ZMRPrizeBuyViewController::nameField, &ZMRPrizeBuyViewController::setNameField)
        .property("phoneField", &ZMRPrizeBuyViewController::phoneField, &ZMRPrizeBuyViewController::setPhoneField)
        .property("otherField", &ZMRPrizeBuyViewController::otherField, &ZMRPrizeBuyViewController::setOtherField)
        .property("statusView", &ZMRPrizeBuyViewController::statusView, &ZMRPrizeBuyViewController::setStatusView)
        .action("doSubmitAction", &ZMRPrizeBuyViewController::doSubmitAction)
        .action("doCancelInputAction", &ZMRPrizeBuyViewController::doCancelInputAction)
        .commit();
}
