#include "platform/web/LayoutShape.h"

#include <litehtml.h>

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

}

LayoutShape layoutShapeOf(const litehtml::element& root)
{
    LayoutShape shape;
    // Each entry: an element, the number of table levels it lies in, and
    // whether its parent holds table parts. The tree is bounded in depth,
    // but walked without recursion all the same.
    struct Pending {
        const litehtml::element* element;
        int levels;
        bool inTable;
    };
    std::vector<Pending> stack{{&root, 0, false}};
    while (!stack.empty()) {
        auto [element, levels, inTable] = stack.back();
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
            shape.floatRenders += renders;
        }
        bool holds = holdsTableParts(display);
        for (size_t i = element->get_children_count(); i-- > 0;) {
            if (auto child = element->get_child(int(i)))
                stack.push_back({child.get(), levels, holds});
        }
    }
    return shape;
}

}
