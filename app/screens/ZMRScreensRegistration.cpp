#include "app/screens/ZMRScreensRegistration.h"

#include "app/screens/ZMRButton.h"
#include "app/screens/ZMRFeedController.h"
#include "app/screens/ZMRFeedDataSource.h"
#include "app/screens/ZMRFeedDocumentController.h"
#include "app/screens/ZMRKeyboardView.h"
#include "app/screens/ZMRNearFeedDataSource.h"
#include "app/screens/ZMRPageControl.h"
#include "app/screens/ZMRPageDataSource.h"
#include "app/screens/ZMRProcessView.h"
#include "app/screens/ZMRPublishItemView.h"
#include "app/screens/ZMRPublishView.h"
#include "app/screens/ZMRTagItemControl.h"
#include "app/screens/ZMRUserFeedDataSource.h"
#include "app/screens/ZMRViewController.h"
#include "app/screens/ZMRWindow.h"
#include "app/services/ZMRServicesRegistration.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/data/KRDataRegistration.h"
#include "framework/data/KRDataSource.h"
#include "framework/dom/KRDOMViewClass.h"
#include "platform/controls/Control.h"
#include "platform/foundation/ClassBuilder.h"
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
    registerKeypad();
    registerDocumentViews();
    registerSmallViews();
}
