#include "platform/web/LayoutShape.h"

#include <litehtml.h>

#include <algorithm>
#include <cmath>
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

// Keeps the weights finite however deep the page nests; far past any budget.
constexpr double kMaxWeight = 1e30;

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
        bool holds = holdsTableParts(display);
        int inner = shrinks + (shrinksToFit(*element, display) ? 1 : 0);
        for (size_t i = element->get_children_count(); i-- > 0;) {
            if (auto child = element->get_child(int(i)))
                stack.push_back({child.get(), levels, holds, inner});
        }
    }
    return shape;
}

}
