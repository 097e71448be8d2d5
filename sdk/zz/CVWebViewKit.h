#pragma once

// The SDK's web-page window: opens a page in a window of its own that
// slides in from the left over the application (0.2 s), under a navigation
// bar with a "关闭" button, and slides it out again (0.3 s) when closed,
// making the earlier key window key again. The phone's back closes it as
// "关闭" does and reaches nothing under it. While a page shows, the other
// windows are moved off the screen (status bar, keyboards and alerts stay).
//
// Pages call native code by navigating to "CVWebViewKit://<operation>/<arg>…"
// (scheme in any case; the operation is the selector with ":" written "-";
// each argument a percent-encoded UTF-8 path component). Only the operations
// of a fixed table answer: the bar operations, doClose,
// doCloseWithNotAnimation and onClickClose. Extra components are ignored,
// missing ones arrive as nothing; a call to anything else, or one whose
// component does not decode, does nothing. Such a navigation never loads.
// Booleans read "1", "true" and "YES" (any case) as true.
//
// The delegate hears of the close once (webViewKitDidFinishedWithError),
// of a cancelled load (-999) as a content error and of any other failed load
// as a network error; its answer decides every other navigation.
//
// Main queue only. The delegate is not retained; the kit keeps its window
// and page screen while open.

#include "platform/foundation/Error.h"
#include "platform/foundation/Object.h"
#include "platform/ui/Forward.h"
#include "sdk/zz/CVWebViewController.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pf {
class BarButtonItem;
}
class CVWebNavigationController;
class CVWebViewKit;

class CVWebViewKitDelegate {
public:
    virtual ~CVWebViewKitDelegate() = default;
    virtual void webViewKitDidFinishedWithError(CVWebViewKit&, const std::optional<pf::Error>&) {}
    virtual void webViewKitDidLoadWithContentError(CVWebViewKit&, const pf::Error&) {}
    virtual void webViewKitDidLoadWithNetworkError(CVWebViewKit&, const pf::Error&) {}
    virtual bool webViewKitShouldStartLoadWithRequest(CVWebViewKit&, const std::string& /*url*/) { return true; }
};

class CVWebViewKit : public pf::Object, public CVWebViewControllerDelegate {
public:
    static constexpr double kSlideInSeconds = 0.2;
    static constexpr double kSlideOutSeconds = 0.3;

    CVWebViewKit() = default;
    CVWebViewKit(std::string url, std::optional<std::string> webTitle, std::weak_ptr<CVWebViewKitDelegate> delegate);
    ~CVWebViewKit() override;

    const std::shared_ptr<CVWebViewController>& webViewController() const { return m_webViewController; }
    const std::string& requestUrl() const { return m_requestUrl; }
    const std::optional<std::string>& webTitle() const { return m_webTitle; }
    std::shared_ptr<CVWebViewKitDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(std::weak_ptr<CVWebViewKitDelegate> delegate) { m_delegate = std::move(delegate); }
    const pf::WindowRef& window() const { return m_window; }
    const std::shared_ptr<CVWebNavigationController>& navigationController() const { return m_navigation; }
    bool isClosing() const { return m_isClosing; }

    bool open();
    void openWithUrl(std::string url, std::optional<std::string> webTitle, std::weak_ptr<CVWebViewKitDelegate> delegate);
    void loadURL(std::string url, std::optional<std::string> webTitle, std::weak_ptr<CVWebViewKitDelegate> delegate);
    // A page screen for the caller to present itself (no window, no slide).
    std::shared_ptr<CVWebViewController> getViewControllerWithUrl(std::string url, std::optional<std::string> webTitle,
                                                                  std::weak_ptr<CVWebViewKitDelegate> delegate);

    // Bar operations, also open to pages.
    void setNavigationTitle(const std::optional<std::string>& title);
    void setLeftNavigationBarButton(const std::optional<std::string>& title, const std::optional<std::string>& js);
    void setRightNavigationBarButton(const std::optional<std::string>& title, const std::optional<std::string>& js);
    void setNavigationBarHidden(const std::optional<std::string>& hidden, const std::optional<std::string>& animated);
    // Runs the button's bound script in the page.
    void onClickBarButton(const std::optional<std::string>& js);
    void onClickClose();
    void doClose();
    void doCloseWithNotAnimation();
    // Tears the window down at once.
    void closeWindow();

    // A page's call: true when `url` is one (it must not load then), whether
    // or not an operation ran.
    bool handlePageCall(const std::string& url);
    static bool boolFromText(const std::optional<std::string>& text);

    // CVWebViewControllerDelegate
    void webViewControllerDidCloseWithLastError(CVWebViewController&, const std::optional<pf::Error>& error) override;
    void webViewControllerDidFailLoadWithError(CVWebViewController&, const pf::Error& error) override;
    bool webViewControllerShouldStartLoadWithRequest(CVWebViewController&, const std::string& url) override;

private:
    void close(bool animated);
    void moveOtherWindowsOut();
    std::shared_ptr<pf::BarButtonItem> createNavigationBarButton(const std::string& title,
                                                                 const std::optional<std::string>& js);

    std::weak_ptr<CVWebViewKitDelegate> m_delegate;
    std::shared_ptr<CVWebViewController> m_webViewController;
    std::shared_ptr<CVWebNavigationController> m_navigation;
    std::string m_requestUrl;
    std::optional<std::string> m_webTitle;
    pf::WindowRef m_window;
    std::vector<pf::WindowRef> m_windowsArray;
    pf::WindowRef m_keywindow;
    bool m_isClosing = false;
};
