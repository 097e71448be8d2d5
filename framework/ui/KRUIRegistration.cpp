#include "framework/ui/KRUIRegistration.h"

#include "framework/core/IKRImageTask.h"
#include "framework/core/KRCoreRegistration.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/ui/GIFView.h"
#include "framework/ui/KRActionControls.h"
#include "framework/ui/KRActionView.h"
#include "framework/ui/KRButtonTitleLabel.h"
#include "framework/ui/KRDataOutlet.h"
#include "framework/ui/KRDataOutletContainer.h"
#include "framework/ui/KRImageView.h"
#include "framework/ui/KRLayoutContainer.h"
#include "framework/ui/KRLayoutData.h"
#include "framework/ui/KRViewLayout.h"
#include "framework/ui/KRNavigationBar.h"
#include "framework/ui/KRToolbar.h"
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
}
