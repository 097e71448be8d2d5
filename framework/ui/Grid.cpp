#include "framework/ui/Grid.h"

#include "framework/ui/GridColumn.h"
#include "framework/ui/GridRow.h"
#include "platform/controls/DateFormatter.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"

#include <algorithm>

namespace {

template <class T> bool eraseAt(std::vector<T>& list, std::size_t index, const char* what)
{
    if (index >= list.size()) {
        pf::log("Grid: %s index %zu out of range (%zu)", what, index, list.size());
        return false;
    }
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

// Whether a row from `y`, `height` high, reaches into the clip's box.
bool spansRows(const pf::Rect& clip, double y, double height)
{
    return y < clip.maxY() && y + height > clip.origin.y;
}

}

std::shared_ptr<GridRow> Grid::addDataRow(const pf::Value& data)
{
    return insertDataRow(data, m_dataRows.size());
}

std::shared_ptr<GridRow> Grid::insertDataRow(const pf::Value& data, std::size_t index)
{
    if (index > m_dataRows.size()) {
        pf::log("Grid: row index %zu out of range (%zu)", index, m_dataRows.size());
        return nullptr;
    }
    auto row = std::make_shared<GridRow>(*this, data);
    m_dataRows.insert(m_dataRows.begin() + static_cast<std::ptrdiff_t>(index), row);
    return row;
}

void Grid::removeDataRowAt(std::size_t index) { eraseAt(m_dataRows, index, "row"); }

void Grid::removeDataRow(const std::shared_ptr<GridRow>& row) { std::erase(m_dataRows, row); }

void Grid::removeAllDataRows() { m_dataRows.clear(); }

std::shared_ptr<GridColumn> Grid::addColumn()
{
    auto column = insertColumnAt(m_columns.size());
    column->setTitleColor(m_columnTitleColor);
    column->setTitleFont(m_columnTitleFont);
    return column;
}

std::shared_ptr<GridColumn> Grid::insertColumnAt(std::size_t index)
{
    if (index > m_columns.size()) {
        pf::log("Grid: column index %zu out of range (%zu)", index, m_columns.size());
        return nullptr;
    }
    auto column = std::make_shared<GridColumn>();
    column->setGrid(weak_from_this());
    m_columns.insert(m_columns.begin() + static_cast<std::ptrdiff_t>(index), column);
    return column;
}

void Grid::removeColumnAt(std::size_t index) { eraseAt(m_columns, index, "column"); }

void Grid::removeColumn(const std::shared_ptr<GridColumn>& column) { std::erase(m_columns, column); }

void Grid::removeAllColumns() { m_columns.clear(); }

std::size_t Grid::countedRows() const
{
    std::size_t all = m_dataRows.size();
    return m_limitRows > 0 ? std::min(all, static_cast<std::size_t>(m_limitRows)) : all;
}

double Grid::effectiveSplitWidth() const { return m_columnSplitWidth > 0 ? m_columnSplitWidth : 0; }

pf::Color Grid::rowSplitColorOrDefault() const { return m_rowSplitColor.value_or(defaultSplitColor()); }

void Grid::updateSize()
{
    double split = effectiveSplitWidth();
    double width = 0;
    if (!m_columns.empty()) {
        width = static_cast<double>(m_columns.size() + 1) * split;
        for (const auto& column : m_columns)
            width += column->width();
    }
    double rowSplit = m_rowSplitHeight > 0 ? m_rowSplitHeight : 0;
    std::size_t counted = countedRows();
    double height = 0;
    if (counted > 0) {
        height = static_cast<double>(counted + 1) * rowSplit;
        for (std::size_t i = 0; i < counted; ++i)
            height += m_dataRows[i]->height();
    }
    m_size = {width, height};
}

void Grid::drawHeadToContext(pf::GraphicsContext& context, const pf::Rect& rect)
{
    double split = effectiveSplitWidth();
    pf::Color splitColor = m_columnSplitColor.value_or(defaultSplitColor());
    double x = rect.origin.x, y = rect.origin.y, h = rect.size.height;
    for (const auto& column : m_columns) {
        if (split > 0) {
            context.fillRect({x, y, split, h}, splitColor);
            x += split;
        }
        context.save();
        context.translate(x, y);
        context.clipToRect({0, 0, column->width(), h});
        column->drawToContext(context, {0, 0, column->width(), h});
        context.restore();
        x += column->width();
    }
    if (split > 0 && !m_columns.empty())
        context.fillRect({x, y, split, h}, splitColor);
}

void Grid::drawDataToContext(pf::GraphicsContext& context, const pf::Rect& rect)
{
    double h = m_rowSplitHeight;
    pf::Color color = rowSplitColorOrDefault();
    double y = rect.origin.y;
    // Rows outside the clip would draw nothing: only their place is counted.
    pf::Rect clip = context.clipBounds();
    std::size_t counted = countedRows();
    for (std::size_t i = 0; i < counted; ++i) {
        const auto& row = m_dataRows[i];
        if (h > 0) {
            context.fillRect({rect.origin.x, y, rect.size.width, h}, color);
            y += h;
        }
        if (spansRows(clip, y, row->height())) {
            context.save();
            context.translate(rect.origin.x, y);
            context.clipToRect({0, 0, rect.size.width, row->height()});
            row->drawToContext(context, {0, 0, rect.size.width, row->height()});
            context.restore();
        }
        color = row->nextSplitColor().value_or(m_rowSplitColor.value_or(color));
        y += row->height();
    }
    if (h > 0 && counted > 0)
        context.fillRect({rect.origin.x, y, rect.size.width, h}, color);
}

Grid::Block Grid::apposeBlock(int count, bool left) const
{
    std::size_t n = m_columns.size();
    // A negative count read as unsigned is huge: every column is frozen.
    std::size_t taken = std::min(static_cast<std::size_t>(static_cast<unsigned>(count)), n);
    Block block;
    block.first = left ? 0 : n - taken;
    block.end = left ? taken : n;
    block.width = taken > 0 ? static_cast<double>(taken + 1) * effectiveSplitWidth() : 0;
    for (std::size_t i = block.first; i < block.end; ++i)
        block.width += m_columns[i]->width();
    return block;
}

void Grid::drawApposeHeadToContext(pf::GraphicsContext& context, const pf::Rect& rect)
{
    double split = effectiveSplitWidth();
    pf::Color splitColor = m_columnSplitColor.value_or(defaultSplitColor());
    double y = rect.origin.y, h = rect.size.height;
    auto drawColumn = [&](GridColumn& column, double x) {
        if (m_columnBackgroundColor)
            context.fillRect({x, y, column.width(), h}, *m_columnBackgroundColor);
        context.save();
        context.translate(x, y);
        context.clipToRect({0, 0, column.width(), h});
        column.drawToContext(context, {0, 0, column.width(), h});
        context.restore();
    };
    Block left = apposeBlock(m_apposeLeftColumns, true);
    double x = rect.origin.x;
    for (std::size_t i = left.first; i < left.end; ++i) {
        if (split > 0) {
            context.fillRect({x, y, split, h}, splitColor);
            x += split;
        }
        drawColumn(*m_columns[i], x);
        x += m_columns[i]->width();
    }
    if (split > 0 && left.end > left.first)
        context.fillRect({x, y, split, h}, splitColor);

    Block right = apposeBlock(m_apposeRightColumns, false);
    x = rect.origin.x + rect.size.width;
    for (std::size_t i = right.end; i > right.first; --i) {
        if (split > 0) {
            x -= split;
            context.fillRect({x, y, split, h}, splitColor);
        }
        x -= m_columns[i - 1]->width();
        drawColumn(*m_columns[i - 1], x);
    }
    if (split > 0 && right.end > right.first)
        context.fillRect({x - split, y, split, h}, splitColor);
}

void Grid::drawApposeDataToContext(pf::GraphicsContext& context, const pf::Rect& rect)
{
    Block left = apposeBlock(m_apposeLeftColumns, true);
    if (left.end > left.first)
        drawApposeDataBlock(context, rect, left, rect.origin.x);
    Block right = apposeBlock(m_apposeRightColumns, false);
    if (right.end > right.first)
        drawApposeDataBlock(context, rect, right, rect.origin.x + rect.size.width - right.width);
}

void Grid::drawApposeDataBlock(pf::GraphicsContext& context, const pf::Rect& rect, const Block& block, double x)
{
    double split = effectiveSplitWidth();
    double h = m_rowSplitHeight;
    pf::Color color = rowSplitColorOrDefault();
    pf::Color cellSplit = m_dataSplitColor.value_or(defaultSplitColor());
    double y = rect.origin.y;
    pf::Rect clip = context.clipBounds();
    std::size_t counted = countedRows();
    for (std::size_t r = 0; r < counted; ++r) {
        const auto& row = m_dataRows[r];
        double rowHeight = row->height();
        if (h > 0) {
            context.fillRect({x, y, block.width, h}, color);
            y += h;
        }
        if (!spansRows(clip, y, rowHeight)) {
            color = row->nextSplitColor().value_or(m_rowSplitColor.value_or(color));
            y += rowHeight;
            continue;
        }
        if (row->backgroundColor())
            context.fillRect({x, y, block.width, rowHeight}, *row->backgroundColor());
        context.save();
        context.translate(x, y);
        context.clipToRect({0, 0, block.width, rowHeight});
        double endX = 0;
        auto boxes = row->cellBoxes(block.first, block.end, split, endX);
        for (const auto& box : boxes) {
            if (split > 0)
                context.fillRect({box.x - split, 0, split, rowHeight}, cellSplit);
            context.save();
            context.translate(box.x, 0);
            context.clipToRect({0, 0, box.width, rowHeight});
            row->cells()[box.index]->drawToContext(context, {0, 0, box.width, rowHeight});
            context.restore();
        }
        if (split > 0 && !boxes.empty())
            context.fillRect({endX, 0, split, rowHeight}, cellSplit);
        context.restore();
        color = row->nextSplitColor().value_or(m_rowSplitColor.value_or(color));
        y += rowHeight;
    }
    if (h > 0 && counted > 0)
        context.fillRect({x, y, block.width, h}, color);
}

void Grid::applyCellViewTo(pf::View& host, const pf::Rect& rect)
{
    double h = m_rowSplitHeight;
    double y = rect.origin.y;
    std::size_t counted = countedRows();
    for (std::size_t i = 0; i < counted; ++i) {
        const auto& row = m_dataRows[i];
        if (h > 0)
            y += h;
        row->applyCellViewTo(host, {rect.origin.x, y, rect.size.width, row->height()});
        y += row->height();
    }
}

const std::shared_ptr<pf::DateFormatter>& Grid::dateFormatter()
{
    if (!m_dateFormatter)
        m_dateFormatter = std::make_shared<pf::DateFormatter>("yyyy-MM-dd");
    return m_dateFormatter;
}
