#include "framework/ui/KRWebView.h"

#include "platform/controls/ImageView.h"
#include "platform/controls/ScrollView.h"

void KRWebView::subviewsDidAttach()
{
    auto hideImageViews = [](const pf::View& parent) {
        for (auto& view : parent.subviews())
            if (std::dynamic_pointer_cast<pf::ImageView>(view))
                view->setHidden(true);
    };
    hideImageViews(*this);
    if (!subviews().empty())
        hideImageViews(*subviews().front());
    scrollView()->setDecelerationRate(pf::ScrollViewDecelerationRateNormal);
}
