#include "framework/data/KRAutoHiddenViews.h"

#include "platform/ui/View.h"

#include <algorithm>
#include <cmath>

namespace {

void applyAlpha(const std::vector<pf::ViewRef>& views, double alpha)
{
    for (const auto& view : views) {
        if (!view)
            continue;
        view->setAlpha(alpha);
        view->setHidden(alpha == 0);
    }
}

}

void KRFadeAutoHiddenViews(const std::vector<pf::ViewRef>& views, const KRScrollMetrics& m, pf::Point& preContentOffset)
{
    if (m.offset.y <= -m.topInset) {
        applyAlpha(views, 1);
        return;
    }
    if (m.offset.y + m.height >= m.contentHeight || m.offset == preContentOffset)
        return;
    double dy = m.offset.y - preContentOffset.y;
    preContentOffset = m.offset;
    if (views.empty() || !views.back())
        return;
    double alpha = views.back()->alpha();
    if (dy > 0)
        alpha -= 0.05;
    else if (dy < 0)
        alpha += 0.05;
    // Whole hundredths, so twenty steps from 1 land exactly on 0 and hide the views.
    alpha = std::clamp(std::round(alpha * 100) / 100, 0.0, 1.0);
    applyAlpha(views, alpha);
}
