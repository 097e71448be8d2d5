#include "platform/web/LayoutShape.h"

#include "platform/web/HtmlSanitizer.h"

#include <litehtml.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

namespace pf {

namespace {

bool isTable(litehtml::style_display d)
{
    return d == litehtml::display_table || d == litehtml::display_inline_table;
}

// Parts that belong inside a table box; the renderer wraps them in one when
// their parent is not the box they belong in.
bool isTablePart(litehtml::style_display d)
{
    return d == litehtml::display_table_row_group || d == litehtml::display_table_header_group
        || d == litehtml::display_table_footer_group || d == litehtml::display_table_row
        || d == litehtml::display_table_cell;
}

// Whether the children of an element of display `d` lie in the same table
// as it when they are table parts. A cell's content is a new block, so a
// cell within a cell is a table within a table.
bool holdsTableParts(litehtml::style_display d)
{
    return isTable(d) || (isTablePart(d) && d != litehtml::display_table_cell);
}

// Boxes whose width comes from what they hold, other than tables (which are
// counted as table levels).
bool shrinksToFit(const litehtml::element& element, litehtml::style_display d)
{
    if (element.get_float() != litehtml::float_none || d == litehtml::display_inline_block)
        return true;
    auto position = element.get_element_position();
    return position == litehtml::element_position_absolute || position == litehtml::element_position_fixed;
}

bool hasMarker(const litehtml::element& item)
{
    const char* type = item.get_style_property("list-style-type", true, "disc");
    const char* image = item.get_style_property("list-style-image", true, nullptr);
    return (type && std::strcmp(type, "none") != 0) || (image && *image);
}

// Keeps the weights finite however deep the page nests; far past any budget.
constexpr double kMaxWeight = 1e30;

bool isRowGroup(litehtml::style_display d)
{
    return d == litehtml::display_table_row_group || d == litehtml::display_table_header_group
        || d == litehtml::display_table_footer_group;
}

// A cell's span as the renderer reads it; the page was written back with
// spans from 1 to kMaxHtmlTableSpan.
int span(const litehtml::element& cell, const char* name)
{
    const char* value = cell.get_attr(name);
    return value ? std::clamp(std::atoi(value), 1, kMaxHtmlTableSpan) : 1;
}

// The rows of one table's grid as they come, each with the cells that
// start in it (spans as pairs). The renderer finds rows among the table's
// children and inside row groups, and cells among a row's children and
// inside row groups within it; a run of other children is taken as one
// more row or cell, as a wrapper the renderer may add would hold them.
class GridCounter {
public:
    void addRows(const litehtml::element& parent)
    {
        bool strayRow = false;
        for (size_t i = 0; i < parent.get_children_count(); ++i) {
            auto child = parent.get_child(int(i));
            if (!child)
                continue;
            auto d = child->get_display();
            if (isRowGroup(d)) {
                addRows(*child);
                strayRow = false;
            } else if (d == litehtml::display_table_row) {
                m_rows.emplace_back();
                addCells(*child);
                strayRow = false;
            } else if (d == litehtml::display_table_cell || !child->is_white_space()) {
                if (!strayRow)
                    m_rows.emplace_back();
                strayRow = true;
                m_rows.back().emplace_back(d == litehtml::display_table_cell ? span(*child, "colspan") : 1,
                                           d == litehtml::display_table_cell ? span(*child, "rowspan") : 1);
            }
        }
    }

    // Rows by columns, where a row is as wide as its own cells and the
    // cells above that span down into it.
    double cells() const
    {
        size_t rows = m_rows.size();
        for (size_t r = 0; r < m_rows.size(); ++r) {
            for (auto [colspan, rowspan] : m_rows[r])
                rows = std::max(rows, r + size_t(rowspan));
        }
        std::vector<double> carried(rows + 1, 0);
        double columns = 0, running = 0;
        for (size_t r = 0; r < rows; ++r) {
            running += carried[r];
            double own = 0;
            if (r < m_rows.size()) {
                for (auto [colspan, rowspan] : m_rows[r]) {
                    own += colspan;
                    if (rowspan > 1) {
                        carried[r + 1] += colspan;
                        carried[r + size_t(rowspan)] -= colspan;
                    }
                }
            }
            columns = std::max(columns, own + running);
        }
        return double(rows) * columns;
    }

private:
    void addCells(const litehtml::element& row)
    {
        bool strayCell = false;
        for (size_t i = 0; i < row.get_children_count(); ++i) {
            auto child = row.get_child(int(i));
            if (!child)
                continue;
            auto d = child->get_display();
            if (isRowGroup(d)) {
                addCells(*child);
                strayCell = false;
            } else if (d == litehtml::display_table_cell) {
                m_rows.back().emplace_back(span(*child, "colspan"), span(*child, "rowspan"));
                strayCell = false;
            } else if (!strayCell && !child->is_white_space()) {
                m_rows.back().emplace_back(1, 1);
                strayCell = true;
            }
        }
    }

