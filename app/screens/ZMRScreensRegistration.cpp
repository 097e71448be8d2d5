#include "app/screens/ZMRScreensRegistration.h"

#include "app/screens/ZMRBooksController.h"
#include "app/screens/ZMRBooksDataSource.h"
#include "app/screens/ZMRBrowserViewController.h"
#include "app/screens/ZMRButton.h"
#include "app/screens/ZMRCommentListDataSource.h"
#include "app/screens/ZMRConcernDataSource.h"
#include "app/screens/ZMRFeedDataSource.h"
#include "app/screens/ZMRImagePickerPromptViewController.h"
#include "app/screens/ZMRImageView.h"
#include "app/screens/ZMRImageViewController.h"
#include "app/screens/ZMRKeyboardView.h"
#include "app/screens/ZMRLoadingView.h"
#include "app/screens/ZMRLoginViewController.h"
#include "app/screens/ZMRMenuViewController.h"
#include "app/screens/ZMRPageControl.h"
#include "app/screens/ZMRPageDataSource.h"
#include "app/screens/ZMRPrizeDetailsController.h"
#include "app/screens/ZMRPrizeSearchDataSource.h"
#include "app/screens/ZMRProcessView.h"
#include "app/screens/ZMRPublishItemView.h"
#include "app/screens/ZMRPublishView.h"
#include "app/screens/ZMRRImageButton.h"
#include "app/screens/ZMRRegisterViewController.h"
#include "app/screens/ZMRSearchNearUserDataSource.h"
#include "app/screens/ZMRTagController.h"
#include "app/screens/ZMRTagItemControl.h"
#include "app/screens/ZMRViewController.h"
#include "app/screens/ZMRWindow.h"
#include "app/services/ZMRServicesRegistration.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/data/KRDataRegistration.h"
#include "framework/dom/KRDOMViewClass.h"
#include "framework/ui/KRImageView.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/Button.h"
#include "platform/controls/Control.h"
#include "platform/controls/Label.h"
#include "platform/controls/NavigationItem.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/ClassExtension.h"
#include "platform/graphics/GraphicsPropertyTraits.h"
#include "platform/ui/Screen.h"

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

// The screen base and its publish fly-out menu.
void registerScreenBase()
{
    pf::ClassBuilder<ZMRPublishItemView>("ZMRPublishItemView")
        .superclass<pf::View>()
        .property("size", &ZMRPublishItemView::size, &ZMRPublishItemView::setSize)
        .property("fromBottom", &ZMRPublishItemView::fromBottom, &ZMRPublishItemView::setFromBottom)
        .property("fromRight", &ZMRPublishItemView::fromRight, &ZMRPublishItemView::setFromRight)
        .property("fromAngle", &ZMRPublishItemView::fromAngle, &ZMRPublishItemView::setFromAngle)
        .property("toBottom", &ZMRPublishItemView::toBottom, &ZMRPublishItemView::setToBottom)
        .property("toRight", &ZMRPublishItemView::toRight, &ZMRPublishItemView::setToRight)
        .property("toAngle", &ZMRPublishItemView::toAngle, &ZMRPublishItemView::setToAngle)
        .commit();
    pf::ClassBuilder<ZMRPublishView>("ZMRPublishView")
        .superclass<pf::View>()
        .readonlyProperty("animating", &ZMRPublishView::isAnimating)
        .property("itemViews", &ZMRPublishView::itemViews, &ZMRPublishView::setItemViews)
        .property("actionControl", &ZMRPublishView::actionControl, &ZMRPublishView::setActionControl)
        .action("doChangeStateAction", &ZMRPublishView::doChangeStateAction)
        .commit();
    pf::ClassBuilder<ZMRViewController>("ZMRViewController")
        .superclass<KRViewController>()
        .property("publishView", &ZMRViewController::publishView, &ZMRViewController::setPublishView)
        .property("tabBar", &ZMRViewController::tabBar, &ZMRViewController::setTabBar)
        .property("selectedTabItem", &ZMRViewController::selectedTabItem, &ZMRViewController::setSelectedTabItem)
        .commit();
}

