#include "framework/data/KRContainerDataController.h"

#include "framework/data/KRAutoHiddenViews.h"
#include "framework/data/KRDataSource.h"
#include "framework/data/KRDragLoadingView.h"
#include "framework/data/KRPageDataSource.h"


int KRContainerDataController::numberOfKRContainerLayout(KRContainerLayout&)
{
    int headers = m_headerItems ? int(m_headerItems->count()) : 0;
    int footers = m_footerItems ? int(m_footerItems->count()) : 0;
    return headers + (dataSource() ? int(dataSource()->count()) : 0) + footers;
}

pf::Size KRContainerDataController::krContainerLayoutItemSizeAtIndex(KRContainerLayout&, int index)
{
    int headers = m_headerItems ? int(m_headerItems->count()) : 0;
    int entries = dataSource() ? int(dataSource()->count()) : 0;
    if (index < headers)
        if (auto item = m_headerItems->at(size_t(index)).objectAs<KRItemViewController>())
            return item->itemSize();
    int footer = index - headers - entries;
    if (index >= headers + entries && m_footerItems && footer < int(m_footerItems->count()))
        if (auto item = m_footerItems->at(size_t(footer)).objectAs<KRItemViewController>())
            return item->itemSize();
    return m_itemSize;
}

std::shared_ptr<KRItemViewController> KRContainerDataController::fixedItem(const pf::ArrayRef& items, int index,
                                                                           const char* identifier)
{
    auto item = items ? items->at(size_t(index)).objectAs<KRItemViewController>() : nullptr;
    if (!item)
        return nullptr;
    item->setReuseIdentifier(identifier);
    item->setDelegate(shared_from_this());
    item->setContext(context());
    item->view();
    item->setDataItem(pf::Value());
    return item;
}

std::shared_ptr<KRItemViewController> KRContainerDataController::krContainerViewItemViewAtIndex(KRContainerView& view,
                                                                                               int index, const pf::Rect&)
{
    int headers = m_headerItems ? int(m_headerItems->count()) : 0;
    if (index < headers)
        return fixedItem(m_headerItems, index, "HeaderItemView");
    int entry = index - headers;
    int entries = dataSource() ? int(dataSource()->count()) : 0;
    if (entry >= entries)
        return fixedItem(m_footerItems, entry - entries, "FooterItemView");
    const std::string identifier = itemViewNib().value_or("ItemView");
    auto item = view.dequeueReusableItemViewWithIdentifier(identifier);
    if (!item)
        item = makeItemViewController(identifier);
    item->setContext(context());
    item->view();
    item->setDataItem(dataSource()->dataObjectAtIndex(entry));
    return item;
}

void KRContainerDataController::krItemViewControllerDoAction(KRItemViewController& item, const pf::ObjectRef& action)
{
    auto self = shared_from_this();
    if (auto d = std::dynamic_pointer_cast<KRContainerDataControllerDelegate>(delegate()))
        d->krContainerDataControllerItemViewControllerDoAction(*this, item, action);
}

void KRContainerDataController::setLastUpdateDate(std::optional<pf::Date> date)
{
    writeLastUpdateDate(date, KRSameDayForm::Relative);
}

void KRContainerDataController::startLoading()
{
    if (m_topLoadingView)
        m_topLoadingView->removeFromSuperview();
    if (m_bottomLoadingView)
        m_bottomLoadingView->removeFromSuperview();
    auto paged = std::dynamic_pointer_cast<KRPageDataSource>(dataSource());
    if (auto container = containerView()) {
        if (paged && paged->pageIndex() != 1) {
            container->setHeaderView(nullptr);
            container->setFooterView(m_bottomLoadingView);
        } else {
            container->setFooterView(nullptr);
            container->setHeaderView(m_topLoadingView);
        }
    }
    startLoadingViews();
}

void KRContainerDataController::stopLoading()
{
    auto self = shared_from_this();
    auto container = containerView();
    if (container) {
        container->setHeaderView(nullptr);
        container->setFooterView(nullptr);
    }
    // Stopped even without a container view: a loading view left animating
    // would keep pull tracking off once a container view is set.
    for (const auto& view : {m_topLoadingView, m_bottomLoadingView}) {
        if (view) {
            view->removeFromSuperview();
            view->stopAnimation();
        }
    }
    if (!container)
        return;
    const pf::Rect bounds = container->bounds();
    const pf::Size content = container->contentSize();
    if (m_topLoadingView) {
        double h = m_topLoadingView->frame().height();
        m_topLoadingView->setFrame({m_topLoadingView->frame().x(), -h, bounds.width(), h});
        container->addSubview(m_topLoadingView);
    }
    if (m_bottomLoadingView) {
        if (KRHasMoreData(dataSource()) && content.height >= bounds.height()) {
            double h = m_bottomLoadingView->frame().height();
            m_bottomLoadingView->setFrame({m_bottomLoadingView->frame().x(), content.height, bounds.width(), h});
            container->addSubview(m_bottomLoadingView);
        }
    }
    placeNotFoundDataView(*container, dataSource());
}

