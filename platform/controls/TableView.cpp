// A table's data and geometry: its sources, reloading, the rows' places,
// scrolling to a row and selection. Tiling the visible rows lives in
// TableViewTiling.cpp, row deletion and touches in TableViewEditing.cpp.

#include "platform/controls/TableView.h"

#include "platform/controls/TableIndexView.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace pf {

namespace {
// Long enough to ask a few hundred rows, short enough not to hold up a frame.
constexpr std::chrono::milliseconds kAskSlice{8};

double sane(std::optional<double> height, double fallback)
{
    double h = height.value_or(fallback);
    return std::isfinite(h) && h > 0 ? std::min(h, kMaxCoordinate) : 0;
}
}

TableView::TableView(const Rect& frame, TableViewStyle style)
    : ScrollView(frame)
    , m_style(style)
{
    setAlwaysBounceVertical(true);
    setBackgroundColor(Color::whiteColor());
}

TableView::~TableView() = default;

void TableView::setDataSourceObject(const ObjectRef& dataSource)
{
    setDataSource(std::dynamic_pointer_cast<TableViewDataSource>(dataSource));
    m_dataSourceObject = dataSource;
}

void TableView::setDataSource(const std::shared_ptr<TableViewDataSource>& dataSource)
{
    m_dataSource = dataSource;
    m_dataSourceObject = std::dynamic_pointer_cast<Object>(dataSource);
    // A new source is asked at the next layout, unless reloadData comes first.
    m_loaded = false;
    setNeedsLayout();
}

std::shared_ptr<TableViewDelegate> TableView::tableDelegate() const
{
    return std::dynamic_pointer_cast<TableViewDelegate>(delegate());
}

void TableView::setRowHeight(double height)
{
    if (std::isfinite(height) && height >= 0)
        m_rowHeight = height;
}

void TableView::setTableHeaderView(const ViewRef& view)
{
    if (m_tableHeaderView)
        m_tableHeaderView->removeFromSuperview();
    m_tableHeaderView = view;
    if (view)
        insertSubview(view, 0);
    if (m_loaded)
        reloadData();
}

void TableView::setTableFooterView(const ViewRef& view)
{
    if (m_tableFooterView)
        m_tableFooterView->removeFromSuperview();
    m_tableFooterView = view;
    if (view)
        insertSubview(view, 0);
    if (m_loaded)
        reloadData();
}

int TableView::numberOfRowsInSection(int section) const
{
    if (section < 0 || section >= numberOfSections())
        return 0;
    return m_sections[section].rowCount;
}

std::size_t TableView::Section::runOfRow(int row) const
{
    auto after = std::upper_bound(runs.begin(), runs.end(), row, [](int r, const Run& run) { return r < run.firstRow; });
    return after == runs.begin() ? 0 : static_cast<std::size_t>(after - runs.begin()) - 1;
}

std::size_t TableView::Section::runAtY(double y) const
{
    auto after = std::upper_bound(runs.begin(), runs.end(), y, [](double v, const Run& run) { return v < run.top; });
    return after == runs.begin() ? 0 : static_cast<std::size_t>(after - runs.begin()) - 1;
}

int TableView::Section::rowOfRunAtY(std::size_t run, double y) const
{
    const Run& r = runs[run];
    double rows = r.height > 0 ? std::floor((y - r.top) / r.height) : 0;
    // Bounded as a double: a point far past the run has no int of its own.
    if (!(rows > 0))
        return r.firstRow;
    return r.firstRow + static_cast<int>(std::min(rows, double(runEnd(run) - 1 - r.firstRow)));
}

void TableView::reloadData()
{
    auto keep = self();
    m_loaded = true;
    // Last row first: the pools hand cells out from their ends, so the rows
    // shown again get the cells they had, and a cell bound to the same item
    // again has nothing to redraw.
    auto shown = std::exchange(m_visible, {});
    for (auto it = shown.rbegin(); it != shown.rend(); ++it)
        recycle(it->second);
    detachSectionViews();
    m_selected.reset();
    m_swiped.reset();
    computeGeometry();
    // Rows that shrank pull the offset back from past the end; an offset above
    // the top stays, as a list holding its pull-to-refresh view open needs.
    setContentOffset(Point{contentOffset().x, std::min(contentOffset().y, maxContentOffset().y)});
    tile();
}

