#include "app/screens/shared/ZMRLoadingView.h"

#include <limits>
#include <numbers>

namespace {

pf::KeyframeAnimation spin()
{
    pf::KeyframeAnimation animation;
    animation.property = pf::AnimatedProperty::Rotation;
    // Single-precision angles: the turn ends where a float 2π lands, and the
    // cumulative cycles add exactly that.
    constexpr float pi = std::numbers::pi_v<float>;
    for (float angle : {0.0f, pi / 2, pi, 3 * pi / 2, 2 * pi})
        animation.values.push_back(static_cast<double>(angle));
    animation.duration = 0.8;
    animation.cumulative = true;
    // The largest finite float: plays for ages, so the animator treats it as forever.
    animation.repeatCount = std::numeric_limits<float>::max();
    return animation;
}

}

void ZMRLoadingView::startAnimating()
{
    if (!isAnimating())
        addAnimation(kAnimationKey, spin());
}

void ZMRLoadingView::stopAnimating()
{
    if (isAnimating())
        removeAnimation(kAnimationKey);
}

bool ZMRLoadingView::isAnimating() const
{
    return animationForKey(kAnimationKey).has_value();
}
