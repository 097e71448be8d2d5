#include "sdk/zz/CVLoginViewKit.h"

#include "platform/foundation/ClampedSeconds.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/ui/Application.h"
#include "sdk/zz/CVOSDKServers.h"
#include "sdk/zz/CorvanaRequest.h"
#include "sdk/zz/CvApiTool.h"
#include "sdk/zz/ScriptIdentifier.h"
#include "sdk/zz/URLExtend.h"
#include "sdk/zz/URLTools.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

bool canOpen(const std::string& text)
{
    auto url = pf::URL::create(text);
    return url && pf::Application::shared().canOpenURL(*url);
}

bool openText(const std::string& text)
{
    auto url = pf::URL::create(text);
    return url && pf::Application::shared().openURL(*url);
}

// Only the text after the first "://" (the whole text without one).
std::string withoutScheme(const std::string& uri)
{
    std::size_t at = uri.find("://");
    return at == std::string::npos ? uri : uri.substr(at + 3);
}

// The leading integer of a text, clamped to the seconds a date may move.
double secondsOf(const std::string& text)
{
    return pf::clampedSeconds(std::trunc(std::strtod(text.c_str(), nullptr)));
}

std::string joined(const std::vector<std::string>& permissions)
{
    std::string text;
    for (const auto& permission : permissions)
        text += (text.empty() ? "" : ",") + permission;
    return text;
}

}

std::shared_ptr<CVLoginViewKit> CVLoginViewKit::create(std::string appId, std::optional<std::string> redirectURI,
                                                       std::vector<std::string> permissions,
                                                       std::weak_ptr<CVLoginViewDelegate> loginDelegate)
{
    std::shared_ptr<CVLoginViewKit> kit(new CVLoginViewKit());
    kit->setAuthorData(std::move(appId), std::move(redirectURI), std::move(permissions));
    kit->m_loginDelegate = std::move(loginDelegate);
    kit->setDelegate(kit->self());
    return kit;
}

std::weak_ptr<CVWebViewKitDelegate> CVLoginViewKit::self()
{
    return std::static_pointer_cast<CVLoginViewKit>(shared_from_this());
}

void CVLoginViewKit::setAuthorData(std::string appId, std::optional<std::string> redirectURI,
                                   std::vector<std::string> permissions)
{
    m_appId = std::move(appId);
    m_redirectURI = redirectURI.value_or(std::string());
    m_permissions = std::move(permissions);
}

std::string CVLoginViewKit::authorizeAddress()
{
    return CVOSDKServers::url(CVOSDKServers::Row::OAuth, "/oauth2.0/m_authorize");
}

std::string CVLoginViewKit::getOwnBaseUrl() const { return "corvana" + m_appId + "://" + m_redirectURI; }

pf::DictionaryRef CVLoginViewKit::pageParams(const pf::DictionaryRef& extraParams) const
{
    auto params = pf::Dictionary::create({ { "response_type", "token" },
                                           { "client_id", m_appId },
                                           { "redirect_uri", "auth://" + m_redirectURI },
                                           { "display", "mobile" },
                                           { "state", "test" },
                                           { "switch", "1" } });
    if (auto info = CvApiTool::SDKInfo())
        for (const auto& key : info->keys())
            params->set(key, info->get(key));
    if (extraParams)
        for (const auto& key : extraParams->keys())
            params->set(key, extraParams->get(key));
    if (!m_permissions.empty())
        params->set("scope", joined(m_permissions));
    return params;
}

bool CVLoginViewKit::openWithExtraParams(const pf::DictionaryRef& extraParams)
{
    m_isUseSafari = false;
    if (m_appId.empty()) {
        m_isBrowserError = false;
        return false;
    }
    m_redirectURI = trim(withoutScheme(m_redirectURI.empty() ? CVOSDKServers::kDefaultRedirectURI : m_redirectURI));
    auto params = pageParams(extraParams);
    if (m_isBrowserError) {
        params->set("browser_error", "1");
        m_isBrowserError = false;
    }
    loadURL(generateUrlString(authorizeAddress(), params), std::string(), self());
    return true;
}

bool CVLoginViewKit::openWithAppId(std::string appId, std::optional<std::string> redirectURI,
                                   std::vector<std::string> permissions, std::weak_ptr<CVLoginViewDelegate> loginDelegate)
{
    setAuthorData(std::move(appId), std::move(redirectURI), std::move(permissions));
    m_loginDelegate = std::move(loginDelegate);
    return open();
}