void KRContainerDataController::krContainerViewDidContentOffsetChanged(KRContainerView& view, pf::Point offset)
{
    auto self = shared_from_this();
    if (!loadingViewsAnimating()) {
        const double inset = view.contentInset().top;
        if (offset.y < -inset && m_topLoadingView) {
            double h = m_topLoadingView->frame().height();
            if (-(offset.y + inset) >= h) {
                m_topLoadingView->setDirect(1);
            } else {
                m_topLoadingView->setDirect(0);
                if (m_allowRefresh) {
                    m_allowRefresh = false;
                    // A reload, which may show the cached first page first.
                    if (dataSource())
                        dataSource()->reloadData();
                }
            }
            m_topLoadingView->setFrame({m_topLoadingView->frame().x(), -h, view.bounds().width(), h});
            if (!m_topLoadingView->superview())
                view.addSubview(m_topLoadingView);
            view.sendSubviewToBack(m_topLoadingView);
        } else {
            if (m_topLoadingView)
                m_topLoadingView->removeFromSuperview();
            if (m_bottomLoadingView && offset.y + view.bounds().height() > view.contentSize().height)
                m_bottomLoadingView->setDirect(1);
        }
    }
    KRFadeAutoHiddenViews(m_autoHiddenViews,
                          {offset, view.contentInset().top, view.bounds().height(), view.contentSize().height},
                          m_preContentOffset);
}

void KRContainerDataController::loadMoreIfNear(pf::ScrollView& view)
{
    if (!m_bottomLoadingView || m_bottomLoadingView->superview().get() != &view || !KRHasMoreData(dataSource()))
        return;
    double overshoot = view.contentOffset().y + view.frame().height() - view.contentSize().height;
    if (overshoot > -m_bottomLoadingView->frame().height())
        KRQueueLoadMore(*this);
}

void KRContainerDataController::downloadImages()
{
    if (containerView())
        downloadImagesForView(*containerView());
}

void KRContainerDataController::krContainerViewDidLayout(KRContainerView&)
{
    downloadImages();
}

void KRContainerDataController::scrollViewDidEndScrollingAnimation(pf::ScrollView&)
{
    downloadImages();
}

void KRContainerDataController::scrollViewDidEndDecelerating(pf::ScrollView& view)
{
    if (!loadingViewsAnimating())
        loadMoreIfNear(view);
    downloadImages();
}

void KRContainerDataController::scrollViewDidEndDragging(pf::ScrollView& view, bool willDecelerate)
{
    if (!willDecelerate) {
        downloadImages();
        if (!loadingViewsAnimating())
            loadMoreIfNear(view);
        return;
    }
    if (m_topLoadingView && m_topLoadingView->isAnimating())
        return;
    double pull = -view.contentOffset().y;
    if (!m_topLoadingView || pull < m_topLoadingView->frame().height())
        loadMoreIfNear(view);
    else
        m_allowRefresh = true;
}

void KRContainerDataController::krDataSourceWillLoading(KRDataSource& sender)
{
    if (isOwnSource(sender) && m_notFoundDataView)
        m_notFoundDataView->removeFromSuperview();
    KRItemViewDataController::krDataSourceWillLoading(sender);
}

void KRContainerDataController::krDataSourceDidLoadedFromCache(KRDataSource& sender, pf::Date timestamp)
{
    if (isOwnSource(sender))
        setLastUpdateDate(timestamp);
    KRItemViewDataController::krDataSourceDidLoadedFromCache(sender, timestamp);
}

void KRContainerDataController::krDataSourceDidLoaded(KRDataSource& sender)
{
    if (isOwnSource(sender))
        setLastUpdateDate(pf::Date::now());
    KRItemViewDataController::krDataSourceDidLoaded(sender);
}

void KRContainerDataController::krDataSourceDidContentChanged(KRDataSource& sender)
{
    auto self = shared_from_this();
    KRDataController::krDataSourceDidContentChanged(sender);
    if (isOwnSource(sender) && containerView())
        containerView()->reloadData();
}
