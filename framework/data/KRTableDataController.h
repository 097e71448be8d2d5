#pragma once

// Binds a data source to a one-section table: optional fixed header and
// footer cells around the data rows (shown only while there is data), data
// cells made from an interface file and reused, pull-to-refresh with the top
// loading view kept just above the first row, load-more with the bottom
// loading view just below the last row, the "最后更新" text in both, a
// not-found view over an empty list, and views that fade while the list
// scrolls. The table is best a KRTableView: only it reports the offsets that
// pulling, load-more and fading follow.
//
// A pull past the top view's height arms a refresh when the drag ends; it
// fires as the table springs back below that height. Any load that starts
// disarms it, so the spring-back at a load's end sends nothing. Load-more is
// asked when the visible end comes within one bottom-view height of the last
// row, and queued to the next turn of the main loop: once per turn, and only
// if the source still has more and is not loading when it runs.
//
// The table's data source and delegate become the controller (not retained
// by the table: the controller's owner keeps it). Main queue only.

#include "framework/data/KRDataController.h"
#include "framework/data/KRDataControllerDelegate.h"
#include "framework/data/KRListLoadingViews.h"
#include "framework/data/KRTableView.h"
#include "framework/data/KRTableViewCellDelegate.h"

#include <optional>
#include <string>
#include <vector>

class KRDragLoadingView;
class KRTableDataController;
class KRTableViewCell;

namespace pf {
class Bundle;
}

class KRTableDataControllerDelegate : public virtual KRDataControllerDelegate {
public:
    virtual void krTableDataControllerScrollViewWillBeginDragging(KRTableDataController&) {}
    virtual void krTableDataControllerCellDoAction(KRTableDataController&, KRTableViewCell&, const pf::ObjectRef& /*action*/) {}
};

class KRTableDataController : public KRDataController,
                              public KRListLoadingViews,
                              public pf::TableViewDataSource,
                              public KRTableViewDelegate,
                              public KRTableViewCellDelegate {
public:
    ~KRTableDataController() override;

    bool allowRefresh() const { return m_allowRefresh; }
    void setAllowRefresh(bool allow) { m_allowRefresh = allow; }
    pf::Point preContentOffset() const { return m_preContentOffset; }

    const std::shared_ptr<pf::TableView>& tableView() const { return m_tableView; }
    void setTableView(std::shared_ptr<pf::TableView> tableView);
    const std::string& itemViewNib() const { return m_itemViewNib; }
    void setItemViewNib(const std::string& nib) { m_itemViewNib = nib; }
    // Null: the main bundle.
    const pf::Bundle* itemViewBundle() const { return m_itemViewBundle; }
    void setItemViewBundle(const pf::Bundle* bundle) { m_itemViewBundle = bundle; }
    const std::string& reusableCellIdentifier() const { return m_reusableCellIdentifier; }
    void setReusableCellIdentifier(const std::string& identifier) { m_reusableCellIdentifier = identifier; }
    // Arrays of cells, as interface files connect them.
    pf::ArrayRef headerCells() const;
    void setHeaderCells(pf::ArrayRef cells);
    pf::ArrayRef footerCells() const;
    void setFooterCells(pf::ArrayRef cells);

    // The data object of a data row; nil for header and footer rows.
    pf::Value dataObjectForIndexPath(const pf::IndexPath& path);
    // Writes the last-update text into both loading views; nothing writes "".
    void setLastUpdateDate(std::optional<pf::Date> date);
    void startLoading();
    void stopLoading();

    void cancel() override;
    void krDataSourceWillLoading(KRDataSource& dataSource) override;
    void krDataSourceDidLoadedFromCache(KRDataSource& dataSource, pf::Date timestamp) override;
    void krDataSourceDidLoaded(KRDataSource& dataSource) override;
    void krDataSourceDidFitalError(KRDataSource& dataSource, const pf::Error& error) override;
    void krDataSourceDidContentChanged(KRDataSource& dataSource) override;

    // pf::TableViewDataSource; one section.
    int tableViewNumberOfRowsInSection(pf::TableView& table, int section) override;
    std::shared_ptr<pf::TableViewCell> tableViewCellForRowAtIndexPath(pf::TableView& table, const pf::IndexPath& path) override;
    // Header and footer rows are as high as their cells; data rows take the
    // table's row height unless a subclass answers otherwise.
    std::optional<double> tableViewHeightForRowAtIndexPath(pf::TableView& table, const pf::IndexPath& path) override;

    // Scrolling.
    void tableViewDidContentOffsetChanged(KRTableView& table, pf::Point offset) override;
    void scrollViewDidScroll(pf::ScrollView& scrollView) override;
    void scrollViewWillBeginDragging(pf::ScrollView& scrollView) override;
    void scrollViewDidEndDragging(pf::ScrollView& scrollView, bool willDecelerate) override;

    void krTableViewCellDoAction(KRTableViewCell& cell, const pf::ObjectRef& action) override;

protected:
    int headerCount() const { return static_cast<int>(m_headerCells.size()); }
    int footerCount() const { return static_cast<int>(m_footerCells.size()); }
    // A new data cell from interface file `nibName` of itemViewBundle, with
    // this controller as its controller and delegate; a plain cell (logged
    // once) when the file makes no KRTableViewCell.
    std::shared_ptr<pf::TableViewCell> makeDataCell(const std::string& nibName, const std::string& identifier);

private:
    bool ownSource(const KRDataSource& sender) const { return &sender == dataSource().get(); }
    void placeTopLoadingView();
    void loadMoreTest(pf::ScrollView& scrollView);
    void reloadTable();

    bool m_allowRefresh = false;
    pf::Point m_preContentOffset;
    std::shared_ptr<pf::TableView> m_tableView;
    std::string m_itemViewNib;
    const pf::Bundle* m_itemViewBundle = nullptr;
    std::vector<std::shared_ptr<pf::TableViewCell>> m_headerCells;
    std::vector<std::shared_ptr<pf::TableViewCell>> m_footerCells;
    std::string m_reusableCellIdentifier;
    bool m_loggedPlainCell = false;
};
