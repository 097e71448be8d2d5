#include "platform/controls/BarItem.h"

#include "platform/controls/Button.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Path.h"
#include "platform/ui/Screen.h"

#include <algorithm>
#include <cmath>

namespace pf {

BarButtonItem::BarButtonItem(BarButtonSystemItem item, const ObjectRef& target, Action action)
    : m_systemItem(item)
{
    setTarget(target, std::move(action));
}

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

namespace {

// The arc of `radius` around `c` from angle a0 to a1 (radians, clockwise on
// screen), in cubic pieces of at most a quarter turn.
void appendArc(Path& path, Point c, double radius, double a0, double a1)
{
    int pieces = std::max(1, int(std::ceil(std::abs(a1 - a0) / (M_PI / 2))));
    double step = (a1 - a0) / pieces;
    double k = 4.0 / 3.0 * std::tan(step / 4) * radius;
    auto at = [&](double a) { return Point{c.x + radius * std::cos(a), c.y + radius * std::sin(a)}; };
    path.moveTo(at(a0));
    for (int i = 0; i < pieces; ++i) {
        double from = a0 + i * step, to = from + step;
        Point p0 = at(from), p1 = at(to);
        path.curveTo({p0.x - k * std::sin(from), p0.y + k * std::cos(from)},
                     {p1.x + k * std::sin(to), p1.y - k * std::cos(to)}, p1);
    }
}

// A circular arrow, open at the top right, its head pointing along the turn.
ImageRef refreshImage(const Color& tint, double scale)
{
    constexpr double kSide = 22;
    auto bitmap = Bitmap::create(int(std::ceil(kSide * scale)), int(std::ceil(kSide * scale)), scale);
    if (!bitmap)
        return nullptr;
    auto context = GraphicsContext::create(*bitmap.value());
    if (!context)
        return nullptr;
    Point c{kSide / 2, kSide / 2 + 1};
    double radius = 7.5, start = -M_PI / 3, end = start + 5 * M_PI / 3;
    Path arc;
    appendArc(arc, c, radius, start, end);
    context.value()->strokePath(arc, tint, 2);
    // The head sits at the arc's end, pointing on clockwise.
    Point tip{c.x + radius * std::cos(end), c.y + radius * std::sin(end)};
    Point along{-std::sin(end), std::cos(end)}, out{std::cos(end), std::sin(end)};
    Path head;
    head.moveTo({tip.x + along.x * 4, tip.y + along.y * 4});
    head.lineTo({tip.x + out.x * 4 - along.x * 1.5, tip.y + out.y * 4 - along.y * 1.5});
    head.lineTo({tip.x - out.x * 4 - along.x * 1.5, tip.y - out.y * 4 - along.y * 1.5});
    head.close();
    context.value()->fillPath(head, tint);
    if (context.value()->status())
        return nullptr;
    return Image::create(bitmap.value());
}

}

ViewRef makeBarButtonView(const std::shared_ptr<BarButtonItem>& item, const Color& tint)
{
    if (!item || item->isFlexibleSpace())
        return nullptr;
    if (item->customView())
        return item->customView();
    auto button = std::make_shared<Button>();
    if (item->systemItem() == BarButtonSystemItem::Refresh) {
        double scale = Screen::main().scale();
        button->setImage(refreshImage(tint, scale), ControlStates::Normal);
        button->setImage(refreshImage(tint.withAlpha(0.4), scale), ControlStates::Highlighted);
    } else if (item->image()) {
        button->setImage(item->image(), ControlStates::Normal);
    } else {
        button->setTitle(item->title(), ControlStates::Normal);
    }
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
    double width = item->width() > 0 ? item->width() : std::max(44.0, s.width + 16);
    button->setFrame(Rect(0, 0, width, 44));
    return button;
}

}
