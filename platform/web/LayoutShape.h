#pragma once

// The parts of a page's shape that make the renderer's layout work grow
// faster than its element count, read from the renderer's own element tree
// once its styles are applied (so `display` and `float` from any style sheet
// count, not only the tags):
//  - A table lays each of its cells out several times to find the column
//    widths, so everything inside n nested tables is laid out some factor to
//    the n times. Cells, rows and row groups outside a table make the
//    renderer wrap them in a table of their own, so they nest as well.
//  - Each float is placed against the floats before it, again per line of
//    what flows around them, so floats cost about the cube of their count.
//  - A box whose width comes from its content (a float, an inline block, an
//    absolutely placed box, a table cell) lays what it holds out again at
//    that width. Inside a table, or inside two such boxes, that width can
//    shrink to a word, so every float within takes a line of its own and
//    is placed against all the others at each step: tens of times the work
//    of the same floats side by side, and more with each box around them.
//  - Each table keeps a grid of its rows by its columns, a cell's spans
//    included, so one long row over thousands of short ones asks for tens
//    of millions of cells (gigabytes). The renderer makes the grids for
//    every table, hidden or not, once the page is styled and before it is
//    laid out (HtmlRootElement.h checks the shape just then).
//  - The renderer draws the positioned boxes (relative, absolute, fixed)
//    one z-index at a time: for each distinct z-index among the positioned
//    boxes a box holds, it walks everything the box holds down to them
//    again. Thousands of boxes with z-indexes of their own cost the square
//    of their number at every redraw.
//  - Each list item draws a marker, a symbol or its number as text, like
//    one more word (HtmlListItem.h keeps the numbers short).
// PageBudget turns the shape into milliseconds.
//
// Internal to pf_web. One thread at a time.

namespace litehtml {
class element;
}

namespace pf {

struct LayoutShape {
    // Summed over the elements (every word and space is one): how many more
    // times than once each is laid out, estimated from the tables around it.
    double extraRenders = 0;
    int floats = 0;
    // The floats, each counted as often as it is laid out, and weighted for
    // the narrow widths the boxes around it may give it.
    double floatRenders = 0;
    // The cells of all the tables' grids, hidden tables included: an upper
    // bound on the rows by the columns of each.
    double gridCells = 0;
    // Summed over the root and each positioned box: the elements walked to
    // draw its positioned boxes (down to them), times the distinct
    // z-indexes among them.
    double layerWalks = 0;
    // The list items that draw a marker.
    int markers = 0;
};

// How many times over each table level lays out what it holds.
inline constexpr double kTableRenderFactor = 2.7;
// How many times over a box sized by its content lays out the floats it
// holds, and how much dearer floats are once such a box may squeeze them one
// per line (measured with bench/web_bench's nested float pages).
inline constexpr double kShrinkRenderFactor = 4;
inline constexpr double kNarrowFloatFactor = 60;

// The shape of the tree under `root`, hidden (display: none) parts left out.
LayoutShape layoutShapeOf(const litehtml::element& root);

}