    std::vector<std::vector<std::pair<int, int>>> m_rows;
};

// The grids of all tables under `root`, hidden ones included. Table parts
// outside a table are counted as a table of their own per parent.
double gridCellsOf(const litehtml::element& root)
{
    double cells = 0;
    std::vector<const litehtml::element*> stack{&root};
    while (!stack.empty()) {
        const auto* element = stack.back();
        stack.pop_back();
        auto display = element->get_display();
        if (isTable(display)) {
            GridCounter grid;
            grid.addRows(*element);
            cells += grid.cells();
        } else if (!holdsTableParts(display)) {
            bool strays = false;
            for (size_t i = 0; i < element->get_children_count() && !strays; ++i) {
                if (auto child = element->get_child(int(i)))
                    strays = isTablePart(child->get_display());
            }
            if (strays) {
                GridCounter grid;
                grid.addRows(*element);
                cells += grid.cells();
            }
        }
        for (size_t i = element->get_children_count(); i-- > 0;) {
            if (auto child = element->get_child(int(i)))
                stack.push_back(child.get());
        }
    }
    return cells;
}

// Each positioned box holds the positioned boxes below it up to the next
// positioned ones (the root holds those no other holds), and draws them one
// distinct z-index at a time, each time walking all it holds down to them.
double layerWalksOf(const litehtml::element& root)
{
    struct Holder {
        double elements = 0;
        std::set<int> layers;
    };
    std::vector<Holder> holders(1);
    std::vector<std::pair<const litehtml::element*, size_t>> stack{{&root, 0}};
    while (!stack.empty()) {
        auto [element, holder] = stack.back();
        stack.pop_back();
        for (size_t i = 0; i < element->get_children_count(); ++i) {
            auto child = element->get_child(int(i));
            if (!child)
                continue;
            ++holders[holder].elements;
            if (child->get_display() == litehtml::display_none)
                continue;
            if (child->is_positioned()) {
                holders[holder].layers.insert(child->get_zindex());
                holders.emplace_back();
                stack.push_back({child.get(), holders.size() - 1});
            } else {
                stack.push_back({child.get(), holder});
            }
        }
    }
    double walks = 0;
    for (const auto& holder : holders)
        walks += holder.elements * double(holder.layers.size());
    return walks;
}

}

LayoutShape layoutShapeOf(const litehtml::element& root)
{
    LayoutShape shape;
    // Each entry: an element, the number of table levels it lies in, whether
    // its parent holds table parts, and how many boxes sized by their
    // content lie around it. The tree is bounded in depth, but walked
    // without recursion all the same.
    struct Pending {
        const litehtml::element* element;
        int levels;
        bool inTable;
        int shrinks;
    };
    std::vector<Pending> stack{{&root, 0, false, 0}};
    while (!stack.empty()) {
        auto [element, levels, inTable, shrinks] = stack.back();
        stack.pop_back();
        auto display = element->get_display();
        if (display == litehtml::display_none)
            continue;
        if (isTable(display) || (isTablePart(display) && !inTable))
            ++levels;
        double renders = std::pow(kTableRenderFactor, levels);
        shape.extraRenders += renders - 1;
        if (element->get_float() != litehtml::float_none) {
            ++shape.floats;
            double weight = renders * std::pow(kShrinkRenderFactor, shrinks);
            if (levels > 0 || shrinks >= 2)
                weight *= kNarrowFloatFactor;
            shape.floatRenders += std::min(weight, kMaxWeight);
        }
        if (display == litehtml::display_list_item && hasMarker(*element))
            ++shape.markers;
        bool holds = holdsTableParts(display);
        int inner = shrinks + (shrinksToFit(*element, display) ? 1 : 0);
        for (size_t i = element->get_children_count(); i-- > 0;) {
            if (auto child = element->get_child(int(i)))
                stack.push_back({child.get(), levels, holds, inner});
        }
    }
    shape.gridCells = gridCellsOf(root);
    shape.layerWalks = layerWalksOf(root);
    return shape;
}

}
