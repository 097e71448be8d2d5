// Tiling: only the visible rows have cells in the tree, taken from and
// given back to the reuse pools as the table scrolls; pinned section
// headers, footers and the index strip follow the visible rect.

#include "platform/controls/Label.h"
#include "platform/controls/TableIndexView.h"
#include "platform/controls/TableView.h"
#include "platform/foundation/Log.h"

#include <algorithm>

namespace pf {

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
    stopLeaving(cell);
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

void TableView::setBounds(const Rect& newBounds)
{
    Size old = bounds().size;
    ScrollView::setBounds(newBounds);
    Size now = bounds().size;
    if (!m_loaded || (now.width <= old.width && now.height <= old.height))
        return;
    // The layout pass would tile too, but only at the next frame: until then
    // a table grown from nothing (a menu opening) would show and hit-test no
    // rows. Rows made now appear where they belong instead of flying in with
    // an animation that grows the table.
    View::animate(0, [this] { tile(); });
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
    askThroughY(bounds().maxY());
    scheduleAskingRows();
    // Asking may have pulled the offset back from past the content's end.
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
        // From the row at the visible top (or the first row) down to the
        // first row starting below the visible bottom; rows of no height
        // have no cell.
        for (std::size_t run = section.runAtY(visible.minY()); run < section.runs.size(); ++run) {
            const Run& r = section.runs[run];
            if (r.top >= visible.maxY())
                break;
            if (r.height <= 0)
                continue;
            int end = section.runEnd(run);
            int row = section.rowOfRunAtY(run, visible.minY());
            for (; row < end && section.rowTop(run, row) < visible.maxY(); ++row) {
                IndexPath path{s, row};
                if (m_visible.count(path))
                    continue;
                auto cell = makeCell(path);
                m_visible[path] = cell;
                // Rows stay below the headers, which stay below the index strip.
                insertSubview(cell, m_tableHeaderView ? 1 : 0);
            }
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
    askThrough({section, -1});
    askThroughY(m_sections[section].top + bounds().height());
    double y = std::clamp(m_sections[section].top - contentInset().top, minContentOffset().y, maxContentOffset().y);
    setContentOffset(Point{contentOffset().x, y}, false);
}

}
