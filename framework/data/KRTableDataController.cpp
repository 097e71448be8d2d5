#include "framework/data/KRTableDataController.h"

#include "framework/data/KRAutoHiddenViews.h"
#include "framework/data/KRDragLoadingView.h"
#include "framework/data/KRObjectArrays.h"
#include "framework/data/KRPageDataSource.h"
#include "framework/data/KRTableViewCell.h"
#include "platform/foundation/Log.h"

#include <utility>

namespace {

double heightOf(const pf::ViewRef& view)
{
    return view ? view->frame().height() : 0;
}

}

KRTableDataController::~KRTableDataController() = default;

void KRTableDataController::setTableView(std::shared_ptr<pf::TableView> tableView)
{
    if (m_tableView == tableView)
        return;
    if (m_tableView && m_tableView->dataSourceObject().get() == this)
        m_tableView->setDataSource(nullptr);
    if (m_tableView && m_tableView->delegateObject().get() == this)
        m_tableView->setDelegate(nullptr);
    m_tableView = std::move(tableView);
    if (!m_tableView)
        return;
    auto self = shared_from_this();
    m_tableView->setDataSource(std::dynamic_pointer_cast<pf::TableViewDataSource>(self));
    m_tableView->setDelegate(std::dynamic_pointer_cast<pf::ScrollViewDelegate>(self));
}

pf::ArrayRef KRTableDataController::headerCells() const { return KRArrayOfObjects(m_headerCells); }
void KRTableDataController::setHeaderCells(pf::ArrayRef cells) { m_headerCells = KRObjectsOfArray<pf::TableViewCell>(cells); }
pf::ArrayRef KRTableDataController::footerCells() const { return KRArrayOfObjects(m_footerCells); }
void KRTableDataController::setFooterCells(pf::ArrayRef cells) { m_footerCells = KRObjectsOfArray<pf::TableViewCell>(cells); }

void KRTableDataController::reloadTable()
{
    if (m_tableView)
        m_tableView->reloadData();
}

// Row model ---------------------------------------------------------------

int KRTableDataController::tableViewNumberOfRowsInSection(pf::TableView&, int)
{
    int n = dataSource() ? static_cast<int>(dataSource()->count()) : 0;
    return n == 0 ? 0 : headerCount() + n + footerCount();
}

std::optional<double> KRTableDataController::tableViewHeightForRowAtIndexPath(pf::TableView& table,
                                                                              const pf::IndexPath& path)
{
    int n = dataSource() ? static_cast<int>(dataSource()->count()) : 0;
    if (path.row < headerCount())
        return heightOf(m_headerCells[path.row]);
    if (path.row < headerCount() + n)
        return table.rowHeight();
    int footer = path.row - headerCount() - n;
    return footer < footerCount() ? heightOf(m_footerCells[footer]) : 0;
}

pf::Value KRTableDataController::dataObjectForIndexPath(const pf::IndexPath& path)
{
    if (!dataSource() || path.row < headerCount())
        return {};
    int index = path.row - headerCount();
    return index < static_cast<int>(dataSource()->count()) ? dataSource()->dataObjectAtIndex(index) : pf::Value();
}

std::shared_ptr<pf::TableViewCell> KRTableDataController::makeDataCell(const std::string& nibName, const std::string& identifier)
{
    std::shared_ptr<pf::TableViewCell> cell = KRTableViewCell::tableViewCellWithNibName(nibName, m_itemViewBundle);
    if (auto own = std::dynamic_pointer_cast<KRTableViewCell>(cell)) {
        own->setController(shared_from_this());
        own->setDelegate(shared_from_this());
    } else {
        // A row without its file's cell still shows, empty, rather than breaking the table; told once.
        if (!std::exchange(m_loggedPlainCell, true))
            pf::logLevel(pf::LogLevel::Error, "KRTableDataController: \"%s\" makes no KRTableViewCell; plain cells stand in",
                         nibName.c_str());
        cell = std::make_shared<pf::TableViewCell>();
    }
    cell->setReuseIdentifier(identifier);
    return cell;
}

