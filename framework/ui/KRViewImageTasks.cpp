#include "framework/ui/KRViewImageTasks.h"

#include "framework/core/IKRImageTask.h"
#include "framework/core/IKRUIContext.h"
#include "framework/core/KRTaskTypes.h"
#include "platform/ui/View.h"

#include <functional>

namespace {

void eachImageView(pf::View& view, const std::function<void(const pf::ObjectRef&, IKRImageTask&)>& act)
{
    if (auto* task = dynamic_cast<IKRImageTask*>(&view))
        act(view.shared_from_this(), *task);
    auto subviews = view.subviews(); // the action may change the tree
    for (const auto& subview : subviews)
        eachImageView(*subview, act);
}

}

void KRDownloadImagesForView(IKRUIContext& context, const pf::ObjectRef& source, pf::View& view)
{
    eachImageView(view, [&](const pf::ObjectRef& object, IKRImageTask& task) {
        if (task.isLoading() || task.isLoaded())
            return;
        task.setSource(source);
        context.handle(proto::IKRImageTask(), object, 0);
    });
}

void KRLoadImagesForView(IKRUIContext& context, pf::View& view)
{
    eachImageView(view, [&](const pf::ObjectRef& object, IKRImageTask& task) {
        if (task.isLoading())
            context.cancelHandle(proto::IKRImageTask(), object);
        if (!task.isLoaded())
            context.handle(proto::IKRLocalImageTask(), object, 0);
    });
}

void KRCancelDownloadImagesForView(IKRUIContext& context, pf::View& view)
{
    eachImageView(view, [&](const pf::ObjectRef& object, IKRImageTask& task) {
        if (task.isLoading())
            context.cancelHandle(proto::IKRImageTask(), object);
    });
}
