#pragma once

// A list item as the renderer makes it, numbered in one walk per list. The
// renderer numbers each item of an ordered list by walking the list's
// children up to it, the first time the item is laid out, so a list of n
// items takes n²/2 steps (10,000 items held the main thread for a second).
// The first item laid out numbers all its list's items in one walk; each
// item then takes its number the way the renderer's own would (the list's
// "start", then one more for each <li> before it) and only when its list
// style shows numbers.
//
// Internal to pf_web. On the thread that lays the page out.

#include <litehtml.h>

#include <memory>
#include <optional>

namespace pf {

class HtmlListItem final : public litehtml::html_tag {
public:
    explicit HtmlListItem(const std::shared_ptr<litehtml::document>& document);

    int render(int x, int y, int maxWidth, bool secondPass = false) override;

private:
    // Numbers every item of `list` that has no number yet.
    static void numberItems(const litehtml::element& list);

    bool m_counted = false;
    bool m_indexSet = false;
    int m_number = 0;
};

}
