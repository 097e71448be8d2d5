#pragma once

// A toolbar with a stretched background image (see KRBackgroundImageBar.h).
//
// Main queue only.

#include "framework/ui/KRBackgroundImageBar.h"
#include "platform/controls/Toolbar.h"

class KRToolbar : public KRBackgroundImageBar<pf::Toolbar> {
public:
    explicit KRToolbar(const pf::Rect& frame = pf::Rect(0, 0, 320, 44)) : KRBackgroundImageBar(frame) {}
};
