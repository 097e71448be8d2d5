#include "app/screens/ZMRScreensRegistration.h"

#include "app/screens/ZMRBrowserViewController.h"
#include "app/screens/ZMRButton.h"
#include "app/screens/ZMRFeedDataSource.h"
#include "app/screens/ZMRImagePickerPromptViewController.h"
#include "app/screens/ZMRImageViewController.h"
#include "app/screens/ZMRKeyboardView.h"
#include "app/screens/ZMRLoginViewController.h"
#include "app/screens/ZMRPageControl.h"
#include "app/screens/ZMRPageDataSource.h"
#include "app/screens/ZMRProcessView.h"
#include "app/screens/ZMRPublishItemView.h"
#include "app/screens/ZMRPublishView.h"
#include "app/screens/ZMRTagItemControl.h"
#include "app/screens/ZMRViewController.h"
#include "app/screens/ZMRWindow.h"
#include "app/services/ZMRServicesRegistration.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/data/KRDataRegistration.h"
#include "framework/dom/KRDOMViewClass.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/Control.h"
#include "platform/controls/NavigationItem.h"
#include "platform/foundation/ClassBuilder.h"
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
    registerKeypad();
    registerDocumentViews();
    registerSmallViews();
    registerSignInBrowserPromptAndViewer();
}
