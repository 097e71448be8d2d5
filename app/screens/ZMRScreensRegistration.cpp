#include "app/screens/ZMRScreensRegistration.h"

#include "app/screens/ZMRFeedDataSource.h"
#include "app/screens/ZMRImageView.h"
#include "app/screens/ZMRLoadingView.h"
#include "app/screens/ZMRPageDataSource.h"
#include "app/screens/ZMRRImageButton.h"
#include "app/services/ZMRServicesRegistration.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/data/KRDataRegistration.h"
#include "framework/dom/KRDOMViewClass.h"
#include "platform/foundation/ClassBuilder.h"
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
}
