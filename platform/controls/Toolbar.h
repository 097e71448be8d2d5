#pragma once

// A bar of button items. Without a flexible space the items are spread
// evenly across its width; with one they line up from the left edge, inset
// by kEdgeMargin and kItemSpacing apart, and the flexible spaces share what
// width is left, so a space between two items puts them at the edges.
//
// Main thread only.

#include "platform/controls/BarItem.h"
#include "platform/ui/View.h"

#include <vector>

namespace pf {

class Toolbar : public View {
public:
    explicit Toolbar(const Rect& frame = Rect(0, 0, 320, 44));

    const std::vector<std::shared_ptr<BarButtonItem>>& items() const { return m_items; }
    // The items as an array, as interface files give them; other objects are skipped.
    ArrayRef itemList() const;
    void setItemList(const ArrayRef& items);
    void setItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool animated = false);
    const Color& tintColor() const { return m_tint; }
    void setTintColor(const Color& color);

    static constexpr double kEdgeMargin = 6;
    static constexpr double kItemSpacing = 10;
    void layoutSubviews() override;

private:
    void rebuild();
    void layoutAroundSpaces(const Rect& bounds);

    std::vector<std::shared_ptr<BarButtonItem>> m_items;
    std::vector<ViewRef> m_views;
    std::vector<std::size_t> m_viewItems; // the index in m_items of each view
    std::size_t m_flexibleSpaces = 0;
    Color m_tint = Color::fromRgbHex(0x007aff);
};

}
