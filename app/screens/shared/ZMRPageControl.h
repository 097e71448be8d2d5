#pragma once

// The page control interface files of the application name. Main queue only.

#include "platform/controls/PageControl.h"

class ZMRPageControl : public pf::PageControl {
public:
    explicit ZMRPageControl(const pf::Rect& frame = {}) : pf::PageControl(frame) {}
};