std::shared_ptr<pf::TableViewCell> KRTableDataController::tableViewCellForRowAtIndexPath(pf::TableView& table,
                                                                                       const pf::IndexPath& path)
{
    int n = dataSource() ? static_cast<int>(dataSource()->count()) : 0;
    if (path.row < headerCount())
        return m_headerCells[path.row];
    if (path.row >= headerCount() + n) {
        int footer = path.row - headerCount() - n;
        return footer < footerCount() ? m_footerCells[footer] : nullptr;
    }
    std::string identifier = !m_reusableCellIdentifier.empty() ? m_reusableCellIdentifier
        : !m_itemViewNib.empty()                               ? m_itemViewNib
                                                               : "Cell";
    auto cell = table.dequeueReusableCellWithIdentifier(identifier);
    if (!cell)
        cell = makeDataCell(m_itemViewNib, identifier);
    if (auto own = std::dynamic_pointer_cast<KRTableViewCell>(cell)) {
        own->setContext(context());
        own->setDataItem(dataSource()->dataObjectAtIndex(path.row - headerCount()));
    }
    return cell;
}

// Loading views -------------------------------------------------------------

void KRTableDataController::setLastUpdateDate(std::optional<pf::Date> date)
{
    writeLastUpdateDate(date, KRSameDayForm::Clock);
}

void KRTableDataController::placeTopLoadingView()
{
    if (!m_topLoadingView || !m_tableView)
        return;
    double h = m_topLoadingView->frame().height();
    m_topLoadingView->setFrame(pf::Rect(m_topLoadingView->frame().x(), -h, m_tableView->bounds().width(), h));
    if (!m_topLoadingView->superview())
        m_tableView->addSubview(m_topLoadingView);
}

void KRTableDataController::startLoading()
{
    // This load serves any refresh still armed (an interface file may arm
    // one): left armed, it would fire as stopLoading springs the table back
    // and send the list again, and a failed load would be told only when
    // that second request failed too.
    m_allowRefresh = false;
    auto page = std::dynamic_pointer_cast<KRPageDataSource>(dataSource());
    if (m_tableView && page && page->pageIndex() != 1) {
        m_tableView->setTableFooterView(nullptr);
        m_tableView->setTableFooterView(m_bottomLoadingView);
    } else if (m_tableView) {
        placeTopLoadingView();
        double h = heightOf(m_topLoadingView);
        if (m_topLoadingView && m_tableView->contentOffset().y < h)
            m_tableView->setContentOffset(pf::Point{0, -h - m_tableView->contentInset().top}, false);
        m_tableView->setTableFooterView(nullptr);
    }
    startLoadingViews();
}

void KRTableDataController::stopLoading()
{
    if (m_tableView)
        m_tableView->setTableFooterView(nullptr);
    if (m_bottomLoadingView)
        m_bottomLoadingView->removeFromSuperview();
    for (const auto& view : {m_topLoadingView, m_bottomLoadingView})
        if (view)
            view->stopAnimation();
    if (!m_tableView)
        return;
    if (m_topLoadingView && !m_topLoadingView->superview())
        placeTopLoadingView();
    double inset = m_tableView->contentInset().top;
    if (m_tableView->contentOffset().y < -inset)
        m_tableView->setContentOffset(pf::Point{0, -inset}, true);
    if (m_bottomLoadingView) {
        if (KRHasMoreData(dataSource()) && m_tableView->contentSize().height >= m_tableView->bounds().height()) {
            double h = m_bottomLoadingView->frame().height();
            m_bottomLoadingView->setFrame(pf::Rect(m_bottomLoadingView->frame().x(), m_tableView->contentSize().height,
                                                   m_tableView->bounds().width(), h));
            m_tableView->addSubview(m_bottomLoadingView);
        } else {
            m_bottomLoadingView->removeFromSuperview();
        }
    }
    placeNotFoundDataView(*m_tableView, dataSource());
}

// Data-source callbacks -----------------------------------------------------

void KRTableDataController::cancel()
{
    KRDataController::cancel();
    stopLoading();
}

void KRTableDataController::krDataSourceWillLoading(KRDataSource& sender)
{
    if (ownSource(sender)) {
        if (m_notFoundDataView)
            m_notFoundDataView->removeFromSuperview();
        startLoading();
    }
    KRDataController::krDataSourceWillLoading(sender);
}