bool CVLoginViewKit::openWithSafariAndExtraParams(const pf::DictionaryRef& extraParams)
{
    if (m_appId.empty())
        return false;
    if (m_redirectURI.empty())
        m_redirectURI = CVOSDKServers::kDefaultRedirectURI;
    std::string key = CvApiTool::random16Str();
    if (m_serial.empty())
        return false;
    m_redirectURI = trim(withoutScheme(m_redirectURI));
    if (!CvApiTool::isRegistSchemeInfoPlistFile("corvana" + m_appId)
        || !pf::DeviceProfile::current().multitaskingSupported)
        return false;
    auto params = pageParams(extraParams);
    params->set("browser", "1");
    auto now = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch());
    params->set("b_time", std::to_string(now.count()));
    params->set("token_key", key);
    params->set("serial", m_serial);
    params->set("redirect_uri", getOwnBaseUrl());
    m_loginDict[m_serial] = BrowserLogin { key, m_newloginDelegate };
    std::string address = CorvanaRequest::serializeURL(authorizeAddress(), params);
    m_isUseSafari = false;
    if (isNewZZBrowserInstall())
        m_isUseSafari = openText("mzzbrowser://url=" + stringByEncodeUrl(address));
    if (isOldZZBrowserInstall() && pf::DeviceProfile::current().systemVersionNumber() >= 6.0)
        m_isUseSafari = openText("mttbrowser://url=" + stringByEncodeUrl(address));
    if (!m_isUseSafari && canOpen(address))
        m_isUseSafari = openText(address);
    if (!m_isUseSafari)
        m_loginDict.erase(m_serial);
    return m_isUseSafari;
}

bool CVLoginViewKit::isNewZZBrowserInstall() { return canOpen("mzzbrowser://"); }

bool CVLoginViewKit::isOldZZBrowserInstall() { return canOpen("mttbrowser://"); }

std::string CVLoginViewKit::generateUrlString(const std::string& base, const pf::DictionaryRef& params)
{
    if (!params)
        return base;
    std::string query;
    for (const auto& key : params->keys()) {
        if (!query.empty())
            query += '&';
        query += key + "=" + stringByEncodeUrl(params->get(key).description());
    }
    return base + "?" + query;
}

pf::DictionaryRef CVLoginViewKit::parseURLParams(const std::optional<std::string>& query)
{
    return query ? pf::parseQuery(*query) : nullptr;
}

void CVLoginViewKit::doJsFun(const std::string& callback, const pf::DictionaryRef& params)
{
    auto controller = webViewController();
    if (controller && controller->webview())
        controller->webview()->callScriptFunction(callback, { pf::Value(params) });
    doClose();
}

void CVLoginViewKit::cleanUp()
{
    m_accessToken.reset();
    m_openId.reset();
    m_expirationDate.reset();
}

void CVLoginViewKit::clearData()
{
    cleanUp();
    m_errorUrl.reset();
    m_newloginDelegate.reset();
    m_permissions.clear();
    m_redirectURI.clear();
}

void CVLoginViewKit::reportFailure(const std::optional<pf::Error>& error)
{
    auto keep = shared_from_this();
    if (auto delegate = m_loginDelegate.lock())
        delegate->loginViewKitDidFailuredWithError(*this, error, m_serial);
}

void CVLoginViewKit::reportSuccess()
{
    auto keep = shared_from_this();
    if (auto delegate = m_loginDelegate.lock())
        delegate->loginViewKitDidSucceedLogin(*this, m_serial);
}