void TableView::computeGeometry()
{
    auto source = m_dataSource.lock();
    auto delegate = tableDelegate();
    m_sections.clear();
    int count = source ? std::max(0, source->numberOfSectionsInTableView(*this)) : 0;
    double y = m_tableHeaderView ? m_tableHeaderView->frame().height() : 0;
    if (m_tableHeaderView)
        m_tableHeaderView->setFrame(Rect(0, 0, bounds().width(), y));
    m_sections.resize(count);
    for (int s = 0; s < count; ++s) {
        Section& section = m_sections[s];
        bool titled = source->tableViewTitleForHeaderInSection(*this, s).has_value();
        std::optional<double> header = delegate ? delegate->tableViewHeightForHeaderInSection(*this, s) : std::nullopt;
        section.headerHeight = sane(header, titled ? m_sectionHeaderHeight : 0);
        section.rowCount = std::max(0, source->tableViewNumberOfRowsInSection(*this, s));
        std::optional<double> footer = delegate ? delegate->tableViewHeightForFooterInSection(*this, s) : std::nullopt;
        section.footerHeight = sane(footer, 0);
    }
    if (count > 0)
        m_sections[0].top = y;
    m_askingSection = 0;
    m_askedHeightSum = 0;
    m_askedRowCount = 0;
    m_estimatedRowHeight = delegate ? sane(delegate->tableViewEstimatedRowHeight(*this), 0) : 0;
    if (m_estimatedRowHeight > 0)
        askRowHeights([bottom = bounds().maxY()](const IndexPath&, double top) { return top <= bottom; });
    else
        askRowHeights([](const IndexPath&, double) { return true; });
    placeUnaskedRows();
    scheduleAskingRows();
    m_indexTitles = source ? source->sectionIndexTitlesForTableView(*this) : std::vector<std::string>{};
    if (m_indexTitles.empty() && m_indexView) {
        m_indexView->removeFromSuperview();
        m_indexView = nullptr;
    } else if (!m_indexTitles.empty()) {
        if (!m_indexView)
            m_indexView = std::make_shared<TableIndexView>(std::static_pointer_cast<TableView>(self()));
        m_indexView->setTitles(m_indexTitles);
    }
}

double TableView::Section::askedBottom() const
{
    if (askedRows == 0)
        return top + headerHeight;
    const Run& last = runs[runOfRow(askedRows - 1)];
    return last.top + (askedRows - last.firstRow) * last.height;
}

double TableView::Section::dropEstimatedRows()
{
    while (!runs.empty() && runs.back().firstRow >= askedRows)
        runs.pop_back();
    return askedBottom();
}

bool TableView::askRowHeights(const std::function<bool(const IndexPath&, double)>& more)
{
    // A question the delegate asks while it gives a height is answered from
    // the rows asked so far.
    if (m_asking || allRowHeightsAsked())
        return false;
    Section& first = m_sections[m_askingSection];
    double start = first.askedBottom();
    if (!more({m_askingSection, first.askedRows}, start))
        return false;
    m_asking = true;
    auto delegate = tableDelegate();
    while (m_askingSection < numberOfSections()) {
        Section& section = m_sections[m_askingSection];
        double y = section.dropEstimatedRows();
        int r = section.askedRows;
        for (; r < section.rowCount && more({m_askingSection, r}, y);) {
            std::optional<double> h = delegate ? delegate->tableViewHeightForRowAtIndexPath(*this, {m_askingSection, r}) : std::nullopt;
            double height = sane(h, m_rowHeight);
            int run = delegate ? std::clamp(delegate->tableViewRowRunLengthAtIndexPath(*this, {m_askingSection, r}), 1,
                                            section.rowCount - r)
                               : 1;
            // Like rows that follow each other share one run, whoever told.
            if (section.runs.empty() || section.runs.back().height != height)
                section.runs.push_back({r, y, height});
            y = section.runs.back().top + (r + run - section.runs.back().firstRow) * height;
            r += run;
            m_askedHeightSum += height * run;
            m_askedRowCount += run;
        }
        section.askedRows = r;
        if (r < section.rowCount)
            break;
        section.rowsBottom = y;
        y += section.footerHeight;
        if (++m_askingSection < numberOfSections())
            m_sections[m_askingSection].top = y;
        if (!more({m_askingSection, 0}, y))
            break;
    }
    m_asking = false;
    return true;
}

void TableView::placeUnaskedRows()
{
    double estimate = m_askedRowCount > 0 ? m_askedHeightSum / m_askedRowCount : m_estimatedRowHeight;
    double y = m_tableHeaderView ? m_tableHeaderView->frame().height() : 0;
    for (int s = m_askingSection; s < numberOfSections(); ++s) {
        Section& section = m_sections[s];
        if (s > m_askingSection)
            section.top = y;
        y = section.dropEstimatedRows();
        if (section.askedRows < section.rowCount) {
            if (section.runs.empty() || section.runs.back().height != estimate)
                section.runs.push_back({section.askedRows, y, estimate});
            y += (section.rowCount - section.askedRows) * estimate;
        }
        section.rowsBottom = y;
        y += section.footerHeight;
    }
    if (allRowHeightsAsked() && !m_sections.empty())
        y = m_sections.back().rowsBottom + m_sections.back().footerHeight;
    if (m_tableFooterView) {
        m_tableFooterView->setFrame(Rect(0, y, bounds().width(), m_tableFooterView->frame().height()));
        y += m_tableFooterView->frame().height();
    }
    setContentSize({bounds().width(), y});
}

