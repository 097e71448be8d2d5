#include "platform/web/HtmlListItem.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace pf {

HtmlListItem::HtmlListItem(const std::shared_ptr<litehtml::document>& document) : litehtml::html_tag(document) {}

int HtmlListItem::render(int x, int y, int maxWidth, bool secondPass)
{
    // The types from "armenian" on are the numbered ones.
    if (m_list_style_type >= litehtml::list_style_type_armenian && !m_indexSet) {
        if (!m_counted) {
            if (auto list = parent())
                numberItems(*list);
        }
        if (m_counted)
            set_attr("list_index", std::to_string(m_number).c_str());
        m_indexSet = true;
    }
    return litehtml::html_tag::render(x, y, maxWidth, secondPass);
}

void HtmlListItem::numberItems(const litehtml::element& list)
{
    const char* start = list.get_attr("start");
    // Wraps as the renderer's own count does, never overflowing.
    unsigned number = start ? unsigned(std::strtol(start, nullptr, 10)) : 1;
    for (size_t i = 0, n = list.get_children_count(); i < n; ++i) {
        auto child = list.get_child(int(i));
        if (!child)
            continue;
        if (auto* item = dynamic_cast<HtmlListItem*>(child.get()); item && !item->m_counted) {
            item->m_number = int(number);
            item->m_counted = true;
        }
        const char* tag = child->get_tagName();
        if (tag && std::strcmp(tag, "li") == 0)
            ++number;
    }
}

}