bool CVLoginViewKit::webViewKitShouldStartLoadWithRequest(CVWebViewKit&, const std::string& url)
{
    auto keep = shared_from_this();
    if (m_loginCount >= kMaxNavigations) {
        m_loginCount = 0;
        return false;
    }
    if (url.empty())
        return false;
    if (url == requestUrl()) {
        m_loginCount++;
        return true;
    }
    std::string redirect = "auth://" + m_redirectURI;
    if (url.starts_with(redirect)) {
        if (url.find("access_token") != std::string::npos) {
            std::size_t hash = url.find('#');
            pf::DictionaryRef params = hash == std::string::npos ? nullptr : parseURLParams(url.substr(hash + 1));
            if (!params || params->keys().empty()) {
                std::size_t question = url.find('?');
                params = parseURLParams(question == std::string::npos ? std::nullopt
                                                                      : std::optional<std::string>(url.substr(question + 1)));
            }
            if (params) {
                m_accessToken = params->string("access_token");
                m_openId = params->string("openid");
                m_expirationDate = pf::Date { pf::Date::now().seconds + secondsOf(params->get("expires_in").stringOr()) };
            }
        }
        doClose();
        m_loginCount = 0;
        return false;
    }
    if (url.starts_with("corvana" + m_appId + "://" + CVOSDKServers::kAuthorisationHost + "/")) {
        if (auto answer = pf::URL::create(url))
            handleOpenURL(*answer);
        m_loginCount = 0;
        return false;
    }
    if (url == "corvana" + m_appId + "://cancel") {
        m_isUseSafari = false;
        m_isUserCancel = true;
        m_loginCount = 0;
        doClose();
        return false;
    }
    if (url.starts_with("auth://browser")) {
        std::size_t question = url.find('?');
        auto query = parseURLParams(question == std::string::npos ? std::string() : url.substr(question + 1));
        if (query && query->contains("redir"))
            m_errorUrl = query->string("redir");
        if (openWithSafariAndExtraParams(m_extraParams)) {
            m_loginCount = 0;
            return true;
        }
        if (query && query->get("fall_to_wv").stringOr() == "1") {
            m_isBrowserError = true;
            m_loginCount++;
            openWithExtraParams(m_extraParams);
            return false;
        }
        if (m_errorUrl) {
            loadURL(*m_errorUrl, std::string("错误"), self());
            m_loginCount++;
            return false;
        }
        return true;
    }
    return true;
}

void CVLoginViewKit::webViewKitDidFinishedWithError(CVWebViewKit&, const std::optional<pf::Error>& error)
{
    auto keep = shared_from_this();
    if (m_accessToken && !m_accessToken->empty() && m_expirationDate) {
        if (m_isUseSafari) {
            m_isUseSafari = false;
            return;
        }
        reportSuccess();
        doClose();
        return;
    }
    if (m_isUseSafari) {
        doClose();
        return;
    }
    std::optional<pf::Error> reported = error;
    if (m_isUserCancel) {
        m_isUserCancel = false;
        reported.reset();
    }
    reportFailure(reported);
    doClose();
}

void CVLoginViewKit::webViewKitDidLoadWithNetworkError(CVWebViewKit&, const pf::Error& error)
{
    if (!m_isUseSafari)
        reportFailure(error);
}

bool CVLoginViewKit::canHandleOpenURL(const pf::URL& url) const
{
    const std::string text = url.absoluteString();
    return text.starts_with("corvana" + m_appId + "://" + CVOSDKServers::kAuthorisationHost)
        || text.starts_with(getOwnBaseUrl());
}

bool CVLoginViewKit::handleOpenURL(const pf::URL& url)
{
    if (!canHandleOpenURL(url) || m_loginDict.empty())
        return false;
    auto keep = shared_from_this();
    pf::DictionaryRef params = url.fragment() ? parseURLParams(url.fragment()) : parseURLParams(url.query());
    if (!params)
        return false;
    std::string serial = params->get("serial").stringOr();
    auto entry = m_loginDict.find(serial);
    if (entry == m_loginDict.end()) {
        pf::log("CVLoginViewKit: a browser answer for no login in flight is ignored");
        return false;
    }
    std::string key = entry->second.tokenKey;
    m_loginDict.erase(entry);
    // Only now that the answer is ours may it run its callback in the page.
    if (auto cb = params->string("cb"); cb && isDottedIdentifier(*cb)) {
        std::weak_ptr<CVLoginViewKit> weak = std::static_pointer_cast<CVLoginViewKit>(shared_from_this());
        pf::RunLoop::main().post([weak, callback = *cb, params] {
            if (auto kit = weak.lock())
                kit->doJsFun(callback, params);
        });
    } else {
        doClose();
    }
    m_serial = serial;
    if (auto token = params->string("access_token")) {
        m_accessToken = CvApiTool::decodeAccessToken(token, key);
        if (auto openId = params->string("openid"))
            m_openId = openId;
        double seconds = secondsOf(params->get("expires_in").stringOr());
        if (seconds != 0)
            m_expirationDate = pf::Date { pf::Date::now().seconds + seconds };
        if (m_accessToken && !m_accessToken->empty() && m_expirationDate)
            reportSuccess();
        else // a token that does not decode, or no lifetime: the login still ends
            reportFailure(pf::Error { "corvanaErrDomain", 0, "" });
        return true;
    }
    std::string error = params->get("error").stringOr();
    if (error == "service_disabled_use_browser") {
        openWithSafari();
        return true;
    }
    if (params->contains("error_code") || (params->contains("error") && error != "access_denied"))
        reportFailure(pf::Error { "corvanaErrDomain", 0, "" });
    else
        reportFailure(std::nullopt);
    return true;
}
