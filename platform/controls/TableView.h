#pragma once

// A scrolling list of rows in sections. At reloadData the table asks its
// data source for every section's row count and its delegate for the row
// heights (every row's, or one per run of rows of one height for a delegate
// that tells its runs), so it knows the whole content's size. A delegate
// that gives an estimated row height has heights asked in order from the
// top only as far as the table shows or a question about a row's place
// needs, and the rest a slice at a time while the main loop is idle: every
// row shown or asked about sits where its asked height puts it, and only
// the content's size counts the rows not asked yet at an estimate (a
// scroll in code to an estimated end past the real one stops at the real
// one). Only the rows that are visible have cells in the tree, and a row
// that scrolls out gives its cell to the pool of its reuse identifier, for
// dequeueReusableCellWithIdentifier.
// Section headers stay pinned to the top while their section scrolls under
// them; an index strip at the right edge jumps to a section; a left swipe on
// an editable row shows its "删除" button.
//
// Main thread only. Data source and delegate are not retained.

#include "platform/controls/ScrollView.h"
#include "platform/controls/TableViewCell.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pf {

class TableView;
class TableIndexView;

struct IndexPath {
    int section = 0;
    int row = 0;
    auto operator<=>(const IndexPath&) const = default;
};

enum class TableViewStyle { Plain, Grouped };
enum class TableViewScrollPosition { None, Top, Middle, Bottom };
enum class TableViewCellEditingStyle { None, Delete, Insert };
// How deleted rows leave: fading, sliding out to the right or left, or at once.
enum class TableViewRowAnimation { Fade, Right, Left, None };

class TableViewDataSource {
public:
    virtual ~TableViewDataSource() = default;
    virtual int numberOfSectionsInTableView(TableView&) { return 1; }
    virtual int tableViewNumberOfRowsInSection(TableView&, int section) = 0;
    virtual std::shared_ptr<TableViewCell> tableViewCellForRowAtIndexPath(TableView&, const IndexPath&) = 0;
    virtual std::optional<std::string> tableViewTitleForHeaderInSection(TableView&, int) { return std::nullopt; }
    // The index strip's titles; none hides the strip.
    virtual std::vector<std::string> sectionIndexTitlesForTableView(TableView&) { return {}; }
    virtual int tableViewSectionForSectionIndexTitle(TableView&, const std::string&, int index) { return index; }
    // Rows that may be swiped to delete.
    virtual bool tableViewCanEditRowAtIndexPath(TableView&, const IndexPath&) { return false; }
    // The data source removes the row from its data, then tells the table
    // (deleteRowsAtIndexPaths).
    virtual void tableViewCommitEditingStyle(TableView&, TableViewCellEditingStyle, const IndexPath&) {}
};

class TableViewDelegate : public ScrollViewDelegate {
public:
    // Nothing lets the table use its own row, header and footer heights.
    virtual std::optional<double> tableViewHeightForRowAtIndexPath(TableView&, const IndexPath&) { return std::nullopt; }
    // How many rows from `path` on, it included, are as high as it. A
    // delegate whose rows come in runs of one height answers the run, so the
    // table asks one height per run instead of one per row (a long list then
    // reloads in the time of its runs); the table cuts a run at the end of
    // the section. 1, the default, has every row asked.
    virtual int tableViewRowRunLengthAtIndexPath(TableView&, const IndexPath&) { return 1; }
    // Above 0, rows are asked as they are needed (see above), and a row not
    // asked yet counts as high as the mean of those asked so far, this
    // height before any. 0, the default, has every row asked at a reload.
    virtual double tableViewEstimatedRowHeight(TableView&) { return 0; }
    virtual std::optional<double> tableViewHeightForHeaderInSection(TableView&, int) { return std::nullopt; }
    virtual std::optional<double> tableViewHeightForFooterInSection(TableView&, int) { return std::nullopt; }
    virtual ViewRef tableViewViewForHeaderInSection(TableView&, int) { return nullptr; }
    virtual ViewRef tableViewViewForFooterInSection(TableView&, int) { return nullptr; }
    virtual void tableViewWillDisplayCell(TableView&, TableViewCell&, const IndexPath&) {}
    virtual void tableViewDidSelectRowAtIndexPath(TableView&, const IndexPath&) {}
    virtual std::string tableViewTitleForDeleteConfirmationButtonForRowAtIndexPath(TableView&, const IndexPath&)
    {
        return "删除";
    }
};

class TableView : public ScrollView {
public:
    explicit TableView(const Rect& frame = {}, TableViewStyle style = TableViewStyle::Plain);
    ~TableView() override;

