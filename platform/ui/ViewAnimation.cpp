// The view's side of animation: animation blocks and presentation values.

#include "platform/ui/Animation.h"
#include "platform/ui/View.h"

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

Point View::presentationCenter() const
{
    auto a = Animator::shared().running(*this, AnimatedProperty::Center);
    return a ? std::get<Point>(Animator::shared().presentationValue(*a)) : m_center;
}

Rect View::presentationBounds() const
{
    auto a = Animator::shared().running(*this, AnimatedProperty::Bounds);
    return a ? std::get<Rect>(Animator::shared().presentationValue(*a)) : m_bounds;
}

double View::presentationAlpha() const
{
    auto a = Animator::shared().running(*this, AnimatedProperty::Alpha);
    return a ? std::get<double>(Animator::shared().presentationValue(*a)) : m_alpha;
}

AffineTransform View::presentationTransform() const
{
    auto a = Animator::shared().running(*this, AnimatedProperty::Transform);
    return a ? std::get<AffineTransform>(Animator::shared().presentationValue(*a)) : m_transform;
}

std::optional<Color> View::presentationBackgroundColor() const
{
    auto a = Animator::shared().running(*this, AnimatedProperty::BackgroundColor);
    if (!a)
        return m_backgroundColor;
    return std::get<Color>(Animator::shared().presentationValue(*a));
}

std::optional<Color> View::presentationLayerMaskColor() const
{
    auto a = Animator::shared().running(*this, AnimatedProperty::LayerMaskColor);
    if (!a)
        return m_layerMaskColor;
    return std::get<Color>(Animator::shared().presentationValue(*a));
}

void View::removeAllAnimations()
{
    if (m_animations.empty())
        return;
    Animator::shared().viewDestroyed(m_animations);
    invalidateVisual();
}

}
