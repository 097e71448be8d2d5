#include "app/screens/shared/ZMRListFailure.h"

#include "app/services/ZMRMessage.h"
#include "framework/data/KRListLoadingViews.h"
#include "platform/controls/Label.h"
#include "platform/ui/View.h"

void ZMRShowListFailure(const KRListLoadingViews& list, const pf::Error& error)
{
    const pf::ViewRef& view = list.notFoundDataView();
    if (!view)
        return;
    for (const pf::ViewRef& subview : view->subviews()) {
        if (auto label = std::dynamic_pointer_cast<pf::Label>(subview)) {
            label->setText(ZMRMessage(error));
            break;
        }
    }
    view->setHidden(false);
}

void ZMRHideListFailure(const KRListLoadingViews& list)
{
    if (const pf::ViewRef& view = list.notFoundDataView())
        view->setHidden(true);
}
