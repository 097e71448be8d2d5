#pragma once

// A web page inside the application. The query of the screen's URL names
// the page: "key", the name of an address in the screen's configuration
// entry, wins over "url", an address given whole; "title" is the screen's
// title. A "key" naming no text loads nothing, even with a "url". Only http
// and https pages load, first or followed: anything else (the
// application's own screen schemes, file, javascript, data) is refused with
// a log line, so a page can neither open screens nor read local files.
//
// While a page loads, the right item of `toolItem` is a spinning activity
// indicator; once it has loaded, failed or ended on a refused address, the
// system "refresh" item, which reloads the web view. A page refused as too
// large, too deep or too costly to lay out would otherwise leave the view
// blank with no word why, so `refusedLabel` (hidden until then) says so
// over it until the next load starts; the reason goes to the log, as for
// every failure.
//
// Main queue only.

#include "app/screens/shared/ZMRViewController.h"
#include "platform/controls/WebView.h"

namespace pf {
class Label;
class NavigationItem;
}

class ZMRBrowserViewController : public ZMRViewController, public pf::WebViewDelegate {
public:
    const std::shared_ptr<pf::WebView>& webView() const { return m_webView; }
    void setWebView(std::shared_ptr<pf::WebView> view) { m_webView = std::move(view); }
    const std::shared_ptr<pf::NavigationItem>& toolItem() const { return m_toolItem; }
    void setToolItem(std::shared_ptr<pf::NavigationItem> item) { m_toolItem = std::move(item); }
    const std::shared_ptr<pf::Label>& refusedLabel() const { return m_refusedLabel; }
    void setRefusedLabel(std::shared_ptr<pf::Label> label) { m_refusedLabel = std::move(label); }

    // The address the screen's URL names, or nothing.
    std::optional<std::string> pageAddress() const;

    void viewDidLoad() override;

    bool webViewShouldStartLoadWithRequest(pf::WebView& webView, const std::string& url) override;
    void webViewDidStartLoad(pf::WebView& webView) override;
    void webViewDidFinishLoad(pf::WebView& webView) override;
    void webViewDidFailLoadWithError(pf::WebView& webView, const pf::Error& error) override;

private:
    void showReloadItem();

    std::shared_ptr<pf::WebView> m_webView;
    std::shared_ptr<pf::NavigationItem> m_toolItem;
    std::shared_ptr<pf::Label> m_refusedLabel;
};