    TableViewStyle style() const { return m_style; }
    ObjectRef dataSourceObject() const { return m_dataSourceObject.lock(); }
    void setDataSourceObject(const ObjectRef& dataSource);
    void setDataSource(const std::shared_ptr<TableViewDataSource>& dataSource);
    std::shared_ptr<TableViewDataSource> dataSource() const { return m_dataSource.lock(); }
    // The table's delegate is its scroll-view delegate.
    std::shared_ptr<TableViewDelegate> tableDelegate() const;

    double rowHeight() const { return m_rowHeight; }
    void setRowHeight(double height);
    double sectionHeaderHeight() const { return m_sectionHeaderHeight; }
    void setSectionHeaderHeight(double height) { m_sectionHeaderHeight = height; }
    double sectionFooterHeight() const { return m_sectionFooterHeight; }
    void setSectionFooterHeight(double height) { m_sectionFooterHeight = height; }
    const ViewRef& tableHeaderView() const { return m_tableHeaderView; }
    void setTableHeaderView(const ViewRef& view);
    const ViewRef& tableFooterView() const { return m_tableFooterView; }
    void setTableFooterView(const ViewRef& view);

    // Asks the data source and delegate everything again and rebuilds the visible rows.
    void reloadData();
    // The data source already dropped these rows (paths as they were before);
    // the table closes the gaps, the rows below moving up with the animation.
    // When the data source's counts disagree with the deletion the table
    // reloads instead.
    void deleteRowsAtIndexPaths(const std::vector<IndexPath>& paths,
                                TableViewRowAnimation animation = TableViewRowAnimation::None);
    // The same for whole sections, their headers and footers with them.
    void deleteSections(const std::vector<int>& sections,
                        TableViewRowAnimation animation = TableViewRowAnimation::None);

    std::shared_ptr<TableViewCell> dequeueReusableCellWithIdentifier(const std::string& identifier);
    int numberOfSections() const { return static_cast<int>(m_sections.size()); }
    int numberOfRowsInSection(int section) const;
    // Null for a row without a cell in the tree.
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(const IndexPath& path) const;
    std::optional<IndexPath> indexPathForCell(const TableViewCell& cell) const;
    std::optional<IndexPath> indexPathForRowAtPoint(Point p) const;
    std::vector<std::shared_ptr<TableViewCell>> visibleCells() const;
    std::vector<IndexPath> indexPathsForVisibleRows() const;
    // In content coordinates; empty for a row that does not exist.
    Rect rectForRowAtIndexPath(const IndexPath& path) const;
    Rect rectForSection(int section) const;
    void scrollToRowAtIndexPath(const IndexPath& path, TableViewScrollPosition position, bool animated);

    std::optional<IndexPath> indexPathForSelectedRow() const { return m_selected; }
    void selectRowAtIndexPath(const IndexPath& path, bool animated);
    void deselectRowAtIndexPath(const IndexPath& path, bool animated);
    // The row showing its delete button, if any.
    std::optional<IndexPath> indexPathForDeleteConfirmation() const { return m_swiped; }
    void hideDeleteConfirmation();

    // Whether every row's height was asked since the last reload.
    bool allRowHeightsAsked() const { return m_askingSection >= numberOfSections(); }

    // The index strip, present while the data source gives titles.
    std::shared_ptr<TableIndexView> indexView() const { return m_indexView; }

    using ScrollView::setContentOffset;
    void setContentOffset(Point offset) override;
    // Bounds that grow get the cells of the rows they uncover at once, at
    // their places even inside an animation block.
    void setBounds(const Rect& bounds) override;
    void layoutSubviews() override;

    void touchesBegan(const TouchSet& touches) override;
    // A finger that travels is no tap: the row it pressed is let go.
    void touchesMoved(const TouchSet& touches) override;
    void touchesEnded(const TouchSet& touches) override;
    void touchesCancelled(const TouchSet& touches) override;

protected:
    bool takesDrag(Point translation, Point location) override;
    void takenDragMoved(GestureState state, Point translation) override;

private:
    // Rows of one height in a row, kept as one entry: a section of
    // thousands of like rows costs a few runs, not a place per row.
    struct Run {
        int firstRow = 0;
        double top = 0;    // content y of the first row
        double height = 0; // of each of its rows
    };
    struct Section {
        double top = 0;            // of the header
        double headerHeight = 0;
        double footerHeight = 0;
        std::vector<Run> runs; // by first row; a run ends where the next begins
        int rowCount = 0;
        // Rows whose height was asked; the rest are one run at the estimate.
        int askedRows = 0;
        double rowsBottom = 0;
        ViewRef headerView;
        ViewRef footerView;

