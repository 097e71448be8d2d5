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
    case AnimatedProperty::Rotation: return 0.0;
    }
    return {};
}

// Past this a run counts as endless: a count like the largest float only
// means "until removed".
constexpr double kForeverSeconds = 365.0 * 24 * 3600;

bool holdsTypeOf(AnimatedProperty property, const AnimatedValue& value)
{
    switch (property) {
    case AnimatedProperty::Center: return std::holds_alternative<Point>(value);
    case AnimatedProperty::Bounds: return std::holds_alternative<Rect>(value);
    case AnimatedProperty::Alpha:
    case AnimatedProperty::Rotation: return std::holds_alternative<double>(value);
    case AnimatedProperty::Transform: return std::holds_alternative<AffineTransform>(value);
    case AnimatedProperty::BackgroundColor:
    case AnimatedProperty::LayerMaskColor: return std::holds_alternative<Color>(value);
    }
    return false;
}

bool isFinite(const AnimatedValue& value)
{
    if (auto p = std::get_if<Point>(&value))
        return std::isfinite(p->x) && std::isfinite(p->y);
    if (auto r = std::get_if<Rect>(&value))
        return std::isfinite(r->x()) && std::isfinite(r->y()) && std::isfinite(r->width()) && std::isfinite(r->height());
    if (auto d = std::get_if<double>(&value))
        return std::isfinite(*d);
    if (auto m = std::get_if<AffineTransform>(&value))
        return std::isfinite(m->a) && std::isfinite(m->b) && std::isfinite(m->c) && std::isfinite(m->d)
            && std::isfinite(m->tx) && std::isfinite(m->ty);
    auto c = std::get<Color>(value);
    return std::isfinite(c.red) && std::isfinite(c.green) && std::isfinite(c.blue) && std::isfinite(c.alpha);
}

// `value` moved on by `cycles` times `step`, for the kinds that add up.
AnimatedValue accumulated(const AnimatedValue& value, const AnimatedValue& step, double cycles)
{
    if (auto d = std::get_if<double>(&value))
        return *d + cycles * std::get<double>(step);
    if (auto p = std::get_if<Point>(&value)) {
        Point s = std::get<Point>(step);
        return Point{p->x + cycles * s.x, p->y + cycles * s.y};
    }
    return value;
}

// Seconds the animation plays, delay excluded; infinite when it repeats for ever.
double playTime(const KeyframeAnimation& a)
{
    return a.repeatsForever() ? std::numeric_limits<double>::infinity() : a.duration * std::max(a.repeatCount, 1.0);
}

AnimatedValue keyframeValue(const KeyframeAnimation& a, double t)
{
    const auto& values = a.values;
    if (values.size() == 1)
        return values.front();
    auto timeOf = [&](std::size_t i) {
        return a.keyTimes.empty() ? double(i) / double(values.size() - 1) : a.keyTimes[i];
    };
    std::size_t i = 0;
    while (i + 2 < values.size() && t >= timeOf(i + 1))
        ++i;
    double span = timeOf(i + 1) - timeOf(i);
    double local = span > 0 ? std::clamp((t - timeOf(i)) / span, 0.0, 1.0) : 1.0;
    return interpolate(values[i], values[i + 1], local);
}

void repaintWindowOf(const View& view)
{
    if (auto w = view.window())
        w->addDirtyRect({{0, 0}, w->bounds().size});
}

}

bool KeyframeAnimation::isValid() const
{
    if (values.empty() || !std::isfinite(duration) || duration <= 0 || !std::isfinite(delay) || delay < 0
        || std::isnan(repeatCount) || repeatCount < 0)
        return false;
    for (auto& v : values)
        if (!holdsTypeOf(property, v) || !isFinite(v))
            return false;
    if (keyTimes.empty())
        return true;
    if (keyTimes.size() != values.size())
        return false;
    double last = 0;
    for (double k : keyTimes) {
        if (!(k >= last && k <= 1))
            return false;
        last = k;
    }
    return true;
}

bool KeyframeAnimation::repeatsForever() const { return repeatCount * duration > kForeverSeconds; }

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
    watch(view);
    scheduleTicks();
}

void Animator::watch(View& view)
{
    auto weak = std::static_pointer_cast<View>(view.weak_from_this().lock());
    if (weak && std::none_of(m_animatingViews.begin(), m_animatingViews.end(),
                             [&](const std::weak_ptr<View>& v) { return v.lock() == weak; }))
        m_animatingViews.push_back(weak);
}

void Animator::keyedAnimationAdded(View& view)
{
    watch(view);
    scheduleTicks();
}

std::optional<AnimatedValue> Animator::keyedValue(const View& view, AnimatedProperty property) const
{
    const auto& list = view.m_keyedAnimations;
    double now = AnimationClock::current().now();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        const KeyframeAnimation& a = it->animation;
        if (a.property != property)
            continue;
        double elapsed = now - it->begin;
        if (elapsed < 0 || elapsed >= playTime(a))
            continue;
        double cycles = std::floor(elapsed / a.duration);
        double t = eased(a.curve, std::clamp(elapsed / a.duration - cycles, 0.0, 1.0));
        AnimatedValue value = keyframeValue(a, t);
        return a.cumulative && cycles > 0 ? accumulated(value, a.values.back(), cycles) : value;
    }
    return std::nullopt;
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

bool Animator::isSettled() const
{
    double now = AnimationClock::current().now();
    for (auto& weak : m_animatingViews) {
        auto view = weak.lock();
        if (!view)
            continue;
        if (!view->m_animations.empty())
            return false;
        for (auto& keyed : view->m_keyedAnimations)
            if (!keyed.animation.repeatsForever() && now < keyed.begin + playTime(keyed.animation))
                return false;
    }
    return std::none_of(m_displayLinks.begin(), m_displayLinks.end(), [](const std::weak_ptr<DisplayLink>& l) {
        auto link = l.lock();
        return link && link->isValid() && !link->isPaused();
    });
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
        std::erase_if(view->m_keyedAnimations,
                      [&](const KeyedAnimation& k) { return now >= k.begin + playTime(k.animation); });
    }
    std::erase_if(m_animatingViews, [](const std::weak_ptr<View>& v) {
        auto view = v.lock();
        return !view || (view->m_animations.empty() && view->m_keyedAnimations.empty());
    });

    if (isIdle() && m_timer) {
        m_timer->invalidate();
        m_timer.reset();
    }
}

}
