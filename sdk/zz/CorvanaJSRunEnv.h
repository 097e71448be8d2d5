#pragma once

// The SDK's script runtime: lets scripts call native methods and get their
// answer synchronously. Native objects are registered as modules; the
// runtime defines a script function for each method ("SendCmd.createClass");
// a call becomes a "corvanajsbridge://module/function?p0=…&p1=…" navigation
// that the script context hands to shouldStartLoad(); the runtime decodes
// the arguments by their type codes, runs the method and answers through
// SendCmd.setReturnValue before the navigation returns.
//
// Values only ever travel as script values, never spliced into script text.
// The scripts run in a web view's script context; the runtime is the web
// view's delegate: its navigations are the dispatcher's, and those of other
// schemes, like the view's load reports, go on to the delegate given here
// (other schemes are allowed when there is none). Creating a runtime
// installs CorvanaURLCache as the process's shared URL cache.
//
// Main thread only. The runtime keeps its web view; the delegate given here
// is not retained.

#include "platform/controls/WebView.h"
#include "platform/foundation/Value.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CorvanaJSObject;
class CorvanaMethodDescription;

class CorvanaJSRunEnv : public pf::WebViewDelegate, public std::enable_shared_from_this<CorvanaJSRunEnv> {
public:
    static constexpr const char* bridgeScheme = "corvanajsbridge";
    // The SendCmd bootstrap, run once in each new context after the script
    // package (plain ES5).
    static const char* const sendCmdScript;

    // Null without a web view or when it cannot make a script context. The
    // URL is not used.
    static std::shared_ptr<CorvanaJSRunEnv> initWithWebView(std::shared_ptr<pf::WebView> webView,
                                                            const std::string& requestURL,
                                                            std::weak_ptr<pf::WebViewDelegate> delegate);

    const std::shared_ptr<pf::WebView>& webview() const { return m_webview; }
    std::shared_ptr<pf::WebViewDelegate> theDelegate() const { return m_delegate.lock(); }
    std::string evaluateJavascript(std::string_view text) { return m_webview->stringByEvaluatingJavaScriptFromString(text); }

    // Stores the module under its key (replacing one of the same key) and
    // defines its functions in the script. False without a live native
    // object or a key.
    bool registNativeObj(const std::shared_ptr<CorvanaJSObject>& module);
    // Always true. The script functions stay defined; calls answer null.
    bool removeRegistObjForKey(const std::string& key);
    std::shared_ptr<CorvanaJSObject> registeredObject(const std::string& key) const;

    // The dispatcher. Its caller holds the runtime for the call (a native
    // method may drop the last other owner), as the web view does with its
    // delegate.
    bool webViewShouldStartLoadWithRequest(pf::WebView& webView, const std::string& url) override;
    void webViewDidStartLoad(pf::WebView& webView) override;
    void webViewDidFinishLoad(pf::WebView& webView) override;
    void webViewDidFailLoadWithError(pf::WebView& webView, const pf::Error& error) override;

    // The second part of each "name=value" piece, in order, not decoded.
    static std::vector<std::string> parseQueryParams(std::string_view query);
    static const CorvanaMethodDescription* findMethodIn(const CorvanaJSObject& module, std::string_view jsFunc);
    // The codecs of the type codes.
    static std::optional<std::string> dicToJson(const pf::Value& value);
    // Nil unless the text is a JSON object.
    static pf::DictionaryRef jsonToDic(const std::optional<std::string>& text);
    // Nil for no text or one under two characters.
    static pf::ArrayRef jsArrayToNSArray(const std::optional<std::string>& text);
    // One argument from its text (nothing when the call passed fewer).
    pf::Value decodeArgument(int code, std::optional<std::string> text) const;
    // The value handed to SendCmd.setReturnValue: text, or null.
    static pf::Value encodeResult(int code, pf::Value result);

private:
    explicit CorvanaJSRunEnv(std::shared_ptr<pf::WebView> webView) : m_webview(std::move(webView)) {}
    // Keeps an emptied vector whose room the next dispatch reuses.
    void keepSpare(std::vector<pf::Value>&& values);
    static constexpr std::size_t spareValuesLimit = 16;
    // Lets go of a module taken out of the pool; while a dispatch runs it is
    // kept until the outermost one ends, as a native method may remove or
    // replace its own module. A dispatch so needs no hold of its own.
    void retire(std::shared_ptr<CorvanaJSObject>&& module);
    class Dispatching;

    std::shared_ptr<pf::WebView> m_webview;
    std::weak_ptr<pf::WebViewDelegate> m_delegate;
    std::map<std::string, std::shared_ptr<CorvanaJSObject>, std::less<>> m_nativeObjPool;
    std::vector<pf::Value> m_spareValues;
    unsigned m_dispatchDepth = 0;
    std::vector<std::shared_ptr<CorvanaJSObject>> m_retired;
};