        int runEnd(std::size_t run) const { return run + 1 < runs.size() ? runs[run + 1].firstRow : rowCount; }
        // The run holding `row`, which must be a row of the section.
        std::size_t runOfRow(int row) const;
        // The last run starting at or above `y`, or the first run.
        std::size_t runAtY(double y) const;
        double rowTop(std::size_t run, int row) const { return runs[run].top + (row - runs[run].firstRow) * runs[run].height; }
        // The row of the run whose place holds `y`, kept inside the run.
        int rowOfRunAtY(std::size_t run, double y) const;
        // Where the first row not asked yet starts.
        double askedBottom() const;
        // The same, dropping the run of rows at the estimate.
        double dropEstimatedRows();
    };
    void computeGeometry();
    // Asks row heights in order from the first row not asked yet, while
    // `more` holds of the next row (a section's end offers the next
    // section's first row) and of the content y it starts at; every row
    // above it is then at its place. Whether anything was asked.
    bool askRowHeights(const std::function<bool(const IndexPath&, double)>& more);
    // Places the rows not asked yet at the estimate, the sections below
    // them, the table footer, and sets the content's size.
    void placeUnaskedRows();
    // askRowHeights, then placeUnaskedRows when anything was asked, and an
    // offset left past the content's end, unless a finger or a glide moves
    // it, goes back to the end. Asking caches the delegate's answers only:
    // a const question may ask.
    void askAndPlace(const std::function<bool(const IndexPath&, double)>& more) const;
    // Asks what a question about rows up to `path` (or content y up to
    // `y`) needs, so that its answer is exact.
    void askThrough(const IndexPath& path) const;
    void askThroughY(double y) const;
    // While rows are left unasked and the table is in a window, asks a
    // slice of them on each idle turn of the main loop (one turn queued at
    // a time; a reload's rows are asked by the turn already queued).
    void scheduleAskingRows();
    void tile();
    void layoutHeaders(const Rect& visible);
    void layoutFooters(const Rect& visible);
    void layoutIndex();
    void recycle(const std::shared_ptr<TableViewCell>& cell);
    std::shared_ptr<TableViewCell> makeCell(const IndexPath& path);
    ViewRef headerViewFor(int section);
    void jumpToSectionIndex(int index);
    // Section headers and footers leave the tree; tiling makes them again.
    void detachSectionViews();
    int totalRows() const;
    // Cells of rows for which `gone` holds leave (animated or at once); the
    // others are filed under `moved` of their path.
    void takeOutRows(const std::function<bool(const IndexPath&)>& gone,
                     const std::function<IndexPath(const IndexPath&)>& moved, TableViewRowAnimation animation);
    void animateOut(const std::shared_ptr<TableViewCell>& cell, TableViewRowAnimation animation);
    // A cell handed out again while it was leaving stops leaving.
    void stopLeaving(const std::shared_ptr<TableViewCell>& cell);
    // After the geometry was recomputed: the rows move to their places.
    void closeGaps(TableViewRowAnimation animation);
    friend class TableIndexView;

    TableViewStyle m_style;
    std::weak_ptr<TableViewDataSource> m_dataSource;
    WeakObject m_dataSourceObject;
    double m_rowHeight = 44;
    double m_sectionHeaderHeight = 22;
    double m_sectionFooterHeight = 0;
    ViewRef m_tableHeaderView;
    ViewRef m_tableFooterView;
    std::vector<Section> m_sections;
    std::map<IndexPath, std::shared_ptr<TableViewCell>> m_visible;
    std::map<std::string, std::vector<std::shared_ptr<TableViewCell>>> m_reuse;
    struct Leaving {
        std::shared_ptr<TableViewCell> cell;
        double alpha = 1; // to give back when it is reused
    };
    std::vector<Leaving> m_leaving; // deleted rows' cells still animating out
    std::optional<IndexPath> m_selected;
    std::optional<IndexPath> m_pressed;
    Point m_pressedAt; // window coordinates
    std::optional<IndexPath> m_swiped;
    std::optional<IndexPath> m_swiping;
    std::shared_ptr<TableIndexView> m_indexView;
    std::vector<std::string> m_indexTitles;
    bool m_loaded = false;
    bool m_tiling = false;
    // Sections before this one have every row asked; this one its
    // askedRows. At the number of sections every row is asked.
    int m_askingSection = 0;
    double m_estimatedRowHeight = 0; // the delegate's, at the last reload
    double m_askedHeightSum = 0;
    int m_askedRowCount = 0;
    bool m_asking = false;
    bool m_askScheduled = false;
};

}
