#include "framework/ui/KRViewImageTasks.h"

#include "framework/core/IKRImageTask.h"
#include "framework/core/IKRUIContext.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/dom/KRDOMImageElement.h"
#include "framework/ui/UIViewSearch.h"
#include "platform/ui/View.h"

#include <functional>

namespace {

void eachImageView(pf::View& root, const std::function<void(const pf::ObjectRef&, IKRImageTask&)>& act)
{
    forEachViewInTree(root, [&](pf::View& view) {
        if (auto* task = dynamic_cast<IKRImageTask*>(&view))
            act(view.shared_from_this(), *task);
    });
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

namespace {

void eachImageElement(KRDOMElement& element, const std::function<void(const pf::ObjectRef&, IKRImageTask&)>& act)
{
    if (auto* image = dynamic_cast<KRDOMImageElement*>(&element))
        act(element.shared_from_this(), *image);
    auto childs = element.childs(); // the action may change the tree
    for (const auto& child : childs)
        eachImageElement(*child, act);
}

}

void KRDownloadImagesForElement(IKRUIContext& context, const pf::ObjectRef& source, KRDOMElement& element)
{
    eachImageElement(element, [&](const pf::ObjectRef& object, IKRImageTask& task) {
        if (task.isLoading() || task.isLoaded())
            return;
        task.setSource(source);
        context.handle(proto::IKRImageTask(), object, 0);
    });
}

void KRLoadImagesForElement(IKRUIContext& context, KRDOMElement& element, KRLocalImageScope scope)
{
    eachImageElement(element, [&](const pf::ObjectRef& object, IKRImageTask& task) {
        if (scope == KRLocalImageScope::NotLoaded) {
            if (!task.isLoading() && !task.isLoaded())
                context.handle(proto::IKRLocalImageTask(), object, 0);
            return;
        }
        if (task.isLoading())
            context.cancelHandle(proto::IKRImageTask(), object);
        context.handle(proto::IKRLocalImageTask(), object, 0);
    });
}