void KRTableDataController::krDataSourceDidLoadedFromCache(KRDataSource& sender, pf::Date timestamp)
{
    auto keep = shared_from_this();
    KRDataController::krDataSourceDidLoadedFromCache(sender, timestamp);
    if (!ownSource(sender))
        return;
    setLastUpdateDate(timestamp);
    reloadTable();
}

void KRTableDataController::krDataSourceDidLoaded(KRDataSource& sender)
{
    auto keep = shared_from_this();
    KRDataController::krDataSourceDidLoaded(sender);
    if (!ownSource(sender))
        return;
    setLastUpdateDate(pf::Date::now());
    reloadTable();
    stopLoading();
}

void KRTableDataController::krDataSourceDidContentChanged(KRDataSource& sender)
{
    auto keep = shared_from_this();
    KRDataController::krDataSourceDidContentChanged(sender);
    if (ownSource(sender))
        reloadTable();
}

void KRTableDataController::krDataSourceDidFitalError(KRDataSource& sender, const pf::Error& error)
{
    if (ownSource(sender))
        stopLoading();
    KRDataController::krDataSourceDidFitalError(sender, error);
}

// Scrolling -----------------------------------------------------------------

void KRTableDataController::tableViewDidContentOffsetChanged(KRTableView& table, pf::Point offset)
{
    auto keep = shared_from_this();
    double inset = table.contentInset().top;
    double height = table.bounds().height();
    double content = table.contentSize().height;
    if (!loadingViewsAnimating()) {
        if (offset.y < -inset) {
            double d = -(offset.y + inset);
            double h = heightOf(m_topLoadingView);
            if (m_topLoadingView && d >= h) {
                m_topLoadingView->setDirect(1);
            } else {
                if (m_topLoadingView)
                    m_topLoadingView->setDirect(0);
                if (m_allowRefresh) {
                    // The user let go far enough down; the table now springs back past the view.
                    m_allowRefresh = false;
                    refreshData();
                }
            }
            if (m_topLoadingView) {
                m_topLoadingView->setOffsetValue(h > 0 ? d / h : 0);
                bool added = !m_topLoadingView->superview();
                placeTopLoadingView();
                if (added)
                    table.sendSubviewToBack(m_topLoadingView);
            }
        } else if (offset.y + height >= content && m_bottomLoadingView) {
            double h = m_bottomLoadingView->frame().height();
            m_bottomLoadingView->setDirect(1);
            m_bottomLoadingView->setOffsetValue(h > 0 ? (offset.y + height - content) / h : 0);
        }
    }
    KRFadeAutoHiddenViews(m_autoHiddenViews, {offset, inset, height, content}, m_preContentOffset);
}

void KRTableDataController::loadMoreTest(pf::ScrollView& scrollView)
{
    if (!m_bottomLoadingView || m_bottomLoadingView->superview().get() != &scrollView || !KRHasMoreData(dataSource()))
        return;
    double distance = scrollView.contentOffset().y + scrollView.frame().height() - scrollView.contentSize().height;
    if (distance <= -m_bottomLoadingView->frame().height() || dataSource()->isLoading())
        return;
    KRQueueLoadMore(*this);
}

void KRTableDataController::scrollViewDidScroll(pf::ScrollView& scrollView)
{
    if (!loadingViewsAnimating())
        loadMoreTest(scrollView);
}

void KRTableDataController::scrollViewWillBeginDragging(pf::ScrollView&)
{
    if (auto delegate = std::dynamic_pointer_cast<KRTableDataControllerDelegate>(this->delegate()))
        delegate->krTableDataControllerScrollViewWillBeginDragging(*this);
}

void KRTableDataController::scrollViewDidEndDragging(pf::ScrollView& scrollView, bool willDecelerate)
{
    if (!willDecelerate || (m_topLoadingView && m_topLoadingView->isAnimating()))
        return;
    double pulled = -(scrollView.contentOffset().y + scrollView.contentInset().top);
    if (m_topLoadingView && pulled >= m_topLoadingView->frame().height())
        m_allowRefresh = true;
    else
        loadMoreTest(scrollView);
}

void KRTableDataController::krTableViewCellDoAction(KRTableViewCell& cell, const pf::ObjectRef& action)
{
    if (auto delegate = std::dynamic_pointer_cast<KRTableDataControllerDelegate>(this->delegate()))
        delegate->krTableDataControllerCellDoAction(*this, cell, action);
}
