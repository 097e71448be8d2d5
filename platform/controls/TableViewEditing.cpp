// Row deletion, swipe to delete, and selecting a row by touch.

#include "platform/controls/TableView.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Touch.h"

#include <algorithm>
#include <cmath>

namespace pf {

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
