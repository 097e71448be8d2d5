#include "app/screens/ZMRScreensRegistration.h"

#include "app/screens/ZMRBooksController.h"
#include "app/screens/ZMRBooksDataSource.h"
#include "app/screens/ZMRFeedDataSource.h"
#include "app/screens/ZMRImageView.h"
#include "app/screens/ZMRLoadingView.h"
#include "app/screens/ZMRPageDataSource.h"
#include "app/screens/ZMRPrizeDetailsController.h"
#include "app/screens/ZMRRImageButton.h"
#include "app/services/ZMRServicesRegistration.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/data/KRDataRegistration.h"
#include "framework/dom/KRDOMViewClass.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/Button.h"
#include "platform/controls/Label.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/ClassExtension.h"
#include "platform/graphics/GraphicsPropertyTraits.h"

namespace {

// The list query's accessors as members of a source class.
template <class T>
pf::ClassBuilder<T>& withListQuery(pf::ClassBuilder<T>& builder)
{
    using TaskTypeGetter = const std::optional<std::string>& (T::*)() const;
    using TaskTypeSetter = void (T::*)(std::optional<std::string>);
    using AllowGetter = bool (T::*)() const;
    using AllowSetter = void (T::*)(bool);
    return builder.adopts(proto::IZMRDownlinkTask())
        .property("taskType", static_cast<TaskTypeGetter>(&T::taskType), static_cast<TaskTypeSetter>(&T::setTaskType))
        .property("allowCached", static_cast<AllowGetter>(&T::isAllowCached), static_cast<AllowSetter>(&T::setAllowCached));
}

// The spinner, the image-right button and the element-bound image view,
// which markup names as a view class too.
void registerSmallWidgets()
{
    pf::ClassBuilder<ZMRLoadingView>("ZMRLoadingView").superclass<pf::ImageView>().commit();
    pf::ClassBuilder<ZMRRImageButton>("ZMRRImageButton")
        .superclass<KRButton>()
        .property("image", &ZMRRImageButton::imageValue, &ZMRRImageButton::setImageValue)
        .commit();
    pf::ClassBuilder<ZMRImageView>("ZMRImageView")
        .superclass<KRImageView>()
        .property("loadingView", &ZMRImageView::loadingView, &ZMRImageView::setLoadingView)
        .commit();
    KRDOMViewClass::registerClass("ZMRImageView", [](const pf::Rect& frame) { return std::make_shared<ZMRImageView>(frame); });
}

// The month ledger's source and table controller.
void registerMonthLedger()
{
    pf::ClassBuilder<ZMRBooksDataSource>("ZMRBooksDataSource")
        .superclass<KRDataSource>()
        .property("expendMoney", &ZMRBooksDataSource::expendMoney, &ZMRBooksDataSource::setExpendMoney)
        .commit();
    // Read, the date is always there (the current moment once unset); nil unsets it.
    pf::ClassExtension<ZMRBooksDataSource>()
        .property("date", +[](const ZMRBooksDataSource& s) -> std::optional<pf::Date> { return s.date(); },
                  +[](ZMRBooksDataSource& s, const std::optional<pf::Date>& d) { s.setDate(d); })
        .commit();
    pf::ClassBuilder<ZMRBooksController>("ZMRBooksController")
        .superclass<KRTableDataController>()
        .property("dateLabel", &ZMRBooksController::dateLabel, &ZMRBooksController::setDateLabel)
        .property("prevButton", &ZMRBooksController::prevButton, &ZMRBooksController::setPrevButton)
        .property("nextButton", &ZMRBooksController::nextButton, &ZMRBooksController::setNextButton)
        .property("expendMoneyLabel", &ZMRBooksController::expendMoneyLabel, &ZMRBooksController::setExpendMoneyLabel)
        .action("doNextMonthAction", &ZMRBooksController::doNextMonthAction)
        .action("doPrevMonthAction", &ZMRBooksController::doPrevMonthAction)
        .commit();
}

// The prize details page; its status button is a markup view class.
void registerPrizeDetails()
{
    pf::ClassBuilder<ZMRPrizeDetailsController>("ZMRPrizeDetailsController")
        .superclass<KRDocumentController>()
        .property("dataSource", &ZMRPrizeDetailsController::dataSource, &ZMRPrizeDetailsController::setDataSource)
        .property("statusView", &ZMRPrizeDetailsController::statusView, &ZMRPrizeDetailsController::setStatusView)
        .commit();
    KRDOMViewClass::registerClass("KRButton", [](const pf::Rect& frame) { return std::make_shared<KRButton>(frame); });
}

}

void registerScreensClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerDataClasses();
    registerServicesClasses();
    pf::ClassBuilder<ZMRPageDataSource> page("ZMRPageDataSource");
    withListQuery(page.superclass<KRPageDataSource>()).commit();
    pf::ClassBuilder<ZMRFeedDataSource> feed("ZMRFeedDataSource");
    withListQuery(feed.superclass<KRStatusDataSource>()).commit();
    registerSmallWidgets();
    registerMonthLedger();
    registerPrizeDetails();
}
