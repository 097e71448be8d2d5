#include "framework/data/KRPageDataController.h"

#include "framework/data/KRDataSource.h"
#include "framework/data/KRDragLoadingView.h"
#include "platform/ui/PerformRequest.h"

namespace {

constexpr const char* kItemIdentifier = "ItemView";

}

std::shared_ptr<KRPageDataControllerDelegate> KRPageDataController::pageDelegate() const
{
    return std::dynamic_pointer_cast<KRPageDataControllerDelegate>(delegate());
}

int KRPageDataController::numberOfKRContainerLayout(KRContainerLayout&)
{
    return dataSource() ? int(dataSource()->count()) : 0;
}

pf::Size KRPageDataController::krContainerLayoutItemSizeAtIndex(KRContainerLayout& layout, int)
{
    return layout.size();
}

std::shared_ptr<KRItemViewController> KRPageDataController::krContainerViewItemViewAtIndex(KRContainerView& view,
                                                                                          int index, const pf::Rect&)
{
    auto item = view.dequeueReusableItemViewWithIdentifier(kItemIdentifier);
    if (!item)
        item = makeItemViewController(kItemIdentifier);
    item->setContext(context());
    item->setDataItem(dataSource() ? dataSource()->dataObjectAtIndex(index) : pf::Value());
    auto itemView = item->view();
    pf::cancelPreviousPerformRequests(*itemView, "downloadImagesForView");
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    std::weak_ptr<pf::View> weakView = itemView;
    pf::performAfterDelay(itemView, "downloadImagesForView", 0, [weakSelf, weakView] {
        auto self = std::static_pointer_cast<KRPageDataController>(weakSelf.lock());
        if (auto v = weakView.lock(); self && v)
            self->downloadImagesForView(*v);
    });
    return item;
}

bool KRPageDataController::anyLoadingViewAnimating() const
{
    return (m_leftLoadingView && m_leftLoadingView->isAnimating()) ||
           (m_rightLoadingView && m_rightLoadingView->isAnimating());
}

void KRPageDataController::resetLoading()
{
    auto container = containerView();
    if (!container)
        return;
    auto self = shared_from_this();
    const pf::Rect bounds = container->bounds();
    const pf::Size content = container->contentSize();
    auto d = pageDelegate();
    if (m_leftLoadingView) {
        if (!d || d->krPageDataControllerShowLeftLoading(*this)) {
            double w = m_leftLoadingView->frame().width();
            m_leftLoadingView->setFrame({-w, 0, w, bounds.height()});
            m_leftLoadingView->setAutoresizingMask(pf::Autoresizing::FlexibleRightMargin |
                                                   pf::Autoresizing::FlexibleHeight);
            m_leftLoadingView->setDirect(3);
            if (m_leftLoadingView->superview() != container)
                container->addSubview(m_leftLoadingView);
        } else {
            m_leftLoadingView->removeFromSuperview();
        }
    }
    if (m_rightLoadingView) {
        if (content.width >= bounds.width() && (!d || d->krPageDataControllerShowRightLoading(*this))) {
            double w = m_rightLoadingView->frame().width();
            m_rightLoadingView->setFrame({content.width, 0, w, bounds.height()});
            m_rightLoadingView->setAutoresizingMask(pf::Autoresizing::FlexibleLeftMargin |
                                                    pf::Autoresizing::FlexibleHeight);
            m_rightLoadingView->setDirect(2);
            if (m_rightLoadingView->superview() != container)
                container->addSubview(m_rightLoadingView);
        } else {
            m_rightLoadingView->removeFromSuperview();
        }
    }
}

void KRPageDataController::startLoading()
{
    resetLoading();
    for (const auto& view : {m_leftLoadingView, m_rightLoadingView})
        if (view)
            view->startAnimation();
}

void KRPageDataController::stopLoading()
{
    resetLoading();
    for (const auto& view : {m_leftLoadingView, m_rightLoadingView})
        if (view)
            view->stopAnimation();
}

void KRPageDataController::krContainerViewDidContentOffsetChanged(KRContainerView& view, pf::Point offset)
{
    if (anyLoadingViewAnimating())
        return;
    auto self = shared_from_this();
    const double width = view.bounds().width();
    const double content = view.contentSize().width;
    if (offset.x < 0) {
        if (!m_leftLoadingView)
            return;
        if (-offset.x < m_leftLoadingView->frame().width()) {
            m_leftLoadingView->setDirect(3);
            if (m_allowLeftAction) {
                m_allowLeftAction = false;
                if (auto d = pageDelegate())
                    d->krPageDataControllerLeftAction(*this);
            }
        } else {
            m_leftLoadingView->setDirect(2);
        }
    } else if (offset.x + width > content && m_rightLoadingView) {
        if (offset.x + width <= content + m_rightLoadingView->frame().width()) {
            m_rightLoadingView->setDirect(2);
            if (m_allowRightAction) {
                m_allowRightAction = false;
                if (auto d = pageDelegate())
                    d->krPageDataControllerRightAction(*this);
            }
        } else {
            m_rightLoadingView->setDirect(3);
        }
    }
}

void KRPageDataController::scrollViewDidEndDragging(pf::ScrollView& view, bool willDecelerate)
{
    if (!willDecelerate || anyLoadingViewAnimating())
        return;
    const pf::Point offset = view.contentOffset();
    if (m_leftLoadingView && m_leftLoadingView->superview() && -offset.x >= m_leftLoadingView->frame().width()) {
        m_allowLeftAction = true;
        return;
    }
    if (m_rightLoadingView && m_rightLoadingView->superview() &&
        offset.x + view.bounds().width() - view.contentSize().width >= m_rightLoadingView->frame().width())
        m_allowRightAction = true;
}

void KRPageDataController::krContainerViewDidFocusIndexChanged(KRContainerView&, int index)
{
    auto self = shared_from_this();
    if (auto d = pageDelegate())
        d->krPageDataControllerFocusIndexChanged(*this, index);
}

void KRPageDataController::krItemViewControllerDoAction(KRItemViewController& item, const pf::ObjectRef& action)
{
    auto self = shared_from_this();
    if (auto d = pageDelegate())
        d->krPageDataControllerItemViewControllerDoAction(*this, item, action);
}
