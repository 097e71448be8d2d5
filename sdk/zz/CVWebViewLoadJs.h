#pragma once

// Leaves the login's enciphered token where the Plaza web pages look for it:
// a hidden, zero-size web view on the key window loads the Plaza web
// origin's root page and, at each navigation, runs a script that stores the
// key under "<open id>_<app id>" in the page's local storage when the page
// has one (values enter the script as literals, never as script text). The
// view goes once the page has loaded. Nothing is loaded while the Plaza web
// origin is the built-in placeholder, which no server answers.
//
// Main queue only. One shared instance.

#include "platform/controls/WebView.h"

#include <memory>
#include <optional>
#include <string>

class CVWebViewLoadJs : public pf::WebViewDelegate, public std::enable_shared_from_this<CVWebViewLoadJs> {
public:
    static std::shared_ptr<CVWebViewLoadJs> getInstance();
    static void clear();

    // Nothing unless all three are given.
    void loadJS(const std::optional<std::string>& appId, const std::optional<std::string>& openId,
                const std::optional<std::string>& key);
    const std::shared_ptr<pf::WebView>& webView() const { return m_webView; }
    // The script run at each navigation.
    std::string storageScript() const;

    bool webViewShouldStartLoadWithRequest(pf::WebView&, const std::string& url) override;
    void webViewDidFinishLoad(pf::WebView&) override;

private:
    std::string m_key;
    std::string m_openId;
    std::string m_appId;
    std::shared_ptr<pf::WebView> m_webView;
};
