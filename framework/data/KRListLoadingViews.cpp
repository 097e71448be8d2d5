#include "framework/data/KRListLoadingViews.h"

#include "framework/data/KRDataController.h"
#include "framework/data/KRDragLoadingView.h"
#include "framework/data/KRPageDataSource.h"
#include "platform/controls/Label.h"
#include "platform/ui/PerformRequest.h"

namespace {

constexpr const char* kLoadMoreRequest = "loadMoreData";

}

bool KRLoadingViews::anyAnimating() const
{
    return (top && top->isAnimating()) || (bottom && bottom->isAnimating());
}

void KRLoadingViews::startAnimation() const
{
    for (const auto& view : {top, bottom})
        if (view)
            view->startAnimation();
}

void KRLoadingViews::setLastUpdateDate(std::optional<pf::Date> date, KRSameDayForm sameDay) const
{
    std::string text = date ? KRLastUpdateText(*date, pf::Date::now(), sameDay) : std::string();
    for (const auto& view : {top, bottom})
        if (view && view->timeLabel())
            view->timeLabel()->setText(text);
}

bool KRHasMoreData(const std::shared_ptr<KRDataSource>& source)
{
    auto paged = std::dynamic_pointer_cast<KRPageDataSource>(source);
    return paged && paged->hasMoreData();
}

void KRPlaceNotFoundDataView(const pf::ViewRef& view, pf::View& host, const std::shared_ptr<KRDataSource>& source)
{
    if (!view)
        return;
    if (!source || !source->isEmpty()) {
        view->removeFromSuperview();
        return;
    }
    if (view->superview())
        return;
    view->setFrame(host.bounds());
    view->setAutoresizingMask(pf::Autoresizing::FlexibleWidth | pf::Autoresizing::FlexibleHeight);
    host.addSubview(view);
}

void KRQueueLoadMore(KRDataController& controller)
{
    pf::cancelPreviousPerformRequests(controller, kLoadMoreRequest);
    std::weak_ptr<pf::Object> weak = controller.weak_from_this();
    pf::performAfterDelay(controller.shared_from_this(), kLoadMoreRequest, 0, [weak] {
        auto self = std::dynamic_pointer_cast<KRDataController>(weak.lock());
        auto paged = self ? std::dynamic_pointer_cast<KRPageDataSource>(self->dataSource()) : nullptr;
        if (paged && paged->hasMoreData() && !paged->isLoading())
            paged->loadMoreData();
    });
}
