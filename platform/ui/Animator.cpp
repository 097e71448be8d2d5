#include "platform/ui/Animation.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/AnimationClock.h"
#include "platform/ui/DisplayLink.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace pf {

namespace {

double eased(AnimationCurve curve, double t)
{
    switch (curve) {
    case AnimationCurve::Linear: return t;
    case AnimationCurve::EaseIn: return t * t;
    case AnimationCurve::EaseOut: return 1 - (1 - t) * (1 - t);
    case AnimationCurve::EaseInOut: return t < 0.5 ? 2 * t * t : 1 - std::pow(-2 * t + 2, 2) / 2;
    }
    return t;
}

double mix(double a, double b, double t) { return a + (b - a) * t; }

AnimatedValue interpolate(const AnimatedValue& from, const AnimatedValue& to, double t)
{
    if (from.index() != to.index())
        return to;
    if (auto p = std::get_if<Point>(&from)) {
        Point q = std::get<Point>(to);
        return Point{mix(p->x, q.x, t), mix(p->y, q.y, t)};
    }
    if (auto r = std::get_if<Rect>(&from)) {
        Rect s = std::get<Rect>(to);
        return Rect{mix(r->x(), s.x(), t), mix(r->y(), s.y(), t), mix(r->width(), s.width(), t),
                    mix(r->height(), s.height(), t)};
    }
    if (auto d = std::get_if<double>(&from))
        return mix(*d, std::get<double>(to), t);
    if (auto m = std::get_if<AffineTransform>(&from)) {
        // Component-wise, which is what scale and translation animations need.
        AffineTransform n = std::get<AffineTransform>(to);
        return AffineTransform{mix(m->a, n.a, t), mix(m->b, n.b, t), mix(m->c, n.c, t),
                               mix(m->d, n.d, t), mix(m->tx, n.tx, t), mix(m->ty, n.ty, t)};
    }
    return std::get<Color>(from).interpolated(std::get<Color>(to), t);
}

AnimatedValue modelValue(const View& view, AnimatedProperty property)
{
    switch (property) {
    case AnimatedProperty::Center: return view.center();
    case AnimatedProperty::Bounds: return view.bounds();
    case AnimatedProperty::Alpha: return view.alpha();
    case AnimatedProperty::Transform: return view.transform();
    case AnimatedProperty::BackgroundColor: return view.backgroundColor().value_or(Color::clear());
    case AnimatedProperty::LayerMaskColor: return view.layerMaskColor().value_or(Color::black());
    }
    return {};
}

void repaintWindowOf(const View& view)
{
    if (auto w = view.window())
        w->addDirtyRect({{0, 0}, w->bounds().size});
}

}

Animator& Animator::shared()
{
    static Animator* animator = new Animator();
    return *animator;
}

void Animator::begin(const AnimationOptions& options, std::function<void(bool)> completion)
{
    PF_ASSERT_MAIN_THREAD();
    auto group = std::make_shared<AnimationGroup>();
    group->completion = std::move(completion);
    m_blocks.push_back({options, std::move(group)});
}

void Animator::commit()
{
    if (m_blocks.empty())
        return;
    Block block = std::move(m_blocks.back());
    m_blocks.pop_back();
    block.group->open = false;
    // A block that animated nothing still reports, later.
    if (block.group->running == 0 && block.group->completion) {
        RunLoop::main().post([completion = block.group->completion, ok = block.group->finished] { completion(ok); });
        block.group->completion = nullptr;
    }
}

const PropertyAnimation* Animator::running(const View& view, AnimatedProperty property) const
{
    for (auto& a : view.m_animations)
        if (a.property == property)
            return &a;
    return nullptr;
}

AnimatedValue Animator::presentationValue(const PropertyAnimation& a) const
{
    double now = AnimationClock::current().now();
    double t = a.duration > 0 ? std::clamp((now - a.begin) / a.duration, 0.0, 1.0) : 1.0;
    return interpolate(a.from, a.to, eased(a.curve, t));
}

