#pragma once

// The SDK's page screen: a web view filling the view, with a grey activity
// indicator centred on it while a page loads. The page's load reports and
// every navigation go to the delegate; the screen tells it once that it
// closed (doClose(), or the view going away), with the last load error,
// and then forgets it.
//
// A URL on "localhost" (or a file URL) whose last component is
// "local.html" is read from disk and shown with the Plaza web origin as its
// base, the URL's query carried over; any other URL is requested ignoring
// cached data, timing out after 30 seconds.
//
// Main queue only. The delegate is not retained.

#include "platform/controls/WebView.h"
#include "platform/foundation/Error.h"
#include "platform/ui/ViewController.h"

#include <memory>
#include <optional>
#include <string>

namespace pf {
class ActivityIndicatorView;
}
class CVWebViewController;

class CVWebViewControllerDelegate {
public:
    virtual ~CVWebViewControllerDelegate() = default;
    virtual void webViewControllerDidCloseWithLastError(CVWebViewController&, const std::optional<pf::Error>&) {}
    virtual void webViewControllerDidFailLoadWithError(CVWebViewController&, const pf::Error&) {}
    virtual bool webViewControllerShouldStartLoadWithRequest(CVWebViewController&, const std::string& /*url*/)
    {
        return true;
    }
};

class CVWebViewController : public pf::ViewController, public pf::WebViewDelegate {
public:
    CVWebViewController(std::string requestURLStr, std::optional<std::string> webTitle,
                        std::weak_ptr<CVWebViewControllerDelegate> delegate);
    ~CVWebViewController() override;

    const std::shared_ptr<pf::WebView>& webview() const { return m_webview; }
    const std::shared_ptr<pf::ActivityIndicatorView>& activityIndicatorView() const { return m_indicator; }
    const std::optional<std::string>& webTitle() const { return m_webTitle; }
    void setWebTitle(std::optional<std::string> title) { m_webTitle = std::move(title); }
    const std::string& requestURLStr() const { return m_requestURLStr; }
    void setRequestURLStr(std::string url) { m_requestURLStr = std::move(url); }
    const std::optional<pf::Error>& error() const { return m_error; }
    std::shared_ptr<CVWebViewControllerDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(std::weak_ptr<CVWebViewControllerDelegate> delegate) { m_delegate = std::move(delegate); }
    bool finished() const { return m_finished; }

    void loadURL();
    void stopLoad();
    void doClose();

    void viewDidLoad() override;
    void viewDidDisappear(bool animated) override;

    bool webViewShouldStartLoadWithRequest(pf::WebView&, const std::string& url) override;
    void webViewDidStartLoad(pf::WebView&) override;
    void webViewDidFinishLoad(pf::WebView&) override;
    void webViewDidFailLoadWithError(pf::WebView&, const pf::Error& error) override;

    // The local page's base: the Plaza web origin with the URL's query;
    // nothing for a URL that is no local page.
    static std::optional<std::string> localPageBase(const std::string& url);

private:
    void tellClosed();

    std::shared_ptr<pf::WebView> m_webview;
    std::shared_ptr<pf::ActivityIndicatorView> m_indicator;
    std::optional<std::string> m_webTitle;
    std::string m_requestURLStr;
    std::optional<pf::Error> m_error;
    std::weak_ptr<CVWebViewControllerDelegate> m_delegate;
    bool m_finished = false;
};
