#include "framework/ui/KRUIRegistration.h"

#include "framework/core/IKRImageTask.h"
#include "framework/core/KRCoreRegistration.h"
#include "framework/core/KRStyleSheetProvider.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/dom/KRDOMView.h"
#include "framework/ui/GIFView.h"
#include "framework/ui/KRActionControls.h"
#include "framework/ui/KRActionView.h"
#include "framework/ui/KRAnimationView.h"
#include "framework/ui/KRButtonTitleLabel.h"
#include "framework/ui/KRDataOutlet.h"
#include "framework/ui/KRContentViewController.h"
#include "framework/ui/KRContainerClasses.h"
#include "framework/ui/KRDataOutletContainer.h"
#include "framework/ui/KRDocumentViewController.h"
#include "framework/ui/KRFormRegistration.h"
#include "framework/ui/KRImageView.h"
#include "framework/ui/KRLayoutContainer.h"
#include "framework/ui/KRLayoutData.h"
#include "framework/ui/KRViewLayout.h"
#include "framework/ui/KRNavigationBar.h"
#include "framework/ui/KRNavigationController.h"
#include "framework/ui/KRStatusView.h"
#include "framework/ui/KRStyle.h"
#include "framework/ui/KRStyleController.h"
#include "framework/ui/KRStyleOutlet.h"
#include "framework/ui/KRStyleOutletContainer.h"
#include "framework/ui/KRStyleSheet.h"
#include "framework/ui/KRToolbar.h"
#include "framework/ui/KRViewController.h"
#include "framework/ui/KRWebView.h"
#include "framework/ui/KRZoomView.h"
#include "framework/ui/UIViewDataOutlet.h"
#include "platform/controls/Button.h"
#include "platform/controls/Control.h"
#include "platform/controls/ControlsRegistration.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/ClassExtension.h"
#include "platform/graphics/GraphicsPropertyTraits.h"

