#pragma once

// A navigation bar with a stretched background image (see
// KRBackgroundImageBar.h).
//
// Main queue only.

#include "framework/ui/KRBackgroundImageBar.h"
#include "platform/controls/NavigationBar.h"

class KRNavigationBar : public KRBackgroundImageBar<pf::NavigationBar> {
public:
    explicit KRNavigationBar(const pf::Rect& frame = pf::Rect(0, 0, 320, 44)) : KRBackgroundImageBar(frame) {}
};
