#include "platform/controls/Control.h"

#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/Touch.h"

namespace pf {

namespace {
// How far outside its bounds a tracked finger still counts as inside.
constexpr double kTouchSlop = 70;
}

Control::Control(const Rect& frame)
    : View(frame)
{
}

void Control::addTarget(const ObjectRef& target, std::string name, Action action, ControlEvents events)
{
    if (!action || !events)
        return;
    m_entries.push_back({target, target != nullptr, std::move(name), std::move(action), events});
}

void Control::addAction(std::function<void(Control&)> action, ControlEvents events)
{
    if (!action || !events)
        return;
    m_entries.push_back({{}, false, {}, [action = std::move(action)](Object&, Control& c) { action(c); }, events});
}

void Control::removeTarget(const Object* target, const std::string& name, ControlEvents events)
{
    std::erase_if(m_entries, [&](Entry& e) {
        if (e.target.lock().get() != target || (!name.empty() && e.name != name))
            return false;
        e.events &= ~events;
        return e.events == 0;
    });
}

std::vector<std::string> Control::actionsForTarget(const Object* target, ControlEvents event) const
{
    std::vector<std::string> names;
    for (auto& e : m_entries)
        if ((e.events & event) && e.target.lock().get() == target)
            names.push_back(e.name);
    return names;
}

void Control::sendActionsForControlEvents(ControlEvents events)
{
    // An action may release the control or change the list.
    auto keep = self();
    auto entries = m_entries;
    for (auto& e : entries) {
        if (!(e.events & events))
            continue;
        if (!e.hasTarget) {
            e.action(*this, *this);
            continue;
        }
        if (auto target = e.target.lock())
            e.action(*target, *this);
    }
}

ControlEvents Control::eventNamed(std::string_view name)
{
    static const std::pair<std::string_view, ControlEvents> names[] = {
        {"touchDown", ControlEvent::TouchDown},
        {"touchDragInside", ControlEvent::TouchDragInside},
        {"touchDragOutside", ControlEvent::TouchDragOutside},
        {"touchUpInside", ControlEvent::TouchUpInside},
        {"touchUpOutside", ControlEvent::TouchUpOutside},
        {"touchCancel", ControlEvent::TouchCancel},
        {"valueChanged", ControlEvent::ValueChanged},
        {"editingDidBegin", ControlEvent::EditingDidBegin},
        {"editingChanged", ControlEvent::EditingChanged},
        {"editingDidEnd", ControlEvent::EditingDidEnd},
        {"editingDidEndOnExit", ControlEvent::EditingDidEndOnExit},
    };
    for (auto& [n, e] : names)
        if (n == name)
            return e;
    return 0;
}

bool Control::addActionForEvent(std::string_view event, std::function<void(const ObjectRef& sender)> action)
{
    ControlEvents events = eventNamed(event);
    if (!events || !action)
        return false;
    addAction([action = std::move(action)](Control& control) { action(control.shared_from_this()); }, events);
    return true;
}

void Control::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    if (!enabled && m_highlighted)
        setHighlighted(false);
    stateDidChange();
}

void Control::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    stateDidChange();
}

void Control::setHighlighted(bool highlighted)
{
    if (m_highlighted == highlighted)
        return;
    m_highlighted = highlighted;
    stateDidChange();
}

ControlState Control::state() const
{
    ControlState s = ControlStates::Normal;
    if (m_highlighted)
        s |= ControlStates::Highlighted;
    if (!m_enabled)
        s |= ControlStates::Disabled;
    if (m_selected)
        s |= ControlStates::Selected;
    return s;
}

ViewRef Control::hitTest(Point p)
{
    // A disabled control swallows nothing: touches go to what lies behind.
    if (!m_enabled)
        return nullptr;
    return View::hitTest(p);
}

bool Control::admitsEnclosingRecognizer(const GestureRecognizer& recognizer) const
{
    auto tap = dynamic_cast<const TapGestureRecognizer*>(&recognizer);
    return !m_enabled || !tap || tap->numberOfTapsRequired() != 1;
}

bool Control::isTouchInside(Point p) const
{
    return bounds().insetBy(-kTouchSlop, -kTouchSlop).contains(p);
}

void Control::touchesBegan(const TouchSet& touches)
{
    if (!m_enabled || touches.empty())
        return;
    m_tracking = true;
    m_lastInside = true;
    setHighlighted(true);
    sendActionsForControlEvents(ControlEvent::TouchDown);
}

void Control::touchesMoved(const TouchSet& touches)
{
    if (!m_tracking || touches.empty())
        return;
    bool inside = isTouchInside(touches.front()->locationInView(this));
    if (inside != m_lastInside)
        setHighlighted(inside);
    m_lastInside = inside;
    sendActionsForControlEvents(inside ? ControlEvent::TouchDragInside : ControlEvent::TouchDragOutside);
}

void Control::touchesEnded(const TouchSet& touches)
{
    if (!m_tracking || touches.empty())
        return;
    auto keep = self();
    m_tracking = false;
    bool inside = isTouchInside(touches.front()->locationInView(this));
    setHighlighted(false);
    sendActionsForControlEvents(inside ? ControlEvent::TouchUpInside : ControlEvent::TouchUpOutside);
}

void Control::touchesCancelled(const TouchSet&)
{
    if (!m_tracking)
        return;
    auto keep = self();
    m_tracking = false;
    setHighlighted(false);
    sendActionsForControlEvents(ControlEvent::TouchCancel);
}

}
