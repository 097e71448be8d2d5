#include "framework/data/KRContainerDataController.h"

#include "framework/data/KRAutoHiddenViews.h"
#include "framework/data/KRDataSource.h"
#include "framework/data/KRDragLoadingView.h"
#include "framework/data/KRObjectArrays.h"
#include "framework/data/KRPageDataSource.h"

pf::ArrayRef KRContainerDataController::autoHiddenViews() const { return KRArrayOfObjects(m_autoHiddenViews); }
void KRContainerDataController::setAutoHiddenViews(pf::ArrayRef views) { m_autoHiddenViews = KRObjectsOfArray<pf::View>(views); }

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
    m_loadingViews.setLastUpdateDate(date, KRSameDayForm::Relative);
}

void KRContainerDataController::startLoading()
{
    if (m_loadingViews.top)
        m_loadingViews.top->removeFromSuperview();
    if (m_loadingViews.bottom)
        m_loadingViews.bottom->removeFromSuperview();
    auto paged = std::dynamic_pointer_cast<KRPageDataSource>(dataSource());
    if (auto container = containerView()) {
        if (paged && paged->pageIndex() != 1) {
            container->setHeaderView(nullptr);
            container->setFooterView(m_loadingViews.bottom);
        } else {
            container->setFooterView(nullptr);
            container->setHeaderView(m_loadingViews.top);
        }
    }
    m_loadingViews.startAnimation();
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
    for (const auto& view : {m_loadingViews.top, m_loadingViews.bottom}) {
        if (view) {
            view->removeFromSuperview();
            view->stopAnimation();
        }
    }
    if (!container)
        return;
    const pf::Rect bounds = container->bounds();
    const pf::Size content = container->contentSize();
    if (m_loadingViews.top) {
        double h = m_loadingViews.top->frame().height();
        m_loadingViews.top->setFrame({m_loadingViews.top->frame().x(), -h, bounds.width(), h});
        container->addSubview(m_loadingViews.top);
    }
    if (m_loadingViews.bottom) {
        if (KRHasMoreData(dataSource()) && content.height >= bounds.height()) {
            double h = m_loadingViews.bottom->frame().height();
            m_loadingViews.bottom->setFrame({m_loadingViews.bottom->frame().x(), content.height, bounds.width(), h});
            container->addSubview(m_loadingViews.bottom);
        }
    }
    KRPlaceNotFoundDataView(m_notFoundDataView, *container, dataSource());
}

void KRContainerDataController::krContainerViewDidContentOffsetChanged(KRContainerView& view, pf::Point offset)
{
    auto self = shared_from_this();
    if (!m_loadingViews.anyAnimating()) {
        const double inset = view.contentInset().top;
        if (offset.y < -inset && m_loadingViews.top) {
            double h = m_loadingViews.top->frame().height();
            if (-(offset.y + inset) >= h) {
                m_loadingViews.top->setDirect(1);
            } else {
                m_loadingViews.top->setDirect(0);
                if (m_allowRefresh) {
                    m_allowRefresh = false;
                    // A reload, which may show the cached first page first.
                    if (dataSource())
                        dataSource()->reloadData();
                }
            }
            m_loadingViews.top->setFrame({m_loadingViews.top->frame().x(), -h, view.bounds().width(), h});
            if (!m_loadingViews.top->superview())
                view.addSubview(m_loadingViews.top);
            view.sendSubviewToBack(m_loadingViews.top);
        } else {
            if (m_loadingViews.top)
                m_loadingViews.top->removeFromSuperview();
            if (m_loadingViews.bottom && offset.y + view.bounds().height() > view.contentSize().height)
                m_loadingViews.bottom->setDirect(1);
        }
    }
    KRFadeAutoHiddenViews(m_autoHiddenViews,
                          {offset, view.contentInset().top, view.bounds().height(), view.contentSize().height},
                          m_preContentOffset);
}

void KRContainerDataController::loadMoreIfNear(pf::ScrollView& view)
{
    if (!m_loadingViews.bottom || m_loadingViews.bottom->superview().get() != &view || !KRHasMoreData(dataSource()))
        return;
    double overshoot = view.contentOffset().y + view.frame().height() - view.contentSize().height;
    if (overshoot > -m_loadingViews.bottom->frame().height())
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
    if (!m_loadingViews.anyAnimating())
        loadMoreIfNear(view);
    downloadImages();
}

void KRContainerDataController::scrollViewDidEndDragging(pf::ScrollView& view, bool willDecelerate)
{
    if (!willDecelerate) {
        downloadImages();
        if (!m_loadingViews.anyAnimating())
            loadMoreIfNear(view);
        return;
    }
    if (m_loadingViews.top && m_loadingViews.top->isAnimating())
        return;
    double pull = -view.contentOffset().y;
    if (!m_loadingViews.top || pull < m_loadingViews.top->frame().height())
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
