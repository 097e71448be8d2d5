#include "framework/data/KRListLoadingViews.h"

#include "framework/data/KRDataController.h"
#include "framework/data/KRDragLoadingView.h"
#include "framework/data/KRObjectArrays.h"
#include "framework/data/KRPageDataSource.h"
#include "platform/controls/Label.h"
#include "platform/ui/PerformRequest.h"

namespace {

constexpr const char* kLoadMoreRequest = "loadMoreData";

}

pf::ArrayRef KRListLoadingViews::autoHiddenViews() const { return KRArrayOfObjects(m_autoHiddenViews); }
void KRListLoadingViews::setAutoHiddenViews(pf::ArrayRef views) { m_autoHiddenViews = KRObjectsOfArray<pf::View>(views); }

bool KRListLoadingViews::loadingViewsAnimating() const
{
    return (m_topLoadingView && m_topLoadingView->isAnimating()) ||
           (m_bottomLoadingView && m_bottomLoadingView->isAnimating());
}

void KRListLoadingViews::startLoadingViews() const
{
    for (const auto& view : {m_topLoadingView, m_bottomLoadingView})
        if (view)
            view->startAnimation();
}

void KRListLoadingViews::writeLastUpdateDate(std::optional<pf::Date> date, KRSameDayForm sameDay) const
{
    std::string text = date ? KRLastUpdateText(*date, pf::Date::now(), sameDay) : std::string();
    for (const auto& view : {m_topLoadingView, m_bottomLoadingView})
        if (view && view->timeLabel())
            view->timeLabel()->setText(text);
}

void KRListLoadingViews::placeNotFoundDataView(pf::View& host, const std::shared_ptr<KRDataSource>& source) const
{
    const pf::ViewRef& view = m_notFoundDataView;
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

bool KRHasMoreData(const std::shared_ptr<KRDataSource>& source)
{
    auto paged = std::dynamic_pointer_cast<KRPageDataSource>(source);
    return paged && paged->hasMoreData();
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
