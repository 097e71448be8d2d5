#pragma once

// A row of tab items, each an image over a title; a tap selects the item
// and tells the delegate.
//
// Main thread only. The delegate is not retained.

#include "platform/controls/BarItem.h"
#include "platform/ui/View.h"

#include <vector>

namespace pf {

class TabBar;

class TabBarDelegate {
public:
    virtual ~TabBarDelegate() = default;
    virtual void tabBarDidSelectItem(TabBar&, TabBarItem&) {}
};

class TabBar : public View {
public:
    explicit TabBar(const Rect& frame = Rect(0, 0, 320, 49));

    ObjectRef delegateObject() const { return m_delegateObject.lock(); }
    void setDelegateObject(const ObjectRef& delegate);
    void setDelegate(const std::shared_ptr<TabBarDelegate>& delegate);

    const std::vector<std::shared_ptr<TabBarItem>>& items() const { return m_items; }
    // The items as an array, as interface files give them; other objects are skipped.
    ArrayRef itemList() const;
    void setItemList(const ArrayRef& items);
    void setItems(std::vector<std::shared_ptr<TabBarItem>> items, bool animated = false);
    const std::shared_ptr<TabBarItem>& selectedItem() const { return m_selected; }
    // An item not on the bar selects nothing.
    void setSelectedItem(const std::shared_ptr<TabBarItem>& item);
    const Color& selectedTintColor() const { return m_tint; }
    void setSelectedTintColor(const Color& color);
    // The item under x in bounds coordinates, or -1.
    int itemIndexAtX(double x) const;

    bool drawsContent() const override { return !m_items.empty(); }
    void draw(GraphicsContext& context, const Rect& rect) override;
    void touchesEnded(const TouchSet& touches) override;
    std::string textContent() const override;

private:
    std::weak_ptr<TabBarDelegate> m_delegate;
    WeakObject m_delegateObject;
    std::vector<std::shared_ptr<TabBarItem>> m_items;
    std::shared_ptr<TabBarItem> m_selected;
    Color m_tint = Color::fromRgbHex(0x007aff);
};

}
