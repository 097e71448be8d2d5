#include "platform/controls/TableView.h"

#include "platform/controls/Label.h"
#include "platform/controls/TableIndexView.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Touch.h"

#include <algorithm>
#include <cmath>

namespace pf {

namespace {
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
    return static_cast<int>(m_sections[section].rowHeights.size());
}

void TableView::reloadData()
{
    auto keep = self();
    m_loaded = true;
    for (auto& [path, cell] : std::exchange(m_visible, {}))
        recycle(cell);
    for (auto& section : m_sections) {
        if (section.headerView)
            section.headerView->removeFromSuperview();
        if (section.footerView)
            section.footerView->removeFromSuperview();
    }
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
        section.top = y;
        bool titled = source->tableViewTitleForHeaderInSection(*this, s).has_value();
        std::optional<double> header = delegate ? delegate->tableViewHeightForHeaderInSection(*this, s) : std::nullopt;
        section.headerHeight = sane(header, titled ? m_sectionHeaderHeight : 0);
        y += section.headerHeight;
        int rows = std::max(0, source->tableViewNumberOfRowsInSection(*this, s));
        section.rowTops.reserve(rows);
        section.rowHeights.reserve(rows);
        for (int r = 0; r < rows; ++r) {
            std::optional<double> h = delegate ? delegate->tableViewHeightForRowAtIndexPath(*this, {s, r}) : std::nullopt;
            double height = sane(h, m_rowHeight);
            section.rowTops.push_back(y);
            section.rowHeights.push_back(height);
            y += height;
        }
        section.rowsBottom = y;
        std::optional<double> footer = delegate ? delegate->tableViewHeightForFooterInSection(*this, s) : std::nullopt;
        section.footerHeight = sane(footer, 0);
        y += section.footerHeight;
    }
    if (m_tableFooterView) {
        m_tableFooterView->setFrame(Rect(0, y, bounds().width(), m_tableFooterView->frame().height()));
        y += m_tableFooterView->frame().height();
    }
    setContentSize({bounds().width(), y});
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

Rect TableView::rectForRowAtIndexPath(const IndexPath& path) const
{
    if (path.section < 0 || path.section >= numberOfSections() || path.row < 0
        || path.row >= numberOfRowsInSection(path.section))
        return {};
    const Section& s = m_sections[path.section];
    return Rect(0, s.rowTops[path.row], bounds().width(), s.rowHeights[path.row]);
}

Rect TableView::rectForSection(int section) const
{
    if (section < 0 || section >= numberOfSections())
        return {};
    const Section& s = m_sections[section];
    return Rect(0, s.top, bounds().width(), s.rowsBottom + s.footerHeight - s.top);
}

std::optional<IndexPath> TableView::indexPathForRowAtPoint(Point p) const
{
    for (int s = 0; s < numberOfSections(); ++s) {
        const Section& section = m_sections[s];
        if (p.y < section.top || p.y >= section.rowsBottom || section.rowTops.empty())
            continue;
        auto it = std::upper_bound(section.rowTops.begin(), section.rowTops.end(), p.y);
        if (it == section.rowTops.begin())
            return std::nullopt; // inside the header
        int row = static_cast<int>(it - section.rowTops.begin()) - 1;
        if (p.y < section.rowTops[row] + section.rowHeights[row])
            return IndexPath{s, row};
    }
    return std::nullopt;
}

std::shared_ptr<TableViewCell> TableView::dequeueReusableCellWithIdentifier(const std::string& identifier)
{
    auto it = m_reuse.find(identifier);
    if (it == m_reuse.end() || it->second.empty())
        return nullptr;
    auto cell = it->second.back();
    it->second.pop_back();
    cell->prepareForReuse();
    return cell;
}

void TableView::recycle(const std::shared_ptr<TableViewCell>& cell)
{
    cell->removeFromSuperview();
    if (!cell->reuseIdentifier().empty())
        m_reuse[cell->reuseIdentifier()].push_back(cell);
}

std::shared_ptr<TableViewCell> TableView::cellForRowAtIndexPath(const IndexPath& path) const
{
    auto it = m_visible.find(path);
    return it == m_visible.end() ? nullptr : it->second;
}

std::optional<IndexPath> TableView::indexPathForCell(const TableViewCell& cell) const
{
    for (auto& [path, c] : m_visible)
        if (c.get() == &cell)
            return path;
    return std::nullopt;
}

std::vector<std::shared_ptr<TableViewCell>> TableView::visibleCells() const
{
    std::vector<std::shared_ptr<TableViewCell>> cells;
    for (auto& [path, cell] : m_visible)
        cells.push_back(cell);
    return cells;
}

std::vector<IndexPath> TableView::indexPathsForVisibleRows() const
{
    std::vector<IndexPath> paths;
    for (auto& [path, cell] : m_visible)
        paths.push_back(path);
    return paths;
}

std::shared_ptr<TableViewCell> TableView::makeCell(const IndexPath& path)
{
    auto source = m_dataSource.lock();
    auto cell = source ? source->tableViewCellForRowAtIndexPath(*this, path) : nullptr;
    if (!cell) {
        // A data source that answers no cell gets an empty row rather than a crash.
        logLevel(LogLevel::Error, "TableView: no cell for row %d in section %d", path.row, path.section);
        cell = std::make_shared<TableViewCell>();
    }
    // A data source that keeps its own cells (fixed rows) hands one out
    // again without dequeuing it: in use, it must not wait in the pool too.
    if (auto pool = m_reuse.find(cell->reuseIdentifier()); pool != m_reuse.end())
        std::erase(pool->second, cell);
    cell->setFrame(rectForRowAtIndexPath(path));
    cell->setSelected(m_selected == path);
    if (auto delegate = tableDelegate())
        delegate->tableViewWillDisplayCell(*this, *cell, path);
    return cell;
}

void TableView::setContentOffset(Point offset)
{
    ScrollView::setContentOffset(offset);
    if (m_loaded)
        tile();
}

void TableView::layoutSubviews()
{
    if (!m_loaded) {
        reloadData();
        return;
    }
    tile();
}

void TableView::tile()
{
    // A data source asked for cells may scroll the table again.
    if (m_tiling || !m_loaded)
        return;
    m_tiling = true;
    auto keep = self();
    Rect visible = bounds();
    // Rows that left the visible rect give their cells back first, so the new ones can reuse them.
    for (auto it = m_visible.begin(); it != m_visible.end();) {
        Rect r = rectForRowAtIndexPath(it->first);
        if (r.isEmpty() || !r.intersects(visible)) {
            recycle(it->second);
            it = m_visible.erase(it);
        } else {
            ++it;
        }
    }
    for (int s = 0; s < numberOfSections(); ++s) {
        const Section& section = m_sections[s];
        if (section.rowsBottom <= visible.minY() || section.top >= visible.maxY())
            continue;
        auto first = std::upper_bound(section.rowTops.begin(), section.rowTops.end(), visible.minY());
        int row = first == section.rowTops.begin() ? 0 : static_cast<int>(first - section.rowTops.begin()) - 1;
        for (; row < static_cast<int>(section.rowTops.size()) && section.rowTops[row] < visible.maxY(); ++row) {
            IndexPath path{s, row};
            if (section.rowHeights[row] <= 0 || m_visible.count(path))
                continue;
            auto cell = makeCell(path);
            m_visible[path] = cell;
            // Rows stay below the headers, which stay below the index strip.
            insertSubview(cell, m_tableHeaderView ? 1 : 0);
        }
    }
    layoutHeaders(visible);
    layoutIndex();
    m_tiling = false;
}

ViewRef TableView::headerViewFor(int section)
{
    auto delegate = tableDelegate();
    if (ViewRef view = delegate ? delegate->tableViewViewForHeaderInSection(*this, section) : nullptr)
        return view;
    auto source = m_dataSource.lock();
    auto title = source ? source->tableViewTitleForHeaderInSection(*this, section) : std::nullopt;
    if (!title)
        return nullptr;
    auto label = std::make_shared<Label>();
    label->setText("  " + *title);
    label->setFont(Font::boldSystem(16));
    label->setTextColor(Color::whiteColor());
    label->setBackgroundColor(Color::fromRgbHex(0x90a0b0, 0.9));
    return label;
}

void TableView::layoutHeaders(const Rect& visible)
{
    double pinTop = visible.minY() + contentInset().top;
    for (int s = 0; s < numberOfSections(); ++s) {
        Section& section = m_sections[s];
        bool shown = section.headerHeight > 0 && section.rowsBottom + section.footerHeight > visible.minY()
            && section.top < visible.maxY();
        if (!shown) {
            if (section.headerView)
                section.headerView->removeFromSuperview();
            continue;
        }
        if (!section.headerView)
            section.headerView = headerViewFor(s);
        if (!section.headerView)
            continue;
        double y = section.top;
        // Plain tables pin the header under the top edge until the section's
        // end pushes it away.
        if (m_style == TableViewStyle::Plain)
            y = std::clamp(pinTop, section.top, std::max(section.top, section.rowsBottom - section.headerHeight));
        section.headerView->setFrame(Rect(0, y, visible.width(), section.headerHeight));
        addSubview(section.headerView);
    }
    layoutFooters(visible);
}

void TableView::layoutFooters(const Rect& visible)
{
    auto delegate = tableDelegate();
    for (int s = 0; s < numberOfSections(); ++s) {
        Section& section = m_sections[s];
        double bottom = section.rowsBottom + section.footerHeight;
        if (section.footerHeight <= 0 || bottom <= visible.minY() || section.rowsBottom >= visible.maxY()) {
            if (section.footerView)
                section.footerView->removeFromSuperview();
            continue;
        }
        if (!section.footerView && delegate)
            section.footerView = delegate->tableViewViewForFooterInSection(*this, s);
        if (!section.footerView)
            continue;
        section.footerView->setFrame(Rect(0, section.rowsBottom, visible.width(), section.footerHeight));
        if (section.footerView->superview().get() != this)
            insertSubview(section.footerView, 0);
    }
}

void TableView::layoutIndex()
{
    if (!m_indexView)
        return;
    Rect b = bounds();
    double width = 20;
    m_indexView->setFrame(Rect(b.maxX() - width, b.minY() + contentInset().top, width, b.height() - contentInset().top));
    addSubview(m_indexView);
}

void TableView::jumpToSectionIndex(int index)
{
    auto source = m_dataSource.lock();
    if (!source || index < 0 || index >= static_cast<int>(m_indexTitles.size()))
        return;
    int section = source->tableViewSectionForSectionIndexTitle(*this, m_indexTitles[index], index);
    if (section < 0 || section >= numberOfSections())
        return;
    double y = std::clamp(m_sections[section].top - contentInset().top, minContentOffset().y, maxContentOffset().y);
    setContentOffset(Point{contentOffset().x, y}, false);
}

void TableView::scrollToRowAtIndexPath(const IndexPath& path, TableViewScrollPosition position, bool animated)
{
    Rect r = rectForRowAtIndexPath(path);
    if (r.isEmpty())
        return;
    double height = bounds().height();
    double y = contentOffset().y;
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

void TableView::deleteRowsAtIndexPaths(const std::vector<IndexPath>& paths)
{
    auto source = m_dataSource.lock();
    if (!source)
        return;
    for (auto& path : paths) {
        auto it = m_visible.find(path);
        if (it != m_visible.end()) {
            recycle(it->second);
            m_visible.erase(it);
        }
    }
    // Cells of later rows move up: re-key them under their new rows.
    std::map<IndexPath, std::shared_ptr<TableViewCell>> moved;
    for (auto& entry : m_visible) {
        const IndexPath& path = entry.first;
        int before = static_cast<int>(std::count_if(paths.begin(), paths.end(), [&path](const IndexPath& p) {
            return p.section == path.section && p.row < path.row;
        }));
        moved[{path.section, path.row - before}] = entry.second;
    }
    m_visible = std::move(moved);
    m_selected.reset();
    m_swiped.reset();
    int expected = 0, actual = 0;
    for (int s = 0; s < numberOfSections(); ++s)
        expected += numberOfRowsInSection(s);
    computeGeometry();
    for (int s = 0; s < numberOfSections(); ++s)
        actual += numberOfRowsInSection(s);
    if (actual != expected - static_cast<int>(paths.size())) {
        // The data source and the deletion disagree: trust the data source.
        logLevel(LogLevel::Error, "TableView: %d rows after deleting %zu of %d", actual, paths.size(), expected);
        reloadData();
        return;
    }
    for (auto& [path, cell] : m_visible)
        cell->setFrame(rectForRowAtIndexPath(path));
    // Rows that shrank pull the offset back from past the end; an offset above
    // the top stays, as a list holding its pull-to-refresh view open needs.
    setContentOffset(Point{contentOffset().x, std::min(contentOffset().y, maxContentOffset().y)});
    tile();
}

void TableView::hideDeleteConfirmation()
{
    if (!m_swiped)
        return;
    if (auto cell = cellForRowAtIndexPath(*m_swiped))
        cell->hideDeleteConfirmation();
    m_swiped.reset();
}

bool TableView::takesDrag(Point translation, Point location)
{
    auto source = m_dataSource.lock();
    if (!source || translation.x >= 0 || std::abs(translation.x) <= std::abs(translation.y))
        return false;
    auto path = indexPathForRowAtPoint(location);
    if (!path || !source->tableViewCanEditRowAtIndexPath(*this, *path))
        return false;
    m_swiping = path;
    return true;
}

void TableView::takenDragMoved(GestureState state, Point translation)
{
    if (state != GestureState::Ended || !m_swiping)
        return;
    IndexPath path = *m_swiping;
    m_swiping.reset();
    auto cell = cellForRowAtIndexPath(path);
    if (!cell || translation.x > -30)
        return;
    hideDeleteConfirmation();
    auto delegate = tableDelegate();
    std::string title = delegate ? delegate->tableViewTitleForDeleteConfirmationButtonForRowAtIndexPath(*this, path)
                                 : std::string("删除");
    std::weak_ptr<View> weakSelf = self();
    cell->showDeleteConfirmation(title, [weakSelf, cellRef = std::weak_ptr<TableViewCell>(cell)] {
        auto table = std::static_pointer_cast<TableView>(weakSelf.lock());
        auto c = cellRef.lock();
        auto source = table ? table->m_dataSource.lock() : nullptr;
        if (!table || !c || !source)
            return;
        // The row may have moved since the swipe.
        if (auto now = table->indexPathForCell(*c)) {
            table->hideDeleteConfirmation();
            source->tableViewCommitEditingStyle(*table, TableViewCellEditingStyle::Delete, *now);
        }
    });
    m_swiped = path;
}

void TableView::touchesBegan(const TouchSet& touches)
{
    if (touches.empty())
        return;
    Point p = touches.front()->locationInView(this);
    if (m_swiped) {
        // A touch anywhere but the delete button puts the row back.
        hideDeleteConfirmation();
        return;
    }
    m_pressed = indexPathForRowAtPoint(p);
    if (m_pressed)
        if (auto cell = cellForRowAtIndexPath(*m_pressed))
            cell->setHighlighted(true);
}

void TableView::touchesEnded(const TouchSet& touches)
{
    auto pressed = std::exchange(m_pressed, std::nullopt);
    if (!pressed || touches.empty())
        return;
    auto keep = self();
    if (auto cell = cellForRowAtIndexPath(*pressed))
        cell->setHighlighted(false);
    if (indexPathForRowAtPoint(touches.front()->locationInView(this)) != pressed)
        return;
    selectRowAtIndexPath(*pressed, false);
    if (auto delegate = tableDelegate())
        delegate->tableViewDidSelectRowAtIndexPath(*this, *pressed);
}

void TableView::touchesCancelled(const TouchSet&)
{
    if (auto pressed = std::exchange(m_pressed, std::nullopt))
        if (auto cell = cellForRowAtIndexPath(*pressed))
            cell->setHighlighted(false);
}

}
