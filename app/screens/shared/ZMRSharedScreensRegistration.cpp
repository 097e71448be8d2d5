#include "app/screens/shared/ZMRButton.h"
#include "app/screens/shared/ZMRCenterViewController.h"
#include "app/screens/shared/ZMRImagePickerPromptViewController.h"
#include "app/screens/shared/ZMRImageView.h"
#include "app/screens/shared/ZMRKeyboardView.h"
#include "app/screens/shared/ZMRListQueryClass.h"
#include "app/screens/shared/ZMRLoadingView.h"
#include "app/screens/shared/ZMRPageControl.h"
#include "app/screens/shared/ZMRPageDataSource.h"
#include "app/screens/shared/ZMRProcessView.h"
#include "app/screens/shared/ZMRPublishItemView.h"
#include "app/screens/shared/ZMRPublishView.h"
#include "app/screens/shared/ZMRRImageButton.h"
#include "app/screens/shared/ZMRSharedScreensRegistration.h"
#include "app/screens/shared/ZMRViewController.h"
#include "app/screens/shared/ZMRWindow.h"
#include "framework/dom/KRDOMViewClass.h"
#include "framework/ui/KRImageView.h"
#include "platform/controls/Button.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/graphics/GraphicsPropertyTraits.h"
#include "platform/ui/Screen.h"

void registerSharedScreenClasses()
{
    pf::ClassBuilder<ZMRPageDataSource> page("ZMRPageDataSource");
    withListQuery(page.superclass<KRPageDataSource>()).takesAnyKey().commit();
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
    pf::ClassBuilder<ZMRProcessView>("ZMRProcessView")
        .superclass<pf::View>()
        .property("process", &ZMRProcessView::process, &ZMRProcessView::setProcess)
        .property("title", &ZMRProcessView::title, &ZMRProcessView::setTitle)
        .commit();
    KRDOMViewClass::registerClass("ZMRProcessView", [](const pf::Rect& frame) { return std::make_shared<ZMRProcessView>(frame); });
    pf::ClassBuilder<ZMRButton>("ZMRButton").superclass<KRButton>().commit();
    KRDOMViewClass::registerClass("ZMRButton", [](const pf::Rect& frame) { return std::make_shared<ZMRButton>(frame); });
    // Like any window from an interface file, it covers the screen until its frame is set.
    pf::ClassBuilder<ZMRWindow>("ZMRWindow")
        .superclass<pf::Window>()
        .factory([] { return pf::ObjectRef(std::make_shared<ZMRWindow>(pf::Screen::main().bounds())); })
        .commit();
    pf::ClassBuilder<ZMRPageControl>("ZMRPageControl").superclass<pf::PageControl>().commit();
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
    pf::ClassBuilder<ZMRImagePickerPromptViewController>("ZMRImagePickerPromptViewController")
        .superclass<ZMRViewController>()
        .property("contentView", &ZMRImagePickerPromptViewController::contentView,
                  &ZMRImagePickerPromptViewController::setContentView)
        .action("doKeyAction", &ZMRImagePickerPromptViewController::doKeyAction)
        .commit();
    pf::ClassBuilder<ZMRCenterViewController>("ZMRCenterViewController").superclass<KRContentViewController>().commit();
}
