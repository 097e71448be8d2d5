#include "framework/ui/KRUIRegistration.h"

#include "framework/core/IKRImageTask.h"
#include "framework/core/KRCoreRegistration.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/ui/GIFView.h"
#include "framework/ui/KRActionControls.h"
#include "framework/ui/KRActionView.h"
#include "framework/ui/KRImageView.h"
#include "framework/ui/KRNavigationBar.h"
#include "framework/ui/KRToolbar.h"
#include "framework/ui/KRWebView.h"
#include "framework/ui/KRZoomView.h"
#include "platform/controls/ControlsRegistration.h"
#include "platform/foundation/ClassBuilder.h"

namespace {

// The IKRAction keys every action carrier takes.
template <class T>
pf::ClassBuilder<T>& actionKeys(pf::ClassBuilder<T>& builder)
{
    // The accessors live in a base; the builder wants them as T's own.
    using NameGet = const std::string& (T::*)() const;
    using NameSet = void (T::*)(const std::string&);
    using InfoGet = const pf::Value& (T::*)() const;
    using InfoSet = void (T::*)(const pf::Value&);
    return builder.adopts(proto::IKRAction())
        .property("actionName", static_cast<NameGet>(&T::actionName), static_cast<NameSet>(&T::setActionName))
        .property("userInfo", static_cast<InfoGet>(&T::userInfo), static_cast<InfoSet>(&T::setUserInfo));
}

void registerActionCarriers()
{
    pf::ClassBuilder<KRButton> button("KRButton");
    actionKeys(button.superclass<pf::Button>()).commit();
    pf::ClassBuilder<KRBarButtonItem> barItem("KRBarButtonItem");
    actionKeys(barItem.superclass<pf::BarButtonItem>()).commit();
    pf::ClassBuilder<KRTabBarItem> tabItem("KRTabBarItem");
    actionKeys(tabItem.superclass<pf::TabBarItem>()).commit();
    pf::ClassBuilder<KRZoomView> zoom("KRZoomView");
    actionKeys(zoom.superclass<pf::Control>())
        .property("highlightedZoom", &KRZoomView::highlightedZoom, &KRZoomView::setHighlightedZoom)
        .commit();
    pf::ClassBuilder<KRActionView> action("KRActionView");
    actionKeys(action.superclass<pf::Control>()).commit();
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
        .property("loading", &KRImageView::isLoading, &KRImageView::setLoading)
        .property("loaded", &KRImageView::isLoaded, &KRImageView::setLoaded)
        .commit();
    registerActionCarriers();
    pf::ClassBuilder<GIFView>("GIFView")
        .superclass<pf::View>()
        .property("gifURL", &GIFView::gifURL, &GIFView::setGifURL)
        .commit();
    pf::ClassBuilder<KRWebView>("KRWebView").superclass<pf::WebView>().commit();
    pf::ClassBuilder<KRToolbar>("KRToolbar").superclass<pf::Toolbar>().commit();
    pf::ClassBuilder<KRNavigationBar>("KRNavigationBar").superclass<pf::NavigationBar>().commit();
}
