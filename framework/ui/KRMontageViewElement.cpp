#include "framework/ui/KRMontageViewElement.h"

#include "framework/ui/KRMontageLocus.h"
#include "framework/ui/KRMontageScenes.h"
#include "platform/ui/View.h"

#include <cmath>

void KRMontageViewElement::scenesOnValueChanged(KRMontageScenes& scenes, float progress)
{
    if (!(progress >= 0 && progress <= 1))
        return;
    KRMontageLocusPoint point;
    if (auto locus = scenes.locusForName(locusName()))
        point = locus->locusPoint(progress, *this);
    if (!std::isfinite(point.y))
        return;
    pf::ViewRef content = scenes.contentView();
    pf::ViewRef view = m_view;
    if (!content || !view)
        return;
    double width = content->bounds().size.width;
    double height = content->bounds().size.height;
    double h = view->frame().size.height;
    view->setCenter({ width * 0.5, (height - h) * (1 - double(point.y)) + h / 2 });
    // Front-most, as adding it again would; its drawing is kept.
    if (view->superview() == content)
        content->bringSubviewToFront(view);
    else
        content->addSubview(view);
}
