#pragma once

// The root element of a page, as the renderer makes it but for one step.
// The renderer makes the grids of all tables while it makes the page, after
// styling it and before handing it back, starting at the root's init(), so
// checking the page's shape once it is back would come after the memory
// and time a hostile grid takes. The root takes the styled page's shape
// (LayoutShape.h) to the budget first, and makes nothing below it when the
// page is over: such a page is refused and never laid out. The same holds
// when the renderer makes the grids again for a new viewport.
//
// Internal to pf_web. On the thread that makes the page.

#include <litehtml.h>

#include <memory>

namespace pf {

class PageBudget;

class HtmlRootElement final : public litehtml::html_tag {
public:
    // `budget` (null for no limit) must outlive the element.
    HtmlRootElement(const std::shared_ptr<litehtml::document>& document, PageBudget* budget);

    void init() override;

private:
    PageBudget* m_budget = nullptr;
};

}
