// The session's web windows: the one the scripts open and the one of the
// bundle's pages.

#include "sdk/zz/CorvanaOAuth.h"

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "sdk/zz/APIResponse.h"
#include "sdk/zz/CVOSDKJSBridge.h"
#include "sdk/zz/CVOpenSDKErrorUtil.h"
#include "sdk/zz/URLExtend.h"

bool CorvanaOAuth::openNativeWebView(const std::optional<std::string>& url, const std::optional<std::string>& title)
{
    if (!url || url->empty())
        return false;
    if (!m_cvJSUiKit)
        m_cvJSUiKit = std::make_unique<CVUiKit>(m_appId);
    std::weak_ptr<CorvanaOAuth> weak = std::static_pointer_cast<CorvanaOAuth>(shared_from_this());
    // Not inside the script's call: the window opens on a later turn.
    pf::RunLoop::main().post([weak, page = *url, title] {
        if (auto session = weak.lock(); session && session->m_cvJSUiKit)
            session->m_cvJSUiKit->popWebViewWnd(page, title, std::weak_ptr<CVWebViewKitDelegate>(session));
    });
    return true;
}

void CorvanaOAuth::closeNativeWebView()
{
    std::weak_ptr<CorvanaOAuth> weak = std::static_pointer_cast<CorvanaOAuth>(shared_from_this());
    pf::RunLoop::main().post([weak] {
        auto session = weak.lock();
        if (session && session->m_cvJSUiKit && session->m_cvJSUiKit->webViewKit())
            session->m_cvJSUiKit->webViewKit()->doClose();
    });
}

bool CorvanaOAuth::openPageWebView(const std::string& url, const std::string& title)
{
    if (!m_cvUiKit)
        m_cvUiKit = std::make_unique<CVUiKit>(m_appId);
    auto self = std::static_pointer_cast<CorvanaOAuth>(shared_from_this());
    return m_cvUiKit->popWebViewWnd(url, title, std::weak_ptr<CVWebViewKitDelegate>(self));
}

bool CorvanaOAuth::webViewKitShouldStartLoadWithRequest(CVWebViewKit& kit, const std::string& url)
{
    auto self = shared_from_this();
    if (m_cvUiKit && m_cvUiKit->webViewKit().get() == &kit) {
        auto parsed = pf::URL::create(url);
        if (!parsed || parsed->scheme() != "corvana" + m_appId)
            return true;
        kit.doClose();
        const std::string& operation = parsed->host();
        std::string outcome = parsed->path();
        std::shared_ptr<APIResponse> response;
        if (outcome == "/success") {
            response = CVOpenSDKErrorUtil::apiResponseFromErrorCode(0);
            response->setRetCode(0);
            response->setDetailRetCode(0);
        } else if (outcome == "/cancel") {
            response = CVOpenSDKErrorUtil::apiResponseFromErrorCode(2);
            response->setRetCode(1);
        } else if (outcome == "/fail") {
            // A failure is not reported as success.
            response = CVOpenSDKErrorUtil::apiResponseFromErrorCode(12);
            response->setRetCode(1);
        }
        if (!response || operation.empty())
            return false;
        auto answer = dictionaryByParseUrlFromSeparator(url, "?");
        response->setJsonResponse(answer ? answer : pf::Dictionary::create());
        if (auto delegate = m_sessionDelegate.lock()) {
            if (operation == "SendStory")
                delegate->sendStoryResponse(response);
            else
                delegate->responseDidReceived(response, operation);
        }
        return false;
    }
    if (m_cvJSUiKit && m_cvJSUiKit->webViewKit().get() == &kit) {
        auto bridge = CVOSDKJSBridge::shareInstance();
        if (!bridge || !bridge->webView())
            return false;
        return bridge->webView()->callScriptFunction("appUtils.nativeWebViewCallback", { url }).stringOr() == "true";
    }
    return true;
}

void CorvanaOAuth::webViewKitDidLoadWithNetworkError(CVWebViewKit& kit, const pf::Error&)
{
    if (m_cvJSUiKit && m_cvJSUiKit->webViewKit().get() == &kit)
        kit.doClose();
}
