#pragma once

// Bounds the work a page asks of the renderer. Pages are untrusted and laid
// out on the main thread, and the renderer's costs grow faster than their
// size: every element is tested against every selector, a descendant
// combinator tries each ancestor in turn (so selectors of several such
// combinators over deeply nested elements try combinations of ancestors),
// sibling combinators and structural pseudo-classes walk the siblings, and
// every word is measured. A page within kMaxHtmlBytes could otherwise hold
// the main thread for minutes.
//
// The budget estimates that work from the page's census (elements, words,
// depth, the counts of each tag, class and id) and from its style sheets'
// selectors, before the renderer sees any of it; a page over any limit is
// refused as a whole. The estimate never undercounts the selector matching
// the renderer does, so a page within the budget lays out and draws its
// first screen well within a second.
//
// Internal to pf_web. One thread at a time.

#include "platform/web/HtmlSanitizer.h"

#include <string>
#include <string_view>

namespace pf {

// Elements of the page, and words and spaces of its text.
inline constexpr int kMaxPageElements = 10000;
inline constexpr int kMaxPageTextRuns = 60000;
// Selectors of all the page's style sheets (a list "a, b" counts two).
inline constexpr int kMaxStyleSelectors = 4000;
// Estimated selector tests, summed over all selectors.
inline constexpr double kMaxSelectorWork = 2.5e7;

class PageBudget {
public:
    explicit PageBudget(const HtmlCensus& census);

    // Counts the selectors of a style sheet; false, counting nothing, when the
    // sheet would take the page over the budget.
    bool addStyleSheet(std::string_view css);
    // Why the page is over its budget; empty while within it.
    const std::string& overReason() const { return m_over; }
    double selectorWork() const { return m_work; }
    int selectors() const { return m_selectors; }

private:
    // The estimated tests of one selector; `text` is trimmed.
    double selectorCost(std::string_view text) const;
    int candidates(std::string_view compound) const;

    const HtmlCensus& m_census;
    int m_selectors = 0;
    double m_work = 0;
    std::string m_over;
};

}