// The sign-up form and the side menu.
void registerAccountScreens()
{
    pf::ClassBuilder<ZMRRegisterViewController>("ZMRRegisterViewController")
        .superclass<ZMRViewController>()
        .property("accountField", &ZMRRegisterViewController::accountField, &ZMRRegisterViewController::setAccountField)
        .property("passwordField", &ZMRRegisterViewController::passwordField, &ZMRRegisterViewController::setPasswordField)
        .property("nickField", &ZMRRegisterViewController::nickField, &ZMRRegisterViewController::setNickField)
        .property("statusView", &ZMRRegisterViewController::statusView, &ZMRRegisterViewController::setStatusView)
        .action("doCommitAction", &ZMRRegisterViewController::doCommitAction)
        .action("doCancelInputAction", &ZMRRegisterViewController::doCancelInputAction)
        .commit();
    pf::ClassBuilder<ZMRMenuViewController>("ZMRMenuViewController")
        .superclass<ZMRViewController>()
        .property("imageView", &ZMRMenuViewController::imageView, &ZMRMenuViewController::setImageView)
        .action("logoutAction", &ZMRMenuViewController::logoutAction)
        .commit();
}

// The money keypad.
void registerKeypad()
{
    pf::ClassBuilder<ZMRKeyButton>("ZMRKeyButton")
        .superclass<pf::Button>()
        .property("inputKey", &ZMRKeyButton::inputKey, &ZMRKeyButton::setInputKey)
        .commit();
    pf::ClassBuilder<ZMRKeyboardView>("ZMRKeyboardView")
        .superclass<pf::View>()
        .weakProperty("keyInput", &ZMRKeyboardView::keyInput, &ZMRKeyboardView::setKeyInput)
        .weakProperty("delegate", &ZMRKeyboardView::delegate, &ZMRKeyboardView::setDelegate)
        .action("doKeyAction", &ZMRKeyboardView::doKeyAction)
        .commit();
}

// Views that markup documents name in "viewClass" as well.
void registerDocumentViews()
{
    pf::ClassBuilder<ZMRProcessView>("ZMRProcessView")
        .superclass<pf::View>()
        .property("process", &ZMRProcessView::process, &ZMRProcessView::setProcess)
        .property("title", &ZMRProcessView::title, &ZMRProcessView::setTitle)
        .commit();
    KRDOMViewClass::registerClass("ZMRProcessView", [](const pf::Rect& frame) { return std::make_shared<ZMRProcessView>(frame); });
    pf::ClassBuilder<ZMRButton>("ZMRButton").superclass<KRButton>().commit();
    KRDOMViewClass::registerClass("ZMRButton", [](const pf::Rect& frame) { return std::make_shared<ZMRButton>(frame); });
}

