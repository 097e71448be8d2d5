#pragma once

// Bounds the work a page asks of the renderer. Pages are untrusted and laid
// out on the main thread, and the renderer's costs grow faster than their
// size: every element is tested against every selector, a descendant
// combinator tries each ancestor in turn (so selectors of several such
// combinators over deeply nested elements try combinations of ancestors),
// sibling combinators and structural pseudo-classes walk the siblings, each
// inherited style of an element or word is looked up through every level
// above it, and every word is measured. Media queries that match at the
// width the page is laid out at make the renderer style it all again. A page
// within kMaxHtmlBytes could otherwise hold the main thread for minutes.
//
// The budget estimates that work from the page's census (elements, words,
// their levels summed, the counts of each tag, class and id) and from its
// style sheets' selectors, before the renderer sees any of it, then from
// the shape the renderer's styles give it (nested tables, table grids,
// floats and positioned boxes in many z-index layers, LayoutShape.h) before it makes the grids and lays the page out; a
// page over any limit is refused as a whole. The estimate never undercounts
// the selector matching the renderer does, so a page within the budget lays
// out and draws its first screen well within a second.
//
// Internal to pf_web. One thread at a time.

#include "platform/web/HtmlSanitizer.h"
#include "platform/web/LayoutShape.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace pf {

// Hard caps: elements of the page, words and spaces of its text, the text's
// bytes, selectors of all its style sheets (a list "a, b" counts two), and
// estimated selector tests summed over all selectors; and the bytes of one
// selector.
inline constexpr int kMaxPageElements = 10000;
inline constexpr int kMaxPageTextRuns = 60000;
inline constexpr std::size_t kMaxPageTextBytes = 256 * 1024;
inline constexpr int kMaxStyleSelectors = 4000;
inline constexpr double kMaxSelectorWork = 1.6e7;
// The renderer parses a selector by copying what is left of it at each
// combinator, so its memory grows with the square of the selector's length
// (a 58 KB selector took over 2 GB).
inline constexpr std::size_t kMaxSelectorBytes = 1024;

// What each costs the renderer, in milliseconds of one core (measured on
// pages that max out one kind of work each, bench/web_bench): an element,
// a word or space, a byte of ASCII text and one of other text (Chinese, the
// dearest to measure and draw), one estimated selector test. Together they
// must stay within kMaxPageMilliseconds, so a page cannot come near every
// cap at once.
inline constexpr double kElementMilliseconds = 0.021;
inline constexpr double kTextRunMilliseconds = 0.003;
inline constexpr double kAsciiByteMilliseconds = 0.00075;
inline constexpr double kOtherByteMilliseconds = 0.0016;
inline constexpr double kSelectorTestMilliseconds = 2.5e-5;
// Looking a style up through one level above an element, and above a word
// or space, for each of them (bench/web_bench's deep word pages): on a deep
// page these outweigh all the rest.
inline constexpr double kElementDepthMilliseconds = 1.7e-4;
inline constexpr double kTextRunDepthMilliseconds = 3e-5;
// Laying an element out once more inside nested tables; placing a float,
// per float before it squared (bench/web_bench's table and float pages).
inline constexpr double kExtraRenderMilliseconds = 2.5e-4;
inline constexpr double kFloatMilliseconds = 7e-9;
// Making, sizing and placing one cell of a table's grid (bench/web_bench's
// grid pages); and the most cells all grids may have, since each takes
// 64 bytes whether it holds anything or not.
inline constexpr double kGridCellMilliseconds = 1.1e-4;
inline constexpr double kMaxTableGridCells = 1e6;
// Walking one element once more to draw the positioned boxes of one more
// z-index (bench/web_bench's layered box pages).
inline constexpr double kLayerWalkMilliseconds = 2e-5;
// A list item's marker costs what a word does: it is one, of at most 16
// bytes (HtmlListItem.h shows a number its style cannot show in decimal),
// or a symbol.
inline constexpr double kMarkerMilliseconds = kTextRunMilliseconds;
inline constexpr double kMaxPageMilliseconds = 400;

class PageBudget {
public:
    explicit PageBudget(const HtmlCensus& census);

    // Counts the selectors of a style sheet; false, counting nothing, when the
    // sheet would take the page over the budget.
    bool addStyleSheet(std::string_view css);
    // Takes the shape of the page as styled (it replaces any shape before,
    // as styles change with the viewport); false when the page is now over
    // the budget.
    bool setLayoutShape(const LayoutShape& shape);
    // Why the page is over its budget; empty while within it.
    const std::string& overReason() const { return m_over; }
    double selectorWork() const { return m_work; }
    // The estimated cost of laying the page out and drawing it.
    double milliseconds() const;
    int selectors() const { return m_selectors; }

private:
    // Styling the page once: matching selectors and looking styles up.
    double styleMilliseconds() const;
    // The estimated tests of one selector; `text` is trimmed.
    double selectorCost(std::string_view text) const;
    int candidates(std::string_view compound) const;

    const HtmlCensus& m_census;
    int m_selectors = 0;
    double m_work = 0;
    LayoutShape m_shape;
    // Whether media queries may style the page again at the width it is
    // laid out at, which costs as much as styling it first did.
    bool m_restyles = false;
    std::string m_over;
};

}
