// Row deletion, swipe to delete, and selecting a row by touch.

#include "platform/controls/TableView.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Touch.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace pf {

namespace {
constexpr double kRowAnimationSeconds = 0.3;
}

void TableView::detachSectionViews()
{
    for (auto& section : m_sections) {
        if (section.headerView)
            section.headerView->removeFromSuperview();
        if (section.footerView)
            section.footerView->removeFromSuperview();
    }
}

int TableView::totalRows() const
{
    int rows = 0;
    for (int s = 0; s < numberOfSections(); ++s)
        rows += numberOfRowsInSection(s);
    return rows;
}

void TableView::takeOutRows(const std::function<bool(const IndexPath&)>& gone,
                            const std::function<IndexPath(const IndexPath&)>& moved, TableViewRowAnimation animation)
{
    std::map<IndexPath, std::shared_ptr<TableViewCell>> kept;
    for (auto& [path, cell] : std::exchange(m_visible, {})) {
        if (gone(path))
            animateOut(cell, animation);
        else
            kept[moved(path)] = cell;
    }
    m_visible = std::move(kept);
    m_selected.reset();
    m_swiped.reset();
    // The sections are about to be counted again: their header and footer
    // views would otherwise stay in the tree, unowned, over the rows.
    detachSectionViews();
}

void TableView::animateOut(const std::shared_ptr<TableViewCell>& cell, TableViewRowAnimation animation)
{
    if (animation == TableViewRowAnimation::None) {
        recycle(cell);
        return;
    }
    m_leaving.push_back({cell, cell->alpha()});
    std::weak_ptr<View> weakSelf = self();
    double width = bounds().width();
    View::animate(
        kRowAnimationSeconds,
        [&] {
            Point c = cell->center();
            if (animation == TableViewRowAnimation::Fade)
                cell->setAlpha(0);
            else
                cell->setCenter({c.x + (animation == TableViewRowAnimation::Right ? width : -width), c.y});
        },
        [weakSelf, weakCell = std::weak_ptr<TableViewCell>(cell)](bool) {
            auto table = std::static_pointer_cast<TableView>(weakSelf.lock());
            auto c = weakCell.lock();
            if (!table || !c)
                return;
            auto it = std::find_if(table->m_leaving.begin(), table->m_leaving.end(),
                                   [&](const Leaving& l) { return l.cell == c; });
            // Handed out again meanwhile: it is a shown row now.
            if (it == table->m_leaving.end())
                return;
            c->setAlpha(it->alpha);
            table->m_leaving.erase(it);
            table->recycle(c);
        });
}

void TableView::stopLeaving(const std::shared_ptr<TableViewCell>& cell)
{
    auto it = std::find_if(m_leaving.begin(), m_leaving.end(), [&](const Leaving& l) { return l.cell == cell; });
    if (it == m_leaving.end())
        return;
    cell->removeAllAnimations();
    cell->setAlpha(it->alpha);
    m_leaving.erase(it);
}

void TableView::closeGaps(TableViewRowAnimation animation)
{
    auto place = [this] {
        for (auto& [path, cell] : m_visible)
            cell->setFrame(rectForRowAtIndexPath(path));
    };
    if (animation == TableViewRowAnimation::None)
        place();
    else
        View::animate(kRowAnimationSeconds, place);
    // Rows that shrank pull the offset back from past the end; an offset above
    // the top stays, as a list holding its pull-to-refresh view open needs.
    setContentOffset(Point{contentOffset().x, std::min(contentOffset().y, maxContentOffset().y)});
    tile();
}

void TableView::deleteRowsAtIndexPaths(const std::vector<IndexPath>& paths, TableViewRowAnimation animation)
{
    auto source = m_dataSource.lock();
    if (!source)
        return;
    auto keep = self();
    std::set<IndexPath> gone(paths.begin(), paths.end());
    int sections = numberOfSections();
    int expected = totalRows() - static_cast<int>(gone.size());
    takeOutRows([&](const IndexPath& path) { return gone.count(path) > 0; },
                [&](const IndexPath& path) {
                    // Cells of later rows move up: re-key them under their new rows.
                    int before = static_cast<int>(std::count_if(gone.begin(), gone.end(), [&](const IndexPath& p) {
                        return p.section == path.section && p.row < path.row;
                    }));
                    return IndexPath{path.section, path.row - before};
                },
                animation);
    computeGeometry();
    if (numberOfSections() != sections || totalRows() != expected) {
        // The data source and the deletion disagree: trust the data source.
        logLevel(LogLevel::Error, "TableView: %d rows after deleting %zu of %d", totalRows(), gone.size(),
                 expected + static_cast<int>(gone.size()));
        reloadData();
        return;
    }
    closeGaps(animation);
}

void TableView::deleteSections(const std::vector<int>& sections, TableViewRowAnimation animation)
{
    auto source = m_dataSource.lock();
    if (!source)
        return;
    auto keep = self();
    std::set<int> gone(sections.begin(), sections.end());
    int expectedSections = numberOfSections() - static_cast<int>(gone.size());
    int expectedRows = totalRows();
    bool known = true;
    for (int s : gone) {
        known = known && s >= 0 && s < numberOfSections();
        expectedRows -= numberOfRowsInSection(s);
    }
    takeOutRows([&](const IndexPath& path) { return gone.count(path.section) > 0; },
                [&](const IndexPath& path) {
                    int before = static_cast<int>(std::count_if(gone.begin(), gone.end(), [&](int s) { return s < path.section; }));
                    return IndexPath{path.section - before, path.row};
                },
                animation);
    computeGeometry();
    if (!known || numberOfSections() != expectedSections || totalRows() != expectedRows) {
        logLevel(LogLevel::Error, "TableView: %d sections after deleting %zu, %d expected", numberOfSections(),
                 gone.size(), expectedSections);
        reloadData();
        return;
    }
    closeGaps(animation);
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
    if (!m_swiping)
        return;
    IndexPath path = *m_swiping;
    auto cell = cellForRowAtIndexPath(path);
    if (state == GestureState::Began || state == GestureState::Changed) {
        if (cell)
            cell->setSwipeTravel(translation.x);
        return;
    }
    m_swiping.reset();
    if (cell)
        cell->setSwipeTravel(0);
    if (!cell || state != GestureState::Ended || translation.x > -30)
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
    m_pressedAt = touches.front()->locationInWindow();
    if (m_pressed)
        if (auto cell = cellForRowAtIndexPath(*m_pressed))
            cell->setHighlighted(true);
}

void TableView::touchesMoved(const TouchSet& touches)
{
    // A drag the table's pan does not take (sideways over a row that cannot
    // be deleted) still ends here, and must not select the row.
    constexpr double slop = 10;
    if (!m_pressed || touches.empty())
        return;
    Point moved = touches.front()->locationInWindow() - m_pressedAt;
    if (std::hypot(moved.x, moved.y) > slop)
        touchesCancelled(touches);
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
