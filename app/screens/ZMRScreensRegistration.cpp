#include "app/screens/ZMRBooksController.h"
#include "app/screens/ZMRBooksDataSource.h"
#include "app/screens/ZMRBooksEditController.h"
#include "app/screens/ZMRBooksViewController.h"
#include "app/screens/ZMRBrowserViewController.h"
#include "app/screens/ZMRButton.h"
#include "app/screens/ZMRCenterViewController.h"
#include "app/screens/ZMRClassifyController.h"
#include "app/screens/ZMRClassifyItemControl.h"
#include "app/screens/ZMRCommentListController.h"
#include "app/screens/ZMRCommentListDataSource.h"
#include "app/screens/ZMRCommentViewController.h"
#include "app/screens/ZMRConcernController.h"
#include "app/screens/ZMRConcernDataSource.h"
#include "app/screens/ZMRFeedController.h"
#include "app/screens/ZMRFeedDataSource.h"
#include "app/screens/ZMRFeedDetailsViewController.h"
#include "app/screens/ZMRFeedDocumentController.h"
#include "app/screens/ZMRFeedImageView.h"
#include "app/screens/ZMRHomeViewController.h"
#include "app/screens/ZMRImagePickerPromptViewController.h"
#include "app/screens/ZMRImageView.h"
#include "app/screens/ZMRImageViewController.h"
#include "app/screens/ZMRInviteViewController.h"
#include "app/screens/ZMRKeyboardView.h"
#include "app/screens/ZMRLoadingView.h"
#include "app/screens/ZMRLoginViewController.h"
#include "app/screens/ZMRMenuViewController.h"
#include "app/screens/ZMRMessageViewController.h"
#include "app/screens/ZMRMoreViewController.h"
#include "app/screens/ZMRMyViewController.h"
#include "app/screens/ZMRNearFeedDataSource.h"
#include "app/screens/ZMRNickViewController.h"
#include "app/screens/ZMRPageControl.h"
#include "app/screens/ZMRPageDataSource.h"
#include "app/screens/ZMRPrizeBuyViewController.h"
#include "app/screens/ZMRPrizeDetailsController.h"
#include "app/screens/ZMRPrizeListViewController.h"
#include "app/screens/ZMRPrizeSearchController.h"
#include "app/screens/ZMRPrizeSearchDataSource.h"
#include "app/screens/ZMRPrizeViewController.h"
#include "app/screens/ZMRProcessView.h"
#include "app/screens/ZMRPublishBooksViewController.h"
#include "app/screens/ZMRPublishCheapViewController.h"
#include "app/screens/ZMRPublishCommentViewController.h"
#include "app/screens/ZMRPublishController.h"
#include "app/screens/ZMRPublishFeedViewController.h"
#include "app/screens/ZMRPublishItemView.h"
#include "app/screens/ZMRPublishView.h"
#include "app/screens/ZMRRImageButton.h"
#include "app/screens/ZMRRecommendFollowViewController.h"
#include "app/screens/ZMRRegisterViewController.h"
#include "app/screens/ZMRRelationViewController.h"
#include "app/screens/ZMRScreensRegistration.h"
#include "app/screens/ZMRSearchNearUserDataSource.h"
#include "app/screens/ZMRTagController.h"
#include "app/screens/ZMRTagItemControl.h"
#include "app/screens/ZMRUserDetailsController.h"
#include "app/screens/ZMRUserDetailsDataSource.h"
#include "app/screens/ZMRUserDetailsViewController.h"
#include "app/screens/ZMRUserFeedController.h"
#include "app/screens/ZMRUserFeedDataSource.h"
#include "app/screens/ZMRViewController.h"
#include "app/screens/ZMRWindow.h"
#include "app/services/ZMRServicesRegistration.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/data/KRDataRegistration.h"
#include "framework/data/KRDataSource.h"
#include "framework/data/KRTabPageDataController.h"
#include "framework/data/KRTableSource.h"
#include "framework/data/KRTableViewCell.h"
#include "framework/dom/KRDOMViewClass.h"
#include "framework/ui/KRImageView.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/Button.h"
#include "platform/controls/Control.h"
#include "platform/controls/Label.h"
#include "platform/controls/NavigationItem.h"
#include "platform/controls/SegmentedControl.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/ClassExtension.h"
#include "platform/graphics/GraphicsPropertyTraits.h"
#include "platform/ui/Screen.h"

