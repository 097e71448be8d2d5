#include "sdk/zz/CVWebViewLoadJs.h"

#include "platform/foundation/URL.h"
#include "platform/script/ScriptLiteral.h"
#include "platform/ui/Application.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "sdk/zz/CVOSDKServers.h"

namespace {

std::shared_ptr<CVWebViewLoadJs> g_instance;

}

std::shared_ptr<CVWebViewLoadJs> CVWebViewLoadJs::getInstance()
{
    if (!g_instance)
        g_instance = std::make_shared<CVWebViewLoadJs>();
    return g_instance;
}

void CVWebViewLoadJs::clear()
{
    if (g_instance && g_instance->m_webView) {
        g_instance->m_webView->setDelegate(nullptr);
        g_instance->m_webView->removeFromSuperview();
    }
    g_instance.reset();
}

void CVWebViewLoadJs::loadJS(const std::optional<std::string>& appId, const std::optional<std::string>& openId,
                             const std::optional<std::string>& key)
{
    if (!appId || !openId || !key)
        return;
    m_appId = *appId;
    m_openId = *openId;
    m_key = *key;
    if (m_webView) {
        m_webView->setDelegate(nullptr);
        m_webView->removeFromSuperview();
    }
    m_webView = std::make_shared<pf::WebView>(pf::Rect(0, 0, 0, 0));
    m_webView->setDelegate(shared_from_this());
    if (CVOSDKServers::isPlaceholder(CVOSDKServers::Row::PlazaWeb))
        return;
    m_webView->loadRequest(CVOSDKServers::origin(CVOSDKServers::Row::PlazaWeb) + "/");
    auto window = pf::Application::shared().keyWindow();
    auto root = window ? window->rootViewController() : nullptr;
    if (root)
        root->view()->addSubview(m_webView);
}

std::string CVWebViewLoadJs::storageScript() const
{
    std::string host;
    if (auto url = pf::URL::create(CVOSDKServers::origin(CVOSDKServers::Row::PlazaWeb)))
        host = url->host();
    return "(function (domain, name, value) {"
           " if (!window.localStorage) return;"
           " try { document.domain = domain; window.localStorage.setItem(name, encodeURIComponent(value)); }"
           " catch (e) { alert(e); }"
           "})("
        + pf::scriptStringLiteral(host) + ", " + pf::scriptStringLiteral(m_openId + "_" + m_appId) + ", "
        + pf::scriptStringLiteral(m_key) + ");";
}

bool CVWebViewLoadJs::webViewShouldStartLoadWithRequest(pf::WebView& webView, const std::string&)
{
    webView.stringByEvaluatingJavaScriptFromString(storageScript());
    return true;
}

void CVWebViewLoadJs::webViewDidFinishLoad(pf::WebView& webView)
{
    webView.removeFromSuperview();
}