void TableView::askAndPlace(const std::function<bool(const IndexPath&, double)>& more) const
{
    if (allRowHeightsAsked())
        return;
    auto self = const_cast<TableView*>(this);
    if (!self->askRowHeights(more))
        return;
    self->placeUnaskedRows();
    // Rows asked lower than the estimate shrink the content, and an offset
    // sent toward the estimated end by code would be left past the real
    // one, showing no rows (an animation toward it now ends at the real end
    // too). A finger or a glide comes back by the usual bounce.
    double end = maxContentOffset().y;
    if (contentOffset().y > end && !isTracking() && !isDecelerating())
        self->setContentOffset(Point{contentOffset().x, end});
}

void TableView::askThrough(const IndexPath& path) const
{
    askAndPlace([path](const IndexPath& next, double) { return next <= path; });
}

void TableView::askThroughY(double y) const
{
    askAndPlace([y](const IndexPath&, double top) { return top <= y; });
}

void TableView::scheduleAskingRows()
{
    if (m_askScheduled || allRowHeightsAsked() || !window())
        return;
    m_askScheduled = true;
    std::weak_ptr<View> weakSelf = self();
    // Idle work: anything posted, an answer or a touch, goes first, and a
    // slice ends as soon as something is posted.
    RunLoop::main().postWhenIdle([weakSelf] {
        auto table = std::static_pointer_cast<TableView>(weakSelf.lock());
        if (!table)
            return;
        table->m_askScheduled = false;
        if (!table->window())
            return; // asked on demand, and in slices again once it is shown
        auto until = std::chrono::steady_clock::now() + kAskSlice;
        table->askAndPlace([until](const IndexPath&, double) {
            return !RunLoop::main().hasPostedTasks() && std::chrono::steady_clock::now() < until;
        });
        table->scheduleAskingRows();
    });
}

Rect TableView::rectForRowAtIndexPath(const IndexPath& path) const
{
    if (path.section < 0 || path.section >= numberOfSections() || path.row < 0
        || path.row >= numberOfRowsInSection(path.section))
        return {};
    askThrough(path);
    const Section& s = m_sections[path.section];
    std::size_t run = s.runOfRow(path.row);
    return Rect(0, s.rowTop(run, path.row), bounds().width(), s.runs[run].height);
}

Rect TableView::rectForSection(int section) const
{
    if (section < 0 || section >= numberOfSections())
        return {};
    askThrough({section, m_sections[section].rowCount - 1});
    const Section& s = m_sections[section];
    return Rect(0, s.top, bounds().width(), s.rowsBottom + s.footerHeight - s.top);
}

std::optional<IndexPath> TableView::indexPathForRowAtPoint(Point p) const
{
    askThroughY(p.y);
    for (int s = 0; s < numberOfSections(); ++s) {
        const Section& section = m_sections[s];
        if (p.y < section.top || p.y >= section.rowsBottom || section.runs.empty())
            continue;
        if (p.y < section.runs.front().top)
            return std::nullopt; // inside the header
        // The last run starting at or above the point holds it: runs of no
        // height start where the next run does.
        std::size_t run = section.runAtY(p.y);
        const Run& r = section.runs[run];
        if (r.height <= 0)
            continue;
        int row = section.rowOfRunAtY(run, p.y);
        if (p.y < section.rowTop(run, row) + r.height)
            return IndexPath{s, row};
    }
    return std::nullopt;
}

void TableView::scrollToRowAtIndexPath(const IndexPath& path, TableViewScrollPosition position, bool animated)
{
    Rect r = rectForRowAtIndexPath(path);
    if (r.isEmpty())
        return;
    double height = bounds().height();
    double y = contentOffset().y;
    // The rows it brings into view, for an exact end to clamp to.
    askThroughY(r.maxY() + height);
    switch (position) {
    case TableViewScrollPosition::Top:
        // Under a pinned header, which would otherwise cover the row.
        y = r.minY() - (m_style == TableViewStyle::Plain ? m_sections[path.section].headerHeight : 0);
        break;
    case TableViewScrollPosition::Middle: y = r.midY() - height / 2; break;
    case TableViewScrollPosition::Bottom: y = r.maxY() - height; break;
    case TableViewScrollPosition::None:
        if (r.minY() < y)
            y = r.minY();
        else if (r.maxY() > y + height)
            y = r.maxY() - height;
        break;
    }
    y = std::clamp(y, minContentOffset().y, maxContentOffset().y);
    setContentOffset(Point{contentOffset().x, y}, animated);
}

void TableView::selectRowAtIndexPath(const IndexPath& path, bool animated)
{
    if (m_selected)
        deselectRowAtIndexPath(*m_selected, animated);
    if (rectForRowAtIndexPath(path).isEmpty())
        return;
    m_selected = path;
    if (auto cell = cellForRowAtIndexPath(path))
        cell->setSelected(true, animated);
}

void TableView::deselectRowAtIndexPath(const IndexPath& path, bool animated)
{
    if (m_selected == path)
        m_selected.reset();
    if (auto cell = cellForRowAtIndexPath(path))
        cell->setSelected(false, animated);
}

}
