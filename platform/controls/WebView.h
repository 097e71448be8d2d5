#pragma once

// A view for web pages. Its first subview is the scroll view the page
// scrolls in; like the platform's, it carries decorative shadow image views
// at its edges (inside itself and inside the scroll view), which hosts that
// want a flat look hide.
//
// Loads are asynchronous: every delegate call comes on a later run-loop
// turn, never inside the call that caused it. A load asks the delegate,
// reports its start, then its finish or failure; pages over http and https
// are fetched off the main thread, and every redirect target is put to the
// delegate before it is followed. A refused navigation, first or redirected,
// ends the load and reports nothing. A newer load or stopLoading() ends an
// older one (its transfer is cancelled); one that had reported its start
// then reports only its failure with the URL-error code -999 (cancelled). The page is laid out at the
// view's width and sets the scroll view's content size; only the part of it
// that shows (and a margin) is drawn. A tapped link loads like loadRequest(),
// except that a page from the network never leads to a local file. Pages
// come from the loader the renderer installs (setPageLoader); without one
// every load fails.
//
// Scripts run in the view's own script context, made on first use. It
// belongs to the view, not to the page: loading a page neither runs the
// page's <script> elements nor resets what earlier evaluations defined, so
// a hidden view serves as a long-lived script host. A script's openURL()
// asks the delegate's webViewShouldStartLoadWithRequest synchronously
// (allowed without a delegate) and answers its verdict; the delegate may
// evaluate again from there.
//
// Main thread only. The delegate is not retained.

#include "platform/controls/WebPage.h"
#include "platform/foundation/Value.h"
#include "platform/script/Forward.h"
#include "platform/ui/View.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// Errors of the domain "pf::WebView".
enum class WebViewError : long long { NoRenderer = 1 };
inline constexpr const char* webViewErrorDomain = "pf::WebView";

class WebView : public View {
public:
    explicit WebView(const Rect& frame = {});
    ~WebView() override;

    // The process-wide page renderer.
    static void setPageLoader(WebPageLoader loader);

    ObjectRef delegateObject() const { return m_delegateObject.lock(); }
    void setDelegateObject(const ObjectRef& delegate);
    void setDelegate(const std::shared_ptr<WebViewDelegate>& delegate);
    std::shared_ptr<WebViewDelegate> delegate() const { return m_delegate.lock(); }

    const std::shared_ptr<ScrollView>& scrollView();
    // Start a load (replacing any running one); false when the view is not
    // owned by a shared pointer and so cannot load.
    bool loadHTMLString(const std::string& html, const std::string& baseURL);
    // The request's time-out and cache policy hold for the page and what
    // it shows; the page's cookies are sent and kept.
    bool loadRequest(const HttpRequest& request);
    bool loadRequest(const std::string& url);
    // Loads the current page again with the request it was loaded with.
    bool reload();
    void stopLoading();
    bool isLoading() const { return m_loading; }
    const std::optional<std::string>& htmlString() const { return m_html; }
    // The page's URL, after redirects once it has loaded.
    const std::string& url() const { return m_url; }
    // The shown page's <title>; empty without one.
    std::string title() const;
    // For tests: loads the first link of the shown page whose text is
    // `text`, as a tap on it would; false when there is none.
    bool followLinkWithText(std::string_view text);
    // Sets (or, without a value, removes) an attribute of the shown page's
    // <body> and lays the page out again, so that its style sheets can
    // select the mark (body[name="value"]). Our scripts never reach a
    // page's document, so hosts mark pages through this instead. Only the
    // shown page carries it; false without a page or when the renderer cannot.
    bool setPageBodyAttribute(const std::string& name, const std::optional<std::string>& value);

    // The view's script context (the view is its delegate); null when the
    // engine cannot make one.
    const std::shared_ptr<ScriptContext>& scriptContext();
    // The completion value as text: "" for undefined, null or a failure.
    std::string stringByEvaluatingJavaScriptFromString(std::string_view text);
    // Calls the function at the dotted path with the values as script
    // arguments (never as source); its result, or nil when the call failed.
    Value callScriptFunction(std::string_view path, const std::vector<Value>& arguments = {});

    void layoutSubviews() override;
    ViewRef hitTest(Point p) override;

protected:
    // Called once the subviews are in the tree, for subclasses that adjust them.
    virtual void subviewsDidAttach() {}

private:
    friend class WebContentView;
    class ScriptHook;
    bool startLoad(std::optional<std::string> html, const HttpRequest& request);
    void beginLoad(unsigned generation);
    bool redirect(unsigned generation, const std::string& url);
    void finishLoad(unsigned generation, ErrorOr<std::unique_ptr<WebPage>> page, const std::string& url);
    void layoutPage();
    void linkTapped(Point pagePoint);
    bool followLink(const std::string& link);

    std::weak_ptr<WebViewDelegate> m_delegate;
    WeakObject m_delegateObject;
    std::shared_ptr<ScrollView> m_scrollView;
    std::shared_ptr<View> m_content; // the page, backed where it shows
    std::unique_ptr<WebPage> m_page;
    std::shared_ptr<WebPageLoad> m_load;
    HttpRequest m_request;
    std::shared_ptr<ScriptContext> m_scriptContext;
    std::shared_ptr<ScriptHook> m_scriptHook; // the context's delegate, which holds it weakly
    std::optional<std::string> m_html;
    std::string m_url;
    ViewRef m_topShadow;
    Size m_pageSize;
    double m_laidOutWidth = -1;
    unsigned m_generation = 0;
    bool m_loading = false;
    bool m_started = false; // the running load has reported its start
    bool m_attached = false; // subviews join the tree once the view is owned
};

}
