#pragma once

// Views (bars) that a list fades out while its content scrolls down and in
// while it scrolls up, shared by the list controllers. Each reported offset
// inside the content moves the alpha of every view by 0.05 (from the last
// view's alpha), hiding the views exactly when it reaches 0; at or above the
// top they show fully at once; past the end nothing changes. `preContentOffset`
// is the controller's record of the last offset seen inside the content.
//
// Main queue only.

#include "platform/graphics/Geometry.h"
#include "platform/ui/Forward.h"

#include <vector>

struct KRScrollMetrics {
    pf::Point offset;
    double topInset = 0;
    double height = 0;        // the scroll view's bounds height
    double contentHeight = 0;
};

void KRFadeAutoHiddenViews(const std::vector<pf::ViewRef>& views, const KRScrollMetrics& metrics,
                           pf::Point& preContentOffset);
