#pragma once

// A bar of button items spread evenly across its width.
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

    void layoutSubviews() override;

private:
    void rebuild();

    std::vector<std::shared_ptr<BarButtonItem>> m_items;
    std::vector<ViewRef> m_views;
    Color m_tint = Color::fromRgbHex(0x007aff);
};

}
