// The view's side of animation: animation blocks, keyed animations and
// presentation values.

#include "platform/ui/Animation.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/AnimationClock.h"
#include "platform/ui/View.h"

#include <algorithm>

namespace pf {

void View::animate(double duration, const std::function<void()>& changes, std::function<void(bool)> completion)
{
    AnimationOptions options;
    options.duration = duration;
    animate(options, changes, std::move(completion));
}

void View::animate(const AnimationOptions& options, const std::function<void()>& changes,
                   std::function<void(bool)> completion)
{
    Animator::shared().begin(options, std::move(completion));
    if (changes)
        changes();
    Animator::shared().commit();
}

namespace {

// A keyed animation of the property wins over a block animation of it,
// which wins over the model value.
template <class T> std::optional<T> animatedValue(const View& view, AnimatedProperty property)
{
    Animator& animator = Animator::shared();
    if (auto keyed = animator.keyedValue(view, property))
        return std::get<T>(*keyed);
    if (auto a = animator.running(view, property))
        return std::get<T>(animator.presentationValue(*a));
    return std::nullopt;
}

}

Point View::presentationCenter() const
{
    return animatedValue<Point>(*this, AnimatedProperty::Center).value_or(m_center);
}

Rect View::presentationBounds() const
{
    return animatedValue<Rect>(*this, AnimatedProperty::Bounds).value_or(m_bounds);
}

double View::presentationAlpha() const
{
    return std::clamp(animatedValue<double>(*this, AnimatedProperty::Alpha).value_or(m_alpha), 0.0, 1.0);
}

AffineTransform View::presentationTransform() const
{
    AffineTransform t = animatedValue<AffineTransform>(*this, AnimatedProperty::Transform).value_or(m_transform);
    if (auto angle = Animator::shared().keyedValue(*this, AnimatedProperty::Rotation))
        t = AffineTransform::rotation(std::get<double>(*angle)).concatenated(t);
    return t;
}

std::optional<Color> View::presentationBackgroundColor() const
{
    if (auto c = animatedValue<Color>(*this, AnimatedProperty::BackgroundColor))
        return c;
    return m_backgroundColor;
}

std::optional<Color> View::presentationLayerMaskColor() const
{
    if (auto c = animatedValue<Color>(*this, AnimatedProperty::LayerMaskColor))
        return c;
    return m_layerMaskColor;
}

void View::removeAllAnimations()
{
    if (m_animations.empty() && m_keyedAnimations.empty())
        return;
    m_keyedAnimations.clear();
    Animator::shared().viewDestroyed(m_animations);
    invalidateVisual();
}

bool View::addAnimation(const std::string& key, const KeyframeAnimation& animation)
{
    PF_ASSERT_MAIN_THREAD();
    if (!animation.isValid())
        return false;
    if (!key.empty())
        std::erase_if(m_keyedAnimations, [&](const KeyedAnimation& k) { return k.key == key; });
    m_keyedAnimations.push_back({key, animation, AnimationClock::current().now() + animation.delay});
    Animator::shared().keyedAnimationAdded(*this);
    invalidateVisual();
    return true;
}

std::optional<KeyframeAnimation> View::animationForKey(std::string_view key) const
{
    if (key.empty())
        return std::nullopt;
    for (auto& k : m_keyedAnimations)
        if (k.key == key)
            return k.animation;
    return std::nullopt;
}

void View::removeAnimation(std::string_view key)
{
    if (key.empty())
        return;
    if (std::erase_if(m_keyedAnimations, [&](const KeyedAnimation& k) { return k.key == key; }))
        invalidateVisual();
}

}
