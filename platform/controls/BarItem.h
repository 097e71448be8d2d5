#pragma once

// An item shown on a navigation bar, a toolbar or a tab bar: a title and an
// image, drawn by the bar that holds it.
//
// Main thread only.

#include "platform/foundation/ActionSender.h"
#include "platform/foundation/Object.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Forward.h"
#include "platform/ui/Forward.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pf {

class BarItem : public Object {
public:
    const std::optional<std::string>& title() const { return m_title; }
    void setTitle(const std::optional<std::string>& title) { m_title = title; }
    const ImageRef& image() const { return m_image; }
    void setImage(const ImageRef& image) { m_image = image; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

private:
    std::optional<std::string> m_title;
    ImageRef m_image;
    bool m_enabled = true;
    int m_tag = 0;
};

enum class BarButtonItemStyle { Plain, Bordered, Done };
// Items the system draws itself: Refresh is a circular arrow in the bar's
// tint; FlexibleSpace shows nothing and takes the toolbar's spare width.
enum class BarButtonSystemItem { Refresh, FlexibleSpace };

// A bar item that acts when tapped; the target is held weakly.
class BarButtonItem : public BarItem, public ActionSender {
public:
    using Action = std::function<void(Object& target, BarButtonItem& sender)>;

    BarButtonItem() = default;
    BarButtonItem(const std::string& title, BarButtonItemStyle style) : m_style(style) { setTitle(title); }
    // A system item acting on `target` when tapped (a null target: the
    // action gets the item itself).
    BarButtonItem(BarButtonSystemItem item, const ObjectRef& target, Action action);

    // Set only for system items.
    std::optional<BarButtonSystemItem> systemItem() const { return m_systemItem; }

    // The width the bar gives the item's button; 0 fits its title or image.
    double width() const { return m_width; }
    void setWidth(double width) { m_width = width; }
    bool isFlexibleSpace() const { return m_systemItem == BarButtonSystemItem::FlexibleSpace; }

    BarButtonItemStyle style() const { return m_style; }
    void setStyle(BarButtonItemStyle style) { m_style = style; }
    void setTarget(const ObjectRef& target, Action action);
    // Runs the action and then the interface file's actions, as a tap on the item's button does.
    void sendAction();
    // Interface files connect "touchUpInside" (or "action"), called with the item.
    bool addActionForEvent(std::string_view event, std::function<void(const ObjectRef& sender)> action) override;
    // A view shown in place of the button; the bar sizes it.
    const ViewRef& customView() const { return m_customView; }
    void setCustomView(const ViewRef& view) { m_customView = view; }

private:
    BarButtonItemStyle m_style = BarButtonItemStyle::Plain;
    std::optional<BarButtonSystemItem> m_systemItem;
    double m_width = 0;
    WeakObject m_target;
    bool m_hasTarget = false;
    Action m_action;
    std::vector<std::function<void(const ObjectRef&)>> m_connected;
    ViewRef m_customView;
};

class TabBarItem : public BarItem {
public:
    TabBarItem() = default;
    TabBarItem(const std::string& title, const ImageRef& image, int tag)
    {
        setTitle(title);
        setImage(image);
        setTag(tag);
    }
    const std::optional<std::string>& badgeValue() const { return m_badge; }
    void setBadgeValue(const std::optional<std::string>& badge) { m_badge = badge; }

private:
    std::optional<std::string> m_badge;
};

}

namespace pf {
// The view a bar shows for a button item: its custom view, else a button
// with its title or image (a system item's drawn in `tint`) that sends the
// item's action when tapped; null for a flexible space.
ViewRef makeBarButtonView(const std::shared_ptr<BarButtonItem>& item, const Color& tint);
}
