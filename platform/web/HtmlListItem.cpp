#include "platform/web/HtmlListItem.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace pf {

namespace {

thread_local std::size_t tagReads = 0;

}

HtmlListItem::HtmlListItem(const std::shared_ptr<litehtml::document>& document) : litehtml::html_tag(document) {}

bool HtmlListItem::showsNumber(litehtml::list_style_type type, int number)
{
    switch (type) {
    case litehtml::list_style_type_decimal:
    case litehtml::list_style_type_decimal_leading_zero:
        return true;
    case litehtml::list_style_type_lower_alpha:
    case litehtml::list_style_type_lower_latin:
    case litehtml::list_style_type_upper_alpha:
    case litehtml::list_style_type_upper_latin:
    case litehtml::list_style_type_lower_greek:
        return number >= 1;
    case litehtml::list_style_type_lower_roman:
    case litehtml::list_style_type_upper_roman:
        return number >= 1 && number <= kMaxRomanNumber;
    default:
        // The renderer writes no text for the other numbering styles.
        return false;
    }
}

int HtmlListItem::render(int x, int y, int maxWidth, bool secondPass)
{
    // The types from "armenian" on are the numbered ones.
    if (m_list_style_type >= litehtml::list_style_type_armenian) {
        if (!m_counted) {
            if (auto list = parent())
                numberItems(*list);
        }
        if (m_counted && !m_indexSet) {
            set_attr("list_index", std::to_string(m_number).c_str());
            m_indexSet = true;
        }
        // Checked at every layout, since restyling the page sets the type
        // from the style sheets again.
        if (m_counted && !showsNumber(m_list_style_type, m_number))
            m_list_style_type = litehtml::list_style_type_decimal;
    }
    return litehtml::html_tag::render(x, y, maxWidth, secondPass);
}

void HtmlListItem::draw(litehtml::uint_ptr hdc, int x, int y, const litehtml::position* clip)
{
    // The marker sits beside the item's first line, within its height.
    if (clip) {
        // Borders in the billions put boxes near the largest int.
        long long top = (long long)y + m_pos.y - m_padding.top - m_borders.top;
        long long bottom = (long long)y + m_pos.y + m_pos.height + m_padding.bottom + m_borders.bottom;
        if (bottom < clip->top() || top > clip->bottom())
            return;
    }
    litehtml::html_tag::draw(hdc, x, y, clip);
}

const litehtml::tchar_t* HtmlListItem::get_tagName() const
{
    ++tagReads;
    return litehtml::html_tag::get_tagName();
}

std::size_t HtmlListItem::tagReadsForTesting() { return tagReads; }

int HtmlListItem::listStart(const litehtml::element& list)
{
    const char* start = list.get_attr("start");
    // Past the range strtoll answers its own limits, which the clamp takes in.
    return start ? int(std::clamp<long long>(std::strtoll(start, nullptr, 10), INT_MIN, INT_MAX)) : 1;
}

void HtmlListItem::numberItems(const litehtml::element& list)
{
    // Counts past the largest number stay at it.
    long long number = listStart(list);
    for (size_t i = 0, n = list.get_children_count(); i < n; ++i) {
        auto child = list.get_child(int(i));
        if (!child)
            continue;
        if (auto* item = dynamic_cast<HtmlListItem*>(child.get()); item && !item->m_counted) {
            item->m_number = int(std::min<long long>(number, INT_MAX));
            item->m_counted = true;
        }
        const char* tag = child->get_tagName();
        if (tag && std::strcmp(tag, "li") == 0)
            ++number;
    }
}

}
