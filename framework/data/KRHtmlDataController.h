#pragma once

// The data controller of a screen that shows web content in a web view: it
// owns the web view, shows or hides the shadow images the web view draws
// at its edges, and lets go of the web view cleanly. Loading pages is the
// screen's business.
//
// Going away, the controller clears the web view's delegate and stops its
// load, so nothing is delivered afterwards. Main queue only.

#include "framework/data/KRDataController.h"
#include "platform/controls/WebView.h"

class KRHtmlDataController : public KRDataController, public pf::WebViewDelegate {
public:
    ~KRHtmlDataController() override;

    const std::shared_ptr<pf::WebView>& webView() const { return m_webView; }
    void setWebView(std::shared_ptr<pf::WebView> webView) { m_webView = std::move(webView); }
    // Every image view among the web view's direct subviews and its scroll
    // view's is shown or hidden; other subviews are untouched.
    void setShowShadows(bool show);

private:
    std::shared_ptr<pf::WebView> m_webView;
};