namespace {

// The list query's accessors as members of a source class.
template <class T>
pf::ClassBuilder<T>& withListQuery(pf::ClassBuilder<T>& builder)
{
    // Members of the query itself: a call through a pointer to a member of
    // a base at an offset must be typed with that base, not with T.
    return builder.adopts(proto::IZMRDownlinkTask())
        .property("taskType", &ZMRListQuery::taskType, &ZMRListQuery::setTaskType)
        .property("allowCached", &ZMRListQuery::isAllowCached, &ZMRListQuery::setAllowCached);
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

// The nickname screen and the own profile screen.
void registerNickAndProfileScreens()
{
    pf::ClassBuilder<ZMRNickViewController>("ZMRNickViewController")
        .superclass<ZMRViewController>()
        .property("statusView", &ZMRNickViewController::statusView, &ZMRNickViewController::setStatusView)
        .property("nickField", &ZMRNickViewController::nickField, &ZMRNickViewController::setNickField)
        .action("doSubmitAction", &ZMRNickViewController::doSubmitAction)
        .action("doLogoutAction", &ZMRNickViewController::doLogoutAction)
        .commit();
    pf::ClassBuilder<ZMRMyViewController>("ZMRMyViewController")
        .superclass<ZMRViewController>()
        .property("imageView", &ZMRMyViewController::imageView, &ZMRMyViewController::setImageView)
        .property("nickTextField", &ZMRMyViewController::nickTextField, &ZMRMyViewController::setNickTextField)
        .property("statusView", &ZMRMyViewController::statusView, &ZMRMyViewController::setStatusView)
        .action("doLogoAction", &ZMRMyViewController::doLogoAction)
        .action("doSaveAction", &ZMRMyViewController::doSaveAction)
        .commit();
}

// The prize grid and list, the prize screens, the exchange form and the
// follow list's controller (its source is registered with the lists).
void registerPrizeScreensAndFollowList()
{
    pf::ClassBuilder<ZMRConcernController>("ZMRConcernController").superclass<KRDocumentDataController>().commit();
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

// The publish form, its two screens and the drawer's centre pane.
void registerPublishScreens()
{
    using Form = ZMRPublishController;
    pf::ClassBuilder<Form>("ZMRPublishController")
        .superclass<KRController>()
        .weakProperty("delegate", &Form::delegate, &Form::setDelegate)
        .property("contentView", &Form::contentView, &Form::setContentView)
        .property("statusView", &Form::statusView, &Form::setStatusView)
        .property("keyboardController", &Form::keyboardController, &Form::setKeyboardController)
        .property("bodyTextView", &Form::bodyTextView, &Form::setBodyTextView)
        .property("imageViews", &Form::imageViews, &Form::setImageViews)
        .property("classifyController", &Form::classifyController, &Form::setClassifyController)
        .property("payMoneyField", &Form::payMoneyField, &Form::setPayMoneyField)
        .property("expendMoneyField", &Form::expendMoneyField, &Form::setExpendMoneyField)
        .property("keyboardView", &Form::keyboardView, &Form::setKeyboardView)
        .property("tagController", &Form::tagController, &Form::setTagController)
        .property("voxlyButton", &Form::voxlyButton, &Form::setVoxlyButton)
        .property("zzButton", &Form::zzButton, &Form::setZzButton)
        .property("natappButton", &Form::natappButton, &Form::setNatappButton)
        .action("imageAction", &Form::imageAction)
        .action("publishAction", &Form::publishAction)
        .action("doVoxlyAction", &Form::doVoxlyAction)
        .action("doZZAction", &Form::doZZAction)
        .action("doNatterAction", &Form::doNatterAction)
        .commit();
    pf::ClassBuilder<ZMRPublishFeedViewController>("ZMRPublishFeedViewController").superclass<ZMRViewController>().commit();
    pf::ClassBuilder<ZMRPublishCheapViewController>("ZMRPublishCheapViewController").superclass<ZMRViewController>().commit();
    pf::ClassBuilder<ZMRCenterViewController>("ZMRCenterViewController").superclass<KRContentViewController>().commit();
}

// The category chooser and its buttons.
void registerCategoryChooser()
{
    pf::ClassBuilder<ZMRClassifyItemControl>("ZMRClassifyItemControl")
        .superclass<pf::Button>()
        .property("dataObject", &ZMRClassifyItemControl::dataObject, &ZMRClassifyItemControl::setDataObject)
        .commit();
    pf::ClassBuilder<ZMRClassifyController>("ZMRClassifyController")
        .superclass<KRController>()
        .property("contentView", &ZMRClassifyController::contentView, &ZMRClassifyController::setContentView)
        .property("pageControl", &ZMRClassifyController::pageControl, &ZMRClassifyController::setPageControl)
        .property("itemSize", &ZMRClassifyController::itemSize, &ZMRClassifyController::setItemSize)
        .property("padding", &ZMRClassifyController::padding, &ZMRClassifyController::setPadding)
        .property("itemPadding", &ZMRClassifyController::itemPadding, &ZMRClassifyController::setItemPadding)
        .action("doPageChangedAction", &ZMRClassifyController::doPageChangedAction)
        .commit();
}

// The ledger entry form and its screen.
void registerLedgerForm()
{
    pf::ClassBuilder<ZMRBooksEditController>("ZMRBooksEditController")
        .superclass<KRController>()
        .property("moneyField", &ZMRBooksEditController::moneyField, &ZMRBooksEditController::setMoneyField)
        .property("remarkField", &ZMRBooksEditController::remarkField, &ZMRBooksEditController::setRemarkField)
        .property("keyboardView", &ZMRBooksEditController::keyboardView, &ZMRBooksEditController::setKeyboardView)
        .property("classifyController", &ZMRBooksEditController::classifyController,
                  &ZMRBooksEditController::setClassifyController)
        .property("keyboardController", &ZMRBooksEditController::keyboardController,
                  &ZMRBooksEditController::setKeyboardController)
        .property("contentView", &ZMRBooksEditController::contentView, &ZMRBooksEditController::setContentView)
        .property("statusView", &ZMRBooksEditController::statusView, &ZMRBooksEditController::setStatusView)
        .weakProperty("delegate", &ZMRBooksEditController::delegate, &ZMRBooksEditController::setDelegate)
        .action("doSubmitAction", &ZMRBooksEditController::doSubmitAction)
        .commit();
    pf::ClassBuilder<ZMRPublishBooksViewController>("ZMRPublishBooksViewController")
        .superclass<ZMRViewController>()
        .commit();
}

// The month ledger screen.
void registerLedgerScreen()
{
    pf::ClassBuilder<ZMRBooksViewController>("ZMRBooksViewController")
        .superclass<ZMRViewController>()
        .property("booksController", &ZMRBooksViewController::booksController,
                  &ZMRBooksViewController::setBooksController)
        .commit();
}

// The user details screen: the profile's source and document, the posts table.
void registerUserDetails()
{
    pf::ClassBuilder<ZMRUserDetailsDataSource>("ZMRUserDetailsDataSource")
        .superclass<ZMRPageDataSource>()
        .property("uid", &ZMRUserDetailsDataSource::uid, &ZMRUserDetailsDataSource::setUid)
        .commit();
    pf::ClassBuilder<ZMRUserDetailsController>("ZMRUserDetailsController")
        .superclass<KRDocumentController>()
        .property("dataSource", &ZMRUserDetailsController::dataSource, &ZMRUserDetailsController::setDataSource)
        .property("fansCount", &ZMRUserDetailsController::fansCount, &ZMRUserDetailsController::setFansCount)
        .commit();
    pf::ClassBuilder<ZMRUserFeedController>("ZMRUserFeedController").superclass<KRDocumentDataController>().commit();
    pf::ClassBuilder<ZMRUserDetailsViewController>("ZMRUserDetailsViewController")
        .superclass<ZMRViewController>()
        .property("feedController", &ZMRUserDetailsViewController::feedController,
                  &ZMRUserDetailsViewController::setFeedController)
        .property("detailsController", &ZMRUserDetailsViewController::detailsController,
                  &ZMRUserDetailsViewController::setDetailsController)
        .property("detailsTableViewCell", &ZMRUserDetailsViewController::detailsTableViewCell,
                  &ZMRUserDetailsViewController::setDetailsTableViewCell)
        .property("followButton", &ZMRUserDetailsViewController::followButton,
                  &ZMRUserDetailsViewController::setFollowButton)
        .property("statusView", &ZMRUserDetailsViewController::statusView, &ZMRUserDetailsViewController::setStatusView)
        .action("onFollowAction", &ZMRUserDetailsViewController::onFollowAction)
        .commit();
}

// The feed details with their comment rows, the comment composer and the
// signed-in user's comment list.
void registerFeedDetailsAndComments()
{
    pf::ClassBuilder<ZMRCommentListController>("ZMRCommentListController").superclass<KRDocumentDataController>().commit();
    pf::ClassBuilder<ZMRFeedDetailsViewController>("ZMRFeedDetailsViewController")
        .superclass<ZMRViewController>()
        .property("commentListController", &ZMRFeedDetailsViewController::commentListController,
                  &ZMRFeedDetailsViewController::setCommentListController)
        .property("documentController", &ZMRFeedDetailsViewController::documentController,
                  &ZMRFeedDetailsViewController::setDocumentController)
        .property("detailsTableViewCell", &ZMRFeedDetailsViewController::detailsTableViewCell,
                  &ZMRFeedDetailsViewController::setDetailsTableViewCell)
        .action("doCommentAction", &ZMRFeedDetailsViewController::doCommentAction)
        .commit();
    pf::ClassBuilder<ZMRPublishCommentViewController>("ZMRPublishCommentViewController")
        .superclass<ZMRViewController>()
        .property("contentView", &ZMRPublishCommentViewController::contentView,
                  &ZMRPublishCommentViewController::setContentView)
        .property("titleLabel", &ZMRPublishCommentViewController::titleLabel,
                  &ZMRPublishCommentViewController::setTitleLabel)
        .property("sendButton", &ZMRPublishCommentViewController::sendButton,
                  &ZMRPublishCommentViewController::setSendButton)
        .property("textField", &ZMRPublishCommentViewController::textField,
                  &ZMRPublishCommentViewController::setTextField)
        .property("keyboardController", &ZMRPublishCommentViewController::keyboardController,
                  &ZMRPublishCommentViewController::setKeyboardController)
        .property("statusView", &ZMRPublishCommentViewController::statusView,
                  &ZMRPublishCommentViewController::setStatusView)
        .action("onSendAction", &ZMRPublishCommentViewController::onSendAction)
        .commit();
    pf::ClassBuilder<ZMRCommentViewController>("ZMRCommentViewController")
        .superclass<ZMRViewController>()
        .property("listController", &ZMRCommentViewController::listController,
                  &ZMRCommentViewController::setListController)
        .property("statusView", &ZMRCommentViewController::statusView, &ZMRCommentViewController::setStatusView)
        .commit();
}

// The home screen and the picture strip of its rows, which markup names as a
// view class.
void registerHomeScreen()
{
    pf::ClassBuilder<ZMRFeedImageView>("ZMRFeedImageView")
        .superclass<pf::Control>()
        .property("defaultSrc", &ZMRFeedImageView::defaultSrc, &ZMRFeedImageView::setDefaultSrc)
        .commit();
    KRDOMViewClass::registerClass("ZMRFeedImageView", [](const pf::Rect& frame) { return std::make_shared<ZMRFeedImageView>(frame); });
    pf::ClassBuilder<ZMRHomeViewController>("ZMRHomeViewController")
        .superclass<ZMRViewController>()
        .property("classify", &ZMRHomeViewController::classify, &ZMRHomeViewController::setClassify)
        .property("classifyView", &ZMRHomeViewController::classifyView, &ZMRHomeViewController::setClassifyView)
        .property("classifyContentView", &ZMRHomeViewController::classifyContentView,
                  &ZMRHomeViewController::setClassifyContentView)
        .property("classifyButton", &ZMRHomeViewController::classifyButton, &ZMRHomeViewController::setClassifyButton)
        .property("classifyEnabledViews", &ZMRHomeViewController::classifyEnabledViews,
                  &ZMRHomeViewController::setClassifyEnabledViews)
        .property("classifyTableSource", &ZMRHomeViewController::classifyTableSource,
                  &ZMRHomeViewController::setClassifyTableSource)
        .property("feedController", &ZMRHomeViewController::feedController, &ZMRHomeViewController::setFeedController)
        .readonlyProperty("classifyViewAnimating", &ZMRHomeViewController::isClassifyViewAnimating)
        .action("doClassifyChangeAction", &ZMRHomeViewController::doClassifyChangeAction)
        .action("doClassifyHiddenAction", &ZMRHomeViewController::doClassifyHiddenAction)
        .commit();
}

// The relation screen, the recommended people after sign-up and the three
// screens that are all interface file.
void registerRelationAndSimpleScreens()
{
    pf::ClassBuilder<ZMRRelationViewController>("ZMRRelationViewController")
        .superclass<ZMRViewController>()
        .property("tabController", &ZMRRelationViewController::tabController,
                  &ZMRRelationViewController::setTabController)
        .property("segmentedControl", &ZMRRelationViewController::segmentedControl,
                  &ZMRRelationViewController::setSegmentedControl)
        .action("segmentedValueChangedAction", &ZMRRelationViewController::segmentedValueChangedAction)
        .commit();
    pf::ClassBuilder<ZMRRecommendFollowViewController>("ZMRRecommendFollowViewController")
        .superclass<ZMRViewController>()
        .property("dataController", &ZMRRecommendFollowViewController::dataController,
                  &ZMRRecommendFollowViewController::setDataController)
        .commit();
    pf::ClassBuilder<ZMRInviteViewController>("ZMRInviteViewController").superclass<ZMRViewController>().commit();
    pf::ClassBuilder<ZMRMoreViewController>("ZMRMoreViewController").superclass<ZMRViewController>().commit();
    pf::ClassBuilder<ZMRMessageViewController>("ZMRMessageViewController").superclass<ZMRViewController>().commit();
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
    withListQuery(page.superclass<KRPageDataSource>()).takesAnyKey().commit();
    pf::ClassBuilder<ZMRFeedDataSource> feed("ZMRFeedDataSource");
    withListQuery(feed.superclass<KRStatusDataSource>())
        .property("classify", &ZMRFeedDataSource::classify, &ZMRFeedDataSource::setClassify)
        .property("mutual", &ZMRFeedDataSource::isMutual, &ZMRFeedDataSource::setMutual)
        .takesAnyKey()
        .commit();
    pf::ClassBuilder<ZMRUserFeedDataSource>("ZMRUserFeedDataSource")
        .superclass<ZMRPageDataSource>()
        .property("uid", &ZMRUserFeedDataSource::uid, &ZMRUserFeedDataSource::setUid)
        .commit();
    pf::ClassBuilder<ZMRNearFeedDataSource>("ZMRNearFeedDataSource").superclass<ZMRFeedDataSource>().commit();
    pf::ClassBuilder<ZMRFeedDocumentController>("ZMRFeedDocumentController")
        .superclass<KRDocumentController>()
        .property("topLikeDataSource", &ZMRFeedDocumentController::topLikeDataSource,
                  &ZMRFeedDocumentController::setTopLikeDataSource)
        .commit();
    pf::ClassBuilder<ZMRFeedController>("ZMRFeedController").superclass<KRDocumentDataController>().commit();
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
    registerNickAndProfileScreens();
    registerPrizeScreensAndFollowList();
    registerCategoryChooser();
    registerPublishScreens();
    registerLedgerForm();
    registerLedgerScreen();
    registerUserDetails();
    registerFeedDetailsAndComments();
    registerHomeScreen();
    registerRelationAndSimpleScreens();
}
