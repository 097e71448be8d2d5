#include "platform/controls/BarItem.h"

#include "platform/controls/Button.h"

#include <algorithm>

namespace pf {

void BarButtonItem::setTarget(const ObjectRef& target, Action action)
{
    m_target = target;
    m_hasTarget = target != nullptr;
    m_action = std::move(action);
}

void BarButtonItem::sendAction()
{
    if (!isEnabled())
        return;
    auto keep = shared_from_this();
    if (m_action && !m_hasTarget)
        m_action(*this, *this);
    else if (auto target = m_action ? m_target.lock() : nullptr)
        m_action(*target, *this);
    auto connected = m_connected;
    for (auto& action : connected)
        action(keep);
}

bool BarButtonItem::addActionForEvent(std::string_view event, std::function<void(const ObjectRef& sender)> action)
{
    if ((event != "touchUpInside" && event != "action") || !action)
        return false;
    m_connected.push_back(std::move(action));
    return true;
}

}

namespace pf {

ViewRef makeBarButtonView(const std::shared_ptr<BarButtonItem>& item, const Color& tint)
{
    if (!item)
        return nullptr;
    if (item->customView())
        return item->customView();
    auto button = std::make_shared<Button>();
    if (item->image())
        button->setImage(item->image(), ControlStates::Normal);
    else
        button->setTitle(item->title(), ControlStates::Normal);
    button->setTitleColor(tint, ControlStates::Normal);
    button->setTitleColor(tint.withAlpha(0.4), ControlStates::Highlighted);
    button->setTitleFont(item->style() == BarButtonItemStyle::Done ? Font::boldSystem(16) : Font::system(16));
    button->setEnabled(item->isEnabled());
    std::weak_ptr<BarButtonItem> weakItem = item;
    button->addAction([weakItem](Control&) {
        if (auto i = weakItem.lock())
            i->sendAction();
    }, ControlEvent::TouchUpInside);
    Size s = button->sizeThatFits({});
    button->setFrame(Rect(0, 0, std::max(44.0, s.width + 16), 44));
    return button;
}

}
