#pragma once

// A web view without the platform's edge shadows: every image view among
// its own subviews and among its scroll view's is hidden, and the page
// decelerates at the normal rate.
//
// Main queue only.

#include "platform/controls/WebView.h"

class KRWebView : public pf::WebView {
public:
    explicit KRWebView(const pf::Rect& frame = {}) : pf::WebView(frame) {}

protected:
    void subviewsDidAttach() override;
};