void Animator::propertyChanged(View& view, AnimatedProperty property, const AnimatedValue& from)
{
    AnimatedValue start = from;
    auto& list = view.m_animations;
    for (auto it = list.begin(); it != list.end();) {
        if (it->property != property) {
            ++it;
            continue;
        }
        // A new animation starts where the old one is now on screen.
        start = presentationValue(*it);
        auto group = it->group;
        it = list.erase(it);
        finishOne(group, false);
    }
    if (!isRecording())
        return;
    const Block& block = m_blocks.back();
    if (!(block.options.duration > 0))
        return;
    PropertyAnimation animation;
    animation.property = property;
    animation.from = start;
    animation.to = modelValue(view, property);
    animation.begin = AnimationClock::current().now() + std::max(block.options.delay, 0.0);
    animation.duration = block.options.duration;
    animation.curve = block.options.curve;
    animation.group = block.group;
    block.group->running++;
    list.push_back(std::move(animation));
    auto weak = std::static_pointer_cast<View>(view.weak_from_this().lock());
    if (weak && std::none_of(m_animatingViews.begin(), m_animatingViews.end(),
                             [&](const std::weak_ptr<View>& v) { return v.lock() == weak; }))
        m_animatingViews.push_back(weak);
    scheduleTicks();
}

void Animator::viewDestroyed(std::vector<PropertyAnimation>& animations)
{
    auto list = std::move(animations);
    animations.clear();
    for (auto& a : list)
        finishOne(a.group, false);
}

void Animator::finishOne(const std::shared_ptr<AnimationGroup>& group, bool finished)
{
    --group->running;
    // Replacing a change within the same block is no interruption.
    if (group->open)
        return;
    if (!finished)
        group->finished = false;
    if (group->running > 0 || !group->completion)
        return;
    RunLoop::main().post([completion = group->completion, ok = group->finished] { completion(ok); });
    group->completion = nullptr;
}

void Animator::addDisplayLink(const std::shared_ptr<DisplayLink>& link)
{
    for (auto& l : m_displayLinks)
        if (l.lock() == link)
            return;
    m_displayLinks.push_back(link);
    scheduleTicks();
}

bool Animator::isIdle() const
{
    bool views = std::any_of(m_animatingViews.begin(), m_animatingViews.end(),
                             [](const std::weak_ptr<View>& v) { return !v.expired(); });
    bool links = std::any_of(m_displayLinks.begin(), m_displayLinks.end(), [](const std::weak_ptr<DisplayLink>& l) {
        auto link = l.lock();
        return link && link->isValid() && !link->isPaused();
    });
    return !views && !links;
}

void Animator::scheduleTicks()
{
    if (AnimationClock::current().isManual() || (m_timer && m_timer->isValid()))
        return;
    m_timer = RunLoop::main().scheduleTimer(Seconds(1.0 / 60), true, [] { Animator::shared().tick(); });
}

void Animator::tick()
{
    PF_ASSERT_MAIN_THREAD();
    double now = AnimationClock::current().now();

    auto links = m_displayLinks;
    for (auto& weak : links)
        if (auto link = weak.lock())
            link->fire(now);
    std::erase_if(m_displayLinks, [](const std::weak_ptr<DisplayLink>& l) {
        auto link = l.lock();
        return !link || !link->isValid() || link->isPaused();
    });

    auto views = m_animatingViews;
    for (auto& weak : views) {
        auto view = weak.lock();
        if (!view)
            continue;
        repaintWindowOf(*view);
        auto& list = view->m_animations;
        std::vector<std::shared_ptr<AnimationGroup>> done;
        std::erase_if(list, [&](const PropertyAnimation& a) {
            if (now < a.begin + a.duration)
                return false;
            done.push_back(a.group);
            return true;
        });
        for (auto& group : done)
            finishOne(group, true);
    }
    std::erase_if(m_animatingViews, [](const std::weak_ptr<View>& v) {
        auto view = v.lock();
        return !view || view->m_animations.empty();
    });

    if (isIdle() && m_timer) {
        m_timer->invalidate();
        m_timer.reset();
    }
}

}
