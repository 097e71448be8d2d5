#pragma once

// A view for web pages. Its first subview is the scroll view the page
// scrolls in; like the platform's, it carries decorative shadow image views
// at its edges (inside itself and inside the scroll view), which hosts that
// want a flat look hide. Pages are laid out into the scroll view by the
// page renderer; this view keeps what it was asked to load.
//
// Main thread only. The delegate is not retained.

#include "platform/ui/View.h"

#include <optional>
#include <string>

namespace pf {

class ScrollView;
class WebView;

class WebViewDelegate {
public:
    virtual ~WebViewDelegate() = default;
    virtual bool webViewShouldStartLoadWithRequest(WebView&, const std::string& /*url*/) { return true; }
    virtual void webViewDidStartLoad(WebView&) {}
    virtual void webViewDidFinishLoad(WebView&) {}
    virtual void webViewDidFailLoadWithError(WebView&, const Error&) {}
};

class WebView : public View {
public:
    explicit WebView(const Rect& frame = {});

    ObjectRef delegateObject() const { return m_delegateObject.lock(); }
    void setDelegateObject(const ObjectRef& delegate);
    void setDelegate(const std::shared_ptr<WebViewDelegate>& delegate);
    std::shared_ptr<WebViewDelegate> delegate() const { return m_delegate.lock(); }

    const std::shared_ptr<ScrollView>& scrollView();
    // Asks the delegate first; answers whether the load was accepted.
    bool loadHTMLString(const std::string& html, const std::string& baseURL);
    bool loadRequest(const std::string& url);
    const std::optional<std::string>& htmlString() const { return m_html; }
    const std::string& url() const { return m_url; }

    void layoutSubviews() override;
    ViewRef hitTest(Point p) override;

protected:
    // Called once the subviews are in the tree, for subclasses that adjust them.
    virtual void subviewsDidAttach() {}

private:
    std::weak_ptr<WebViewDelegate> m_delegate;
    WeakObject m_delegateObject;
    std::shared_ptr<ScrollView> m_scrollView;
    std::optional<std::string> m_html;
    std::string m_url;
    ViewRef m_topShadow;
    bool m_attached = false; // subviews join the tree once the view is owned
};

}
