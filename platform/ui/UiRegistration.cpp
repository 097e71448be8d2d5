#include "platform/ui/UiRegistration.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/graphics/GraphicsPropertyTraits.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

namespace pf {

void registerUiClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerFoundationClasses();

    ClassBuilder<View>("View")
        .property("frame", &View::frame, &View::setFrame)
        .property("bounds", &View::bounds, &View::setBounds)
        .property("center", &View::center, &View::setCenter)
        .property("alpha", &View::alpha, &View::setAlpha)
        .property("hidden", &View::isHidden, &View::setHidden)
        .property("backgroundColor", &View::backgroundColor, &View::setBackgroundColor)
        .property("clipsToBounds", &View::clipsToBounds, &View::setClipsToBounds)
        .property("cornerRadius", &View::cornerRadius, &View::setCornerRadius)
        .property("borderWidth", &View::borderWidth, &View::setBorderWidth)
        .property("borderColor", &View::borderColor, &View::setBorderColor)
        .property("userInteractionEnabled", &View::isUserInteractionEnabled, &View::setUserInteractionEnabled)
        .property("tag", &View::tag, &View::setTag)
        .property("autoresizesSubviews", &View::autoresizesSubviews, &View::setAutoresizesSubviews)
        .enumProperty("autoresizingMask", &View::autoresizingMask, &View::setAutoresizingMask,
                      {{"none", Autoresizing::None},
                       {"flexibleLeftMargin", Autoresizing::FlexibleLeftMargin},
                       {"flexibleWidth", Autoresizing::FlexibleWidth},
                       {"flexibleRightMargin", Autoresizing::FlexibleRightMargin},
                       {"flexibleTopMargin", Autoresizing::FlexibleTopMargin},
                       {"flexibleHeight", Autoresizing::FlexibleHeight},
                       {"flexibleBottomMargin", Autoresizing::FlexibleBottomMargin}})
        .property("contents", &View::contents, &View::setContents)
        .property("contentsRect", &View::contentsRect, &View::setContentsRect)
        .enumProperty("contentsGravity", &View::contentsGravity, &View::setContentsGravity,
                      {{"resize", int(ImageGravity::Resize)},
                       {"resizeAspect", int(ImageGravity::ResizeAspect)},
                       {"resizeAspectFill", int(ImageGravity::ResizeAspectFill)},
                       {"center", int(ImageGravity::Center)},
                       {"top", int(ImageGravity::Top)},
                       {"bottom", int(ImageGravity::Bottom)},
                       {"left", int(ImageGravity::Left)},
                       {"right", int(ImageGravity::Right)},
                       {"topLeft", int(ImageGravity::TopLeft)},
                       {"topRight", int(ImageGravity::TopRight)},
                       {"bottomLeft", int(ImageGravity::BottomLeft)},
                       {"bottomRight", int(ImageGravity::BottomRight)}})
        .property("layerMaskColor", &View::layerMaskColor, &View::setLayerMaskColor)
        .commit();
    // A window from an interface file covers the screen until its frame is set.
    ClassBuilder<Window>("Window").superclass<View>().factory([] { return ObjectRef(Window::create()); }).commit();
    ClassBuilder<ViewController>("ViewController")
        .property("view", &ViewController::viewIfLoaded, &ViewController::setView)
        .property("title", &ViewController::title, &ViewController::setTitle)
        .property("navigationItem", &ViewController::navigationItem, &ViewController::setNavigationItem)
        .property("tabBarItem", &ViewController::tabBarItem, &ViewController::setTabBarItem)
        .property("wantsFullScreenLayout", &ViewController::wantsFullScreenLayout,
                  &ViewController::setWantsFullScreenLayout)
        .property("hidesBottomBarWhenPushed", &ViewController::hidesBottomBarWhenPushed,
                  &ViewController::setHidesBottomBarWhenPushed)
        .enumProperty("edgesForExtendedLayout", &ViewController::edgesForExtendedLayout,
                      &ViewController::setEdgesForExtendedLayout,
                      {{"none", RectEdges::None},
                       {"top", RectEdges::Top},
                       {"left", RectEdges::Left},
                       {"bottom", RectEdges::Bottom},
                       {"right", RectEdges::Right},
                       {"all", RectEdges::All}})
        .commit();
}

}
