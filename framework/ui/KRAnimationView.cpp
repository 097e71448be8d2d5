#include "framework/ui/KRAnimationView.h"

#include "platform/controls/ActivityIndicatorView.h"

void KRStartAnimating(pf::View& view)
{
    if (auto* indicator = dynamic_cast<pf::ActivityIndicatorView*>(&view))
        indicator->startAnimating();
    else if (auto* animation = dynamic_cast<KRAnimationView*>(&view))
        animation->startAnimating();
}

void KRStopAnimating(pf::View& view)
{
    if (auto* indicator = dynamic_cast<pf::ActivityIndicatorView*>(&view))
        indicator->stopAnimating();
    else if (auto* animation = dynamic_cast<KRAnimationView*>(&view))
        animation->stopAnimating();
}