namespace {

// The IKRAction keys every action carrier takes, added once the class is
// registered; the accessors live in a base the builder cannot name.
template <class T>
void addActionKeys()
{
    pf::ClassExtension<T>()
        .property("actionName", +[](const T& t) -> std::string { return t.actionName(); },
                  +[](T& t, const std::string& name) { t.setActionName(name); })
        .property("userInfo", +[](const T& t) -> pf::Value { return t.userInfo(); },
                  +[](T& t, const pf::Value& info) { t.setUserInfo(info); })
        .commit();
}

void registerActionCarriers()
{
    pf::ClassBuilder<KRButton>("KRButton").superclass<pf::Button>().adopts(proto::IKRAction()).commit();
    pf::ClassBuilder<KRBarButtonItem>("KRBarButtonItem")
        .superclass<pf::BarButtonItem>()
        .adopts(proto::IKRAction())
        .commit();
    pf::ClassBuilder<KRTabBarItem>("KRTabBarItem").superclass<pf::TabBarItem>().adopts(proto::IKRAction()).commit();
    pf::ClassBuilder<KRZoomView>("KRZoomView")
        .superclass<pf::Control>()
        .adopts(proto::IKRAction())
        .property("highlightedZoom", &KRZoomView::highlightedZoom, &KRZoomView::setHighlightedZoom)
        .commit();
    pf::ClassBuilder<KRActionView>("KRActionView")
        .superclass<pf::Control>()
        .adopts(proto::IKRAction())
        .property("maskColor", &KRActionView::maskColor, &KRActionView::setMaskColor)
        .commit();
    addActionKeys<KRButton>();
    addActionKeys<KRBarButtonItem>();
    addActionKeys<KRTabBarItem>();
    addActionKeys<KRZoomView>();
    addActionKeys<KRActionView>();
}

void registerDataOutlets()
{
    pf::ClassBuilder<KRDataOutlet>("KRDataOutlet")
        .property("keyPath", &KRDataOutlet::keyPath, &KRDataOutlet::setKeyPath)
        .property("stringKeyPath", &KRDataOutlet::stringKeyPath, &KRDataOutlet::setStringKeyPath)
        .property("stringFormat", &KRDataOutlet::stringFormat, &KRDataOutlet::setStringFormat)
        .property("booleanKeyPath", &KRDataOutlet::booleanKeyPath, &KRDataOutlet::setBooleanKeyPath)
        .property("enabledKeyPath", &KRDataOutlet::enabledKeyPath, &KRDataOutlet::setEnabledKeyPath)
        .property("disabledKeyPath", &KRDataOutlet::disabledKeyPath, &KRDataOutlet::setDisabledKeyPath)
        .property("value", &KRDataOutlet::value, &KRDataOutlet::setValue)
        .property("status", &KRDataOutlet::status, &KRDataOutlet::setStatus)
        .property("valueKeyPath", &KRDataOutlet::valueKeyPath, &KRDataOutlet::setValueKeyPath)
        .property("views", &KRDataOutlet::views, &KRDataOutlet::setViews)
        .property("view", &KRDataOutlet::view, &KRDataOutlet::setView)
        .commit();
    pf::ClassBuilder<KRDataOutletContainer>("KRDataOutletContainer")
        .property("dataOutlets", &KRDataOutletContainer::dataOutlets, &KRDataOutletContainer::setDataOutlets)
        .property("status", &KRDataOutletContainer::status, &KRDataOutletContainer::setStatus)
        .commit();
    pf::ClassBuilder<KRButtonTitleLabel>("KRButtonTitleLabel")
        .property("text", &KRButtonTitleLabel::text, &KRButtonTitleLabel::setText)
        .commit();
    pf::ClassExtension<pf::Button>().readonlyProperty("titleLabel", &KRButtonTitleLabel::of).commit();
    pf::ClassExtension<pf::View>().property("visable", &isVisable, &setVisable).commit();
    pf::ClassExtension<pf::Control>().property("disabled", &isDisabled, &setDisabled).commit();
}

void registerStatusViews()
{
    pf::ClassBuilder<KRAnimationView>("KRAnimationView").superclass<pf::View>().commit();
    pf::ClassBuilder<KRStatusViewItem>("KRStatusViewItem")
        .property("status", &KRStatusViewItem::status, &KRStatusViewItem::setStatus)
        .property("views", &KRStatusViewItem::views, &KRStatusViewItem::setViews)
        .commit();
    pf::ClassBuilder<KRStatusView>("KRStatusView")
        .superclass<pf::View>()
        .property("status", &KRStatusView::status, &KRStatusView::setStatus)
        .property("statusItems", &KRStatusView::statusItems, &KRStatusView::setStatusItems)
        .commit();
}

// Named styles: the entry and controller classes interface files name, and
// the provider through which the shell makes and reads its sheet.
class StyleSheetProvider final : public IKRStyleSheetProvider {
public:
    std::shared_ptr<KRStyleSheet> makeStyleSheet() override { return std::make_shared<KRStyleSheet>(); }
    std::shared_ptr<KRStyleController> styleController(KRStyleSheet& sheet) override
    {
        return sheet.styleController();
    }
    void setStyleController(KRStyleSheet& sheet, std::shared_ptr<KRStyleController> controller) override
    {
        sheet.setStyleController(std::move(controller));
    }
};

void registerStyles()
{
    pf::ClassBuilder<KRStyle>("KRStyle")
        .property("name", &KRStyle::name, &KRStyle::setName)
        .property("key", &KRStyle::key, &KRStyle::setKey)
        .property("value", &KRStyle::value, &KRStyle::setValue)
        .property("imageValue", &KRStyle::imageValue, &KRStyle::setImageValue)
        .property("fontValue", &KRStyle::fontValue, &KRStyle::setFontValue)
        .property("edgeValue", &KRStyle::edgeValue, &KRStyle::setEdgeValue)
        .commit();
    pf::ClassBuilder<KRStyleController>("KRStyleController")
        .superclass<pf::ViewController>()
        .property("styles", &KRStyleController::styles, &KRStyleController::setStyles)
        .commit();
    setStyleSheetProvider(std::make_shared<StyleSheetProvider>());
}

template <pf::ControlState S> pf::Color titleColorOf(const pf::Button& b) { return b.titleColorForState(S); }
template <pf::ControlState S> void setTitleColorOf(pf::Button& b, const pf::Color& c) { b.setTitleColor(c, S); }

// Style outlets, and the keys styles set that the platform views lack: a
// view's shadow and background pattern, a button's "textColor" names for its
// per-state title colours. The view's "backgroundImage" reads nil: the
// pattern is not kept as an image. Buttons keep their own per-state
// "backgroundImage", which hides the view's.
void registerStyleOutlets()
{
    pf::ClassBuilder<KRStyleOutlet>("KRStyleOutlet")
        .property("styleName", &KRStyleOutlet::styleName, &KRStyleOutlet::setStyleName)
        .property("views", &KRStyleOutlet::views, &KRStyleOutlet::setViews)
        .property("version", &KRStyleOutlet::version, &KRStyleOutlet::setVersion)
        .property("status", &KRStyleOutlet::status, &KRStyleOutlet::setStatus)
        .commit();
    pf::ClassBuilder<KRStyleOutletContainer>("KRStyleOutletContainer")
        .property("styles", &KRStyleOutletContainer::styles, &KRStyleOutletContainer::setStyles)
        .property("status", &KRStyleOutletContainer::status, &KRStyleOutletContainer::setStatus)
        .commit();
    pf::ClassExtension<pf::View>()
        .property("shadowColor", +[](const pf::View& v) { return v.shadowColor(); },
                  +[](pf::View& v, const pf::Color& c) { v.setShadowColor(c); })
        .property("shadowOpacity", +[](const pf::View& v) { return v.shadowOpacity(); },
                  +[](pf::View& v, double o) { v.setShadowOpacity(o); })
        .property("shadowOffset", +[](const pf::View& v) { return v.shadowOffset(); },
                  +[](pf::View& v, const pf::Size& s) { v.setShadowOffset(s); })
        .property("shadowRadius", +[](const pf::View& v) { return v.shadowRadius(); },
                  +[](pf::View& v, double r) { v.setShadowRadius(r); })
        .property("backgroundImage", +[](const pf::View&) { return pf::ImageRef(); },
                  +[](pf::View& v, const pf::ImageRef& i) { v.setBackgroundPattern(i); })
        .commit();
    pf::ClassExtension<pf::Button>()
        .property("textColor", &titleColorOf<pf::ControlStates::Normal>, &setTitleColorOf<pf::ControlStates::Normal>)
        .property("textColorHighlighted", &titleColorOf<pf::ControlStates::Highlighted>,
                  &setTitleColorOf<pf::ControlStates::Highlighted>)
        .property("textColorDisabled", &titleColorOf<pf::ControlStates::Disabled>,
                  &setTitleColorOf<pf::ControlStates::Disabled>)
        .property("textColorSelected", &titleColorOf<pf::ControlStates::Selected>,
                  &setTitleColorOf<pf::ControlStates::Selected>)
        .commit();
}

void registerLayoutClasses()
{
    pf::ClassBuilder<KRLayout>("KRLayout")
        .property("contentSize", &KRLayout::contentSize, &KRLayout::setContentSize)
        .commit();
    pf::ClassBuilder<KRViewLayout>("KRViewLayout")
        .superclass<KRLayout>()
        .property("view", &KRViewLayout::view, &KRViewLayout::setView)
        .property("layoutDatas", &KRViewLayout::layoutDatas, &KRViewLayout::setLayoutDatas)
        .property("size", &KRViewLayout::size, &KRViewLayout::setSize)
        .property("padding", &KRViewLayout::padding, &KRViewLayout::setPadding)
        .commit();
    pf::ClassBuilder<KRLayoutData>("KRLayoutData")
        .property("widthToFit", &KRLayoutData::widthToFit, &KRLayoutData::setWidthToFit)
        .property("heightToFit", &KRLayoutData::heightToFit, &KRLayoutData::setHeightToFit)
        .property("view", &KRLayoutData::view, &KRLayoutData::setView)
        .property("width", &KRLayoutData::width, &KRLayoutData::setWidth)
        .property("height", &KRLayoutData::height, &KRLayoutData::setHeight)
        .property("left", &KRLayoutData::left, &KRLayoutData::setLeft)
        .property("right", &KRLayoutData::right, &KRLayoutData::setRight)
        .property("top", &KRLayoutData::top, &KRLayoutData::setTop)
        .property("bottom", &KRLayoutData::bottom, &KRLayoutData::setBottom)
        .property("minWidth", &KRLayoutData::minWidth, &KRLayoutData::setMinWidth)
        .property("maxWidth", &KRLayoutData::maxWidth, &KRLayoutData::setMaxWidth)
        .property("minHeight", &KRLayoutData::minHeight, &KRLayoutData::setMinHeight)
        .property("maxHeight", &KRLayoutData::maxHeight, &KRLayoutData::setMaxHeight)
        .commit();
    pf::ClassBuilder<KRLayoutContainer>("KRLayoutContainer")
        .property("layouts", &KRLayoutContainer::layouts, &KRLayoutContainer::setLayouts)
        .property("rootLayout", &KRLayoutContainer::rootLayout, &KRLayoutContainer::setRootLayout)
        .commit();
}

// The outlets every URL-routed controller takes; the accessors live in a
// base the builder cannot name.
template <class T>
void addRoutedOutlets()
{
    pf::ClassExtension<T>()
        .property("styleContainer", +[](const T& t) -> pf::ObjectRef { return t.styleContainer(); },
                  +[](T& t, const pf::ObjectRef& c) { t.setStyleContainer(c); })
        .property("dataOutletContainer",
                  +[](const T& t) -> std::shared_ptr<KRDataOutletContainer> { return t.dataOutletContainer(); },
                  +[](T& t, const std::shared_ptr<KRDataOutletContainer>& c) { t.setDataOutletContainer(c); })
        .property("layoutContainer", +[](const T& t) -> std::shared_ptr<KRLayoutContainer> { return t.layoutContainer(); },
                  +[](T& t, const std::shared_ptr<KRLayoutContainer>& c) { t.setLayoutContainer(c); })
        .property("controllers", +[](const T& t) -> pf::ArrayRef { return t.controllers(); },
                  +[](T& t, const pf::ArrayRef& c) { t.setControllers(c); })
        .readonlyProperty("alias", +[](const T& t) -> std::string { return t.alias(); })
        .readonlyProperty("basePath", +[](const T& t) -> std::string { return t.basePath(); })
        .commit();
}

void registerRoutingClasses()
{
    pf::ClassBuilder<KRDOMView>("KRDOMView")
        .superclass<pf::View>()
        .weakProperty("delegate", &KRDOMView::delegateObject, &KRDOMView::setDelegateObject)
        .commit();
    pf::ClassBuilder<KRViewController>("KRViewController")
        .superclass<pf::ViewController>()
        .adopts(proto::IKRUIViewController())
        .action("doAction", &KRViewController::doAction)
        .commit();
    pf::ClassBuilder<KRNavigationController>("KRNavigationController")
        .superclass<pf::NavigationController>()
        .adopts(proto::IKRUIViewController())
        .commit();
    pf::ClassBuilder<KRContentViewController>("KRContentViewController")
        .superclass<KRViewController>()
        .property("contentView", &KRContentViewController::contentView, &KRContentViewController::setContentView)
        .commit();
    pf::ClassBuilder<KRDocumentViewController>("KRDocumentViewController")
        .superclass<KRViewController>()
        .property("documentView", &KRDocumentViewController::documentView, &KRDocumentViewController::setDocumentView)
        .property("html", &KRDocumentViewController::html, &KRDocumentViewController::setHtml)
        .commit();
    addRoutedOutlets<KRViewController>();
    addRoutedOutlets<KRNavigationController>();
    // Templates of screens read "{context.nick}".
    pf::ClassExtension<KRViewController>()
        .readonlyProperty("context", +[](const KRViewController& controller) -> pf::ObjectRef {
            return std::dynamic_pointer_cast<pf::Object>(controller.context());
        })
        .commit();
}

// The containers: tab bars, tab screens, the creator, heap and fold drawer.
void registerContainerClasses()
{
    pf::ClassBuilder<KRTabBar>("KRTabBar")
        .superclass<pf::TabBar>()
        .property("backgroundImage", &KRTabBar::backgroundImage, &KRTabBar::setBackgroundImage)
        .commit();
    pf::ClassBuilder<KRTabBarController>("KRTabBarController")
        .superclass<pf::TabBarController>()
        .adopts(proto::IKRUIViewController())
        .commit();
    pf::ClassBuilder<KRTabViewController>("KRTabViewController")
        .superclass<KRViewController>()
        .property("contentView", &KRTabViewController::contentView, &KRTabViewController::setContentView)
        .property("tabView", &KRTabViewController::tabView, &KRTabViewController::setTabView)
        .property("tabButtons", &KRTabViewController::tabButtons, &KRTabViewController::setTabButtons)
        .action("doTabAction", &KRTabViewController::doTabAction)
        .commit();
    pf::ClassBuilder<KRCreatorViewController>("KRCreatorViewController").superclass<pf::ViewController>().commit();
    pf::ClassExtension<KRCreatorViewController>()
        .property("viewController",
                  +[](const KRCreatorViewController& c) -> pf::ObjectRef {
                      return const_cast<KRCreatorViewController&>(c).loadedViewController();
                  },
                  +[](KRCreatorViewController& c, const pf::ObjectRef& made) { c.setViewController(made); })
        .commit();
    pf::ClassBuilder<KRHeapViewController>("KRHeapViewController").superclass<KRViewController>().commit();
    pf::ClassBuilder<KRFoldViewController>("KRFoldViewController").superclass<KRViewController>().commit();
    addRoutedOutlets<KRTabBarController>();
}

}

void registerUIClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerCoreClasses();
    pf::registerControlsClasses();

    pf::ClassBuilder<KRImageView>("KRImageView")
        .superclass<pf::ImageView>()
        .adopts(proto::IKRLocalImageTask())
        .property("src", &KRImageView::src, &KRImageView::setSrc)
        .property("defaultSrc", &KRImageView::defaultSrc, &KRImageView::setDefaultSrc)
        .property("imageMode", &KRImageView::imageMode, &KRImageView::setImageMode)
        .property("defaultImage", &KRImageView::defaultImage, &KRImageView::setDefaultImage)
        .property("loading", &KRImageView::isLoading, &KRImageView::setLoading)
        .property("loaded", &KRImageView::isLoaded, &KRImageView::setLoaded)
        .commit();
    registerActionCarriers();
    registerDataOutlets();
    registerStatusViews();
    registerStyles();
    registerStyleOutlets();
    registerLayoutClasses();
    pf::ClassBuilder<GIFView>("GIFView")
        .superclass<pf::View>()
        .property("gifURL", &GIFView::gifURL, &GIFView::setGifURL)
        .commit();
    pf::ClassBuilder<KRWebView>("KRWebView").superclass<pf::WebView>().commit();
    pf::ClassBuilder<KRToolbar>("KRToolbar")
        .superclass<pf::Toolbar>()
        .property("backgroundImage", &KRToolbar::backgroundImage, &KRToolbar::setBackgroundImage)
        .commit();
    pf::ClassBuilder<KRNavigationBar>("KRNavigationBar")
        .superclass<pf::NavigationBar>()
        .property("backgroundImage", &KRNavigationBar::backgroundImage, &KRNavigationBar::setBackgroundImage)
        .commit();
    registerRoutingClasses();
    registerContainerClasses();
    registerFormClasses();
}
