#pragma once

// A scroll view that tells its delegate of every content-offset change,
// whether from a drag, deceleration, a bounce or code. The delegate is not
// retained; one that is no KRScrollViewDelegate hears only the plain
// scroll-view callbacks.
//
// Main queue only.

#include "platform/controls/ScrollView.h"

class KRScrollView;

class KRScrollViewDelegate : public pf::ScrollViewDelegate {
public:
    virtual void scrollViewDidContentOffsetChanged(KRScrollView&, pf::Point /*offset*/) {}
};

class KRScrollView : public pf::ScrollView {
public:
    using pf::ScrollView::ScrollView;
    using pf::ScrollView::setContentOffset;

    void setContentOffset(pf::Point offset) override;
};
