#pragma once

// The bar across the top of a navigation stack: the top item's title in
// the middle, its left item (or a back button to the item below) and its
// right item at the sides, over a background colour or a bar style colour.
//
// Main thread only. The delegate-free bar: its owner reacts to the back
// button through the back item's action.

#include "platform/controls/NavigationItem.h"
#include "platform/ui/View.h"

#include <functional>
#include <vector>

namespace pf {

class NavigationBar : public View {
public:
    explicit NavigationBar(const Rect& frame = Rect(0, 0, 320, 44));

    const std::vector<std::shared_ptr<NavigationItem>>& items() const { return m_items; }
    // The items as an array, as interface files give them; other objects are skipped.
    ArrayRef itemList() const;
    void setItemList(const ArrayRef& items);
    void setItems(std::vector<std::shared_ptr<NavigationItem>> items);
    void pushNavigationItem(const std::shared_ptr<NavigationItem>& item, bool animated = false);
    std::shared_ptr<NavigationItem> popNavigationItem(bool animated = false);
    std::shared_ptr<NavigationItem> topItem() const { return m_items.empty() ? nullptr : m_items.back(); }
    std::shared_ptr<NavigationItem> backItem() const;
    // Rebuilds the shown views; layout does it too when the top item's
    // title or buttons changed since.
    void itemsDidChange();

    // Run when the back button (made for the item below the top) is tapped;
    // the bar's owner pops its stack there.
    void setBackAction(std::function<void()> action) { m_backAction = std::move(action); }

    const Color& tintColor() const { return m_tint; }
    void setTintColor(const Color& color);
    const Color& titleColor() const { return m_titleColor; }
    void setTitleColor(const Color& color);

    void layoutSubviews() override;
    std::string textContent() const override;

private:
    std::vector<const void*> buildKey() const;
    std::vector<std::shared_ptr<NavigationItem>> m_items;
    std::vector<ViewRef> m_shown;
    ViewRef m_left;
    ViewRef m_right;
    ViewRef m_title;
    std::vector<const void*> m_builtFrom; // what the shown views were made from
    Color m_tint = Color::fromRgbHex(0x007aff);
    Color m_titleColor = Color::black();
    std::function<void()> m_backAction;
};

}