// The main window and the small controls interface files name.
void registerSmallViews()
{
    // Like any window from an interface file, it covers the screen until its frame is set.
    pf::ClassBuilder<ZMRWindow>("ZMRWindow")
        .superclass<pf::Window>()
        .factory([] { return pf::ObjectRef(std::make_shared<ZMRWindow>(pf::Screen::main().bounds())); })
        .commit();
    pf::ClassBuilder<ZMRPageControl>("ZMRPageControl").superclass<pf::PageControl>().commit();
    pf::ClassBuilder<ZMRTagItemControl>("ZMRTagItemControl")
        .superclass<pf::Button>()
        .property("dataObject", &ZMRTagItemControl::dataObject, &ZMRTagItemControl::setDataObject)
        .commit();
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

// The sign-in screen, the browser, the choice prompt and the picture viewer.
void registerSignInBrowserPromptAndViewer()
{
    pf::ClassBuilder<ZMRLoginViewController>("ZMRLoginViewController")
        .superclass<ZMRViewController>()
        .property("accountField", &ZMRLoginViewController::accountField, &ZMRLoginViewController::setAccountField)
        .property("passwordField", &ZMRLoginViewController::passwordField, &ZMRLoginViewController::setPasswordField)
        .property("statusView", &ZMRLoginViewController::statusView, &ZMRLoginViewController::setStatusView)
        .action("loginAction", &ZMRLoginViewController::loginAction)
        .action("voxlyLoginAction", &ZMRLoginViewController::voxlyLoginAction)
        .action("zzLoginAction", &ZMRLoginViewController::zzLoginAction)
        .commit();
    pf::ClassBuilder<ZMRBrowserViewController>("ZMRBrowserViewController")
        .superclass<ZMRViewController>()
        .property("webView", &ZMRBrowserViewController::webView, &ZMRBrowserViewController::setWebView)
        .property("toolItem", &ZMRBrowserViewController::toolItem, &ZMRBrowserViewController::setToolItem)
        .commit();
    pf::ClassBuilder<ZMRImagePickerPromptViewController>("ZMRImagePickerPromptViewController")
        .superclass<ZMRViewController>()
        .property("contentView", &ZMRImagePickerPromptViewController::contentView,
                  &ZMRImagePickerPromptViewController::setContentView)
        .action("doKeyAction", &ZMRImagePickerPromptViewController::doKeyAction)
        .commit();
    pf::ClassBuilder<ZMRImageViewController>("ZMRImageViewController")
        .superclass<ZMRViewController>()
        .property("contentView", &ZMRImageViewController::contentView, &ZMRImageViewController::setContentView)
        .property("autoHiddenViews", &ZMRImageViewController::autoHiddenViews,
                  &ZMRImageViewController::setAutoHiddenViews)
        .readonlyProperty("images", &ZMRImageViewController::images)
        .readonlyProperty("pageIndex", &ZMRImageViewController::pageIndex)
        .action("doImageAction", &ZMRImageViewController::doImageAction)
        .commit();
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
    withListQuery(feed.superclass<KRStatusDataSource>())
        .property("classify", &ZMRFeedDataSource::classify, &ZMRFeedDataSource::setClassify)
        .property("mutual", &ZMRFeedDataSource::isMutual, &ZMRFeedDataSource::setMutual)
        .commit();
    registerScreenBase();
    registerAccountScreens();
    registerKeypad();
    registerDocumentViews();
    registerSmallViews();
    // The people, comment and prize lists.
    pf::ClassBuilder<ZMRCommentListDataSource>("ZMRCommentListDataSource").superclass<ZMRPageDataSource>().commit();
    pf::ClassBuilder<ZMRConcernDataSourceSection>("ZMRConcernDataSourceSection")
        .property("py", &ZMRConcernDataSourceSection::py, &ZMRConcernDataSourceSection::setPy)
        .readonlyProperty("dataObjects", &ZMRConcernDataSourceSection::dataObjects)
        .commit();
    pf::ClassBuilder<ZMRConcernDataSource>("ZMRConcernDataSource")
        .superclass<KRPageDataSource>()
        .property("mutual", &ZMRConcernDataSource::isMutual, &ZMRConcernDataSource::setMutual)
        .commit();
    pf::ClassBuilder<ZMRSearchNearUserDataSource>("ZMRSearchNearUserDataSource").superclass<ZMRPageDataSource>().commit();
    pf::ClassBuilder<ZMRPrizeSearchDataSource>("ZMRPrizeSearchDataSource")
        .superclass<ZMRPageDataSource>()
        .property("timestampKey", &ZMRPrizeSearchDataSource::timestampKey, &ZMRPrizeSearchDataSource::setTimestampKey)
        .property("timestamp", &ZMRPrizeSearchDataSource::timestamp, &ZMRPrizeSearchDataSource::setTimestamp)
        .readonlyProperty("nowTimestamp", &ZMRPrizeSearchDataSource::nowTimestamp)
        .commit();
    pf::ClassBuilder<ZMRTagController>("ZMRTagController")
        .superclass<KRController>()
        .property("contentView", &ZMRTagController::contentView, &ZMRTagController::setContentView)
        .commit();
    registerSmallWidgets();
    registerMonthLedger();
    registerPrizeDetails();
    registerSignInBrowserPromptAndViewer();
}
