#pragma once

// A view that turns touches into actions: while a finger is down on it the
// control is highlighted (setHighlighted is called on every change, so
// subclasses can show feedback), and each event sends the actions registered
// for it, in registration order.
//
// Main thread only. Targets are held weakly: an action whose target was
// released is skipped.

#include "platform/foundation/ActionSender.h"
#include "platform/ui/View.h"

#include <functional>
#include <string>
#include <vector>

namespace pf {

using ControlEvents = unsigned;
namespace ControlEvent {
constexpr ControlEvents TouchDown = 1 << 0;
constexpr ControlEvents TouchDragInside = 1 << 2;
constexpr ControlEvents TouchDragOutside = 1 << 3;
constexpr ControlEvents TouchUpInside = 1 << 6;
constexpr ControlEvents TouchUpOutside = 1 << 7;
constexpr ControlEvents TouchCancel = 1 << 8;
constexpr ControlEvents ValueChanged = 1 << 12;
constexpr ControlEvents EditingDidBegin = 1 << 16;
constexpr ControlEvents EditingChanged = 1 << 17;
constexpr ControlEvents EditingDidEnd = 1 << 18;
constexpr ControlEvents EditingDidEndOnExit = 1 << 19;
}

// Control states as bits: normal 0, highlighted 1, disabled 2, selected 4.
using ControlState = unsigned;
namespace ControlStates {
constexpr ControlState Normal = 0;
constexpr ControlState Highlighted = 1;
constexpr ControlState Disabled = 2;
constexpr ControlState Selected = 4;
}

class Control : public View, public ActionSender {
public:
    // The target is the object the action belongs to, the sender the control.
    using Action = std::function<void(Object& target, Control& sender)>;

    explicit Control(const Rect& frame = {});

    // `name` identifies the action for removal and for interface files.
    void addTarget(const ObjectRef& target, std::string name, Action action, ControlEvents events);
    // Actions without a target: they live as long as the control.
    void addAction(std::function<void(Control&)> action, ControlEvents events);
    // Removes the target's actions for any of `events` (all names when `name` is empty).
    void removeTarget(const Object* target, const std::string& name, ControlEvents events);
    // The action names registered for the event with this target.
    std::vector<std::string> actionsForTarget(const Object* target, ControlEvents event) const;
    void sendActionsForControlEvents(ControlEvents events);
    // Interface files name events "touchDown", "touchUpInside", "valueChanged",
    // "editingChanged" and so on; the action is called with the control.
    bool addActionForEvent(std::string_view event, std::function<void(const ObjectRef& sender)> action) override;
    // The event named so, or 0.
    static ControlEvents eventNamed(std::string_view name);

    bool isEnabled() const { return m_enabled; }
    virtual void setEnabled(bool enabled);
    bool isSelected() const { return m_selected; }
    virtual void setSelected(bool selected);
    bool isHighlighted() const { return m_highlighted; }
    virtual void setHighlighted(bool highlighted);
    bool isTracking() const { return m_tracking; }
    ControlState state() const;

    ViewRef hitTest(Point p) override;
    // An enabled control keeps its taps from the one-tap recognizers of the
    // views around it; its own recognizers and other gestures still see them.
    bool admitsEnclosingRecognizer(const GestureRecognizer& recognizer) const override;
    void touchesBegan(const TouchSet& touches) override;
    void touchesMoved(const TouchSet& touches) override;
    void touchesEnded(const TouchSet& touches) override;
    void touchesCancelled(const TouchSet& touches) override;

protected:
    // Whether a touch at `p` (bounds coordinates) still counts as inside
    // while tracking: a margin around the bounds forgives a shaky finger.
    bool isTouchInside(Point p) const;
    // Called when state() changes, for controls that draw by state.
    virtual void stateDidChange() { setNeedsDisplay(); }

private:
    struct Entry {
        WeakObject target;
        bool hasTarget = false;
        std::string name;
        Action action;
        ControlEvents events = 0;
    };
    std::vector<Entry> m_entries;
    bool m_enabled = true;
    bool m_selected = false;
    bool m_highlighted = false;
    bool m_tracking = false;
    bool m_lastInside = false;
};

}
