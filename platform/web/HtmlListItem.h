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
// The renderer writes a roman numeral with one "M" per thousand, so an item
// numbered in the billions took a second and hundreds of megabytes. Numbers
// are whole numbers of 32 bits ("start" beyond them is the nearest, and a
// count stays at the largest), and a number the item's style cannot show
// (roman past 3999, letters below 1, styles the renderer has no text for)
// is shown in decimal, as style sheets do.
//
// Internal to pf_web. On the thread that lays the page out.

#include <litehtml.h>

#include <cstddef>
#include <memory>
#include <optional>

namespace pf {

class HtmlListItem final : public litehtml::html_tag {
public:
    explicit HtmlListItem(const std::shared_ptr<litehtml::document>& document);

    int render(int x, int y, int maxWidth, bool secondPass = false) override;
    // The renderer measures and shapes every item's marker at every draw,
    // outside the drawn area too (twice the drawing time of a long list); an
    // item whose lines lie outside it draws nothing there, so it is skipped.
    void draw(litehtml::uint_ptr hdc, int x, int y, const litehtml::position* clip) override;
    // Counted: numbering a list reads each of its items' tags, and the
    // renderer's own numbering read every earlier one for each item.
    const litehtml::tchar_t* get_tagName() const override;

    static constexpr int kMaxRomanNumber = 3999;
    // Whether the renderer writes `number` in the style `type`.
    static bool showsNumber(litehtml::list_style_type type, int number);

    // Tags of list items read on this thread: lets tests check that a list
    // is numbered in one walk rather than one walk per item.
    static std::size_t tagReadsForTesting();

private:
    // Numbers every item of `list` that has no number yet.
    static void numberItems(const litehtml::element& list);
    static int listStart(const litehtml::element& list);

    bool m_counted = false;
    bool m_indexSet = false;
    int m_number = 0;
};

}
