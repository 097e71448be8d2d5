// The session's creation, its script state, the login and sign-out, and the
// network watch of a login.

#include "sdk/zz/CorvanaOAuth.h"

#include "platform/controls/AlertView.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/script/ScriptContext.h"
#include "platform/script/ScriptLiteral.h"
#include "sdk/zz/CVOSDKJSBridge.h"
#include "sdk/zz/CVOSDKReachability.h"
#include "sdk/zz/CVOSDKServers.h"
#include "sdk/zz/CorvanaJSRunEnv.h"
#include "sdk/zz/JsUpdateManager.h"
#include "sdk/zz/JsUpdateVersionController.h"
#include "sdk/zz/OpenApi.h"
#include "sdk/zz/TOSDKRSACryptor.h"
#include "sdk/zz/ZZApi.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

std::weak_ptr<CorvanaOAuth> g_currentSession;
int g_loginCounter = 0;

constexpr int kRebuildEvery = 10;

std::string joined(const std::vector<std::string>& permissions)
{
    std::string text;
    for (const auto& permission : permissions) {
        if (!text.empty())
            text += ',';
        text += permission;
    }
    return text;
}

// Milliseconds since 1970 as a script number; null for no date or one that
// is not finite.
std::string millisecondsLiteral(const std::optional<pf::Date>& date)
{
    if (!date || !std::isfinite(date->seconds))
        return "null";
    char text[64];
    std::snprintf(text, sizeof text, "%.0f", date->seconds * 1000.0);
    return text;
}

}

std::shared_ptr<CorvanaOAuth> CorvanaOAuth::initWithAppId(const std::string& appId,
                                                          std::weak_ptr<CorvanaSessionDelegate> delegate)
{
    auto session = std::make_shared<CorvanaOAuth>(appId, std::weak_ptr<CorvanaSessionDelegate>());
    session->setSessionDelegate(std::move(delegate));
    g_currentSession = session;
    session->m_jsUpdateManager = std::make_shared<JsUpdateManager>();
    session->initWithJsSDK();
    const auto& versions = session->m_jsUpdateManager->versionController();
    session->m_jsUpdateManager->setTimer(static_cast<std::uint32_t>(versions->getFinalFrequency()),
                                         versions->getTimerDelay());
    session->m_jsUpdateManager->startTimer("107");
    // Older systems finish in webViewDidFinishLoad(), once the runtime's page is there.
    if (OpenApi::js_getSystemOSVersion() >= 5)
        session->initScripts();
    return session;
}

std::shared_ptr<CorvanaOAuth> CorvanaOAuth::currentSession() { return g_currentSession.lock(); }

void CorvanaOAuth::setSessionDelegate(std::weak_ptr<CorvanaSessionDelegate> delegate)
{
    m_sessionDelegate = delegate;
    OpenApi::registerApp(m_appId, std::move(delegate),
                         std::static_pointer_cast<CorvanaOAuth>(shared_from_this()));
}

void CorvanaOAuth::initWithJsSDK()
{
    if (m_webView)
        m_webView->setDelegate(nullptr);
    m_webView = std::make_shared<pf::WebView>();
    auto self = std::static_pointer_cast<CorvanaOAuth>(shared_from_this());
    auto bridge = CVOSDKJSBridge::initializeWithUpdateManager(m_jsUpdateManager, m_webView, "file/",
                                                              std::weak_ptr<pf::WebViewDelegate>(self));
    if (!bridge) {
        pf::log("CorvanaOAuth: the script runtime could not be made");
        m_scriptState = ScriptState::Missing;
        return;
    }
    m_scriptState = ScriptState::Running;
    bridge->evaluateJavascript(CorvanaJSRunEnv::sendCmdScript);
}

void CorvanaOAuth::initScripts()
{
    auto bridge = CVOSDKJSBridge::shareInstance();
    if (m_scriptState != ScriptState::Running || !bridge || bridge->webView() != m_webView)
        return;
    if (!jsRegister(*bridge->JSRunEnv()))
        pf::log("CorvanaOAuth: a script module was refused");
    bridge->authorizeInit(m_appId, pf::Value());
}

void CorvanaOAuth::webViewDidFinishLoad(pf::WebView& webView)
{
    if (&webView == m_webView.get() && OpenApi::js_getSystemOSVersion() < 5)
        initScripts();
}

std::optional<std::string> CorvanaOAuth::scriptText(const char* name) const
{
    std::string read = "(function (v) { return typeof v === 'string' ? 's' + v : 'n'; })(corvana.oauth.";
    read += name;
    read += ')';
    std::string answer = m_webView->stringByEvaluatingJavaScriptFromString(read);
    if (answer.empty() || answer[0] != 's')
        return std::nullopt;
    return answer.substr(1);
}

void CorvanaOAuth::runScript(const std::string& text)
{
    if (m_scriptState == ScriptState::Running)
        m_webView->stringByEvaluatingJavaScriptFromString(text);
}

std::optional<std::string> CorvanaOAuth::accessToken() const
{
    switch (m_scriptState) {
    case ScriptState::Detached: return m_accessToken;
    case ScriptState::Missing: return std::nullopt;
    case ScriptState::Running: break;
    }
    return scriptText("accessToken");
}

std::optional<std::string> CorvanaOAuth::openId() const
{
    switch (m_scriptState) {
    case ScriptState::Detached: return m_openId;
    case ScriptState::Missing: return std::nullopt;
    case ScriptState::Running: break;
    }
    return scriptText("openId");
}

std::optional<pf::Date> CorvanaOAuth::expirationDate() const
{
    switch (m_scriptState) {
    case ScriptState::Detached: return m_expirationDate;
    case ScriptState::Missing: return pf::Date { 0 };
    case ScriptState::Running: break;
    }
    std::string text = m_webView->stringByEvaluatingJavaScriptFromString(
        "(function (v) { v = Number(v); return isFinite(v) ? String(v) : '0'; })(corvana.oauth.expirationDate)");
    double milliseconds = std::strtod(text.c_str(), nullptr);
    return pf::Date { std::isfinite(milliseconds) ? milliseconds / 1000.0 : 0.0 };
}

void CorvanaOAuth::setAccessToken(std::optional<std::string> token)
{
    m_accessToken = std::move(token);
    runScript("corvana.oauth.accessToken = " + (m_accessToken ? pf::scriptStringLiteral(*m_accessToken) : "null") + ";");
}

void CorvanaOAuth::setOpenId(std::optional<std::string> openId)
{
    m_openId = std::move(openId);
    runScript("corvana.oauth.openId = " + (m_openId ? pf::scriptStringLiteral(*m_openId) : "null") + ";");
    if (m_openId)
        ZZApi::registerZZConnectOpenId(m_openId);
}

void CorvanaOAuth::setExpirationDate(std::optional<pf::Date> date)
{
    m_expirationDate = date;
    runScript("corvana.oauth.expirationDate = " + millisecondsLiteral(m_expirationDate) + ";");
}

bool CorvanaOAuth::authorize(const std::vector<std::string>& permissions, bool inSafari)
{
    return authorize(permissions, std::nullopt, inSafari);
}

bool CorvanaOAuth::authorize(const std::vector<std::string>& permissions, std::optional<std::string> localAppId,
                             bool inSafari)
{
    m_localAppId = std::move(localAppId);
    m_permissions = permissions;
    m_userNick.reset();
    auto self = std::static_pointer_cast<CorvanaOAuth>(shared_from_this());
    return authorizeWithPermissions(m_permissions, nullptr, std::weak_ptr<CorvanaSessionDelegate>(self), inSafari);
}

bool CorvanaOAuth::authorizeWithPermissions(const std::vector<std::string>& permissions,
                                            const pf::DictionaryRef& extraParams,
                                            std::weak_ptr<CorvanaSessionDelegate> loginDelegate, bool)
{
    auto self = shared_from_this();
    std::vector<std::string> granted = permissions;
    if (auto delegate = loginDelegate.lock()) {
        if (auto replaced = delegate->getAuthorizedPermissions(permissions, extraParams))
            granted = std::move(*replaced);
    }
    int version = OpenApi::js_getSystemOSVersion();
    if (version >= 5) {
        // A long-lived script heap is started afresh now and then.
        if (g_loginCounter == kRebuildEvery) {
            if (m_jsUpdateManager) {
                initWithJsSDK();
                initScripts();
            }
            g_loginCounter = 0;
        }
        g_loginCounter++;
    }
    if (m_scriptState == ScriptState::Running)
        m_webView->callScriptFunction("corvana.cauth.login", { joined(granted) });
    return true;
}

int CorvanaOAuth::loginCounter() { return g_loginCounter; }

void CorvanaOAuth::corvanaDidUpdate(const pf::ObjectRef& session)
{
    auto self = shared_from_this();
    if (auto delegate = m_sessionDelegate.lock())
        delegate->corvanaDidUpdate(session);
}

void CorvanaOAuth::corvanaFailedUpdate(const pf::Error& error)
{
    auto self = shared_from_this();
    if (auto delegate = m_sessionDelegate.lock())
        delegate->corvanaFailedUpdate(error);
}

bool CorvanaOAuth::corvanaNeedPerformIncrAuth(const pf::ObjectRef& session, const pf::ArrayRef& permissions)
{
    auto delegate = m_sessionDelegate.lock();
    if (!permissions || permissions->count() == 0 || !delegate || !delegate->hasCorvanaDidUpdate())
        return true;
    auto self = shared_from_this();
    return delegate->corvanaNeedPerformIncrAuth(session, permissions);
}

bool CorvanaOAuth::corvanaNeedPerformReAuth(const pf::ObjectRef& session)
{
    auto delegate = m_sessionDelegate.lock();
    if (!delegate || !delegate->hasCorvanaDidUpdate())
        return true;
    auto self = shared_from_this();
    return delegate->corvanaNeedPerformReAuth(session);
}

bool CorvanaOAuth::incrAuthWithPermissions(const std::vector<std::string>& permissions)
{
    if (m_scriptState == ScriptState::Running)
        m_webView->callScriptFunction("corvana.cauth.inAuth", { joined(permissions) });
    return true;
}

bool CorvanaOAuth::reauthorizeWithPermissions(const std::vector<std::string>& permissions)
{
    if (m_scriptState == ScriptState::Running)
        m_webView->callScriptFunction("corvana.cauth.login", { joined(permissions) });
    return true;
}

void CorvanaOAuth::logout(std::weak_ptr<CorvanaSessionDelegate> other)
{
    auto self = shared_from_this();
    setAccessToken(std::nullopt);
    setOpenId(std::nullopt);
    setExpirationDate(std::nullopt);
    m_permissions.clear();
    if (auto delegate = m_sessionDelegate.lock())
        delegate->corvanaDidLogout();
    else if (auto fallback = other.lock())
        fallback->corvanaDidLogout();
}

bool CorvanaOAuth::iphoneZZInstalled() { return OpenApi::zzVersion() != 0; }

bool CorvanaOAuth::iphonePlazaInstalled() { return OpenApi::plazaVersion() != 0; }

bool CorvanaOAuth::iphoneZZSupportSSOLogin()
{
    return pf::DeviceProfile::current().systemVersionNumber() < 7.0 ? OpenApi::zzVersion() > 1
                                                                      : OpenApi::zzVersion() > 2;
}

bool CorvanaOAuth::iphonePlazaSupportSSOLogin()
{
    return pf::DeviceProfile::current().systemVersionNumber() < 7.0 ? OpenApi::plazaVersion() > 2
                                                                      : OpenApi::plazaVersion() > 4;
}

std::vector<std::string> CorvanaOAuth::getBundleJsPaths()
{
    std::string folder = pf::Bundle::main()->resourcePath() + "/" + TOSDKRSACryptor::bundleName + "/js/";
    return { folder + "corvana.js", folder + "local.js", folder + "config.js" };
}

bool CorvanaOAuth::StartNotifyNetWork()
{
    StopNotifyNetWork();
    m_reachHost = CVOSDKReachability::reachabilityWithHostName(CVOSDKServers::watchedHost());
    m_outageAlerted = false;
    if (!m_reachHost || m_reachHost->currentReachabilityStatus() == CVOSDKReachability::NotReachable) {
        m_reachHost.reset();
        auto self = shared_from_this();
        if (auto delegate = m_sessionDelegate.lock())
            delegate->corvanaDidNotNetWork();
        return false;
    }
    std::weak_ptr<CorvanaOAuth> weak = std::static_pointer_cast<CorvanaOAuth>(shared_from_this());
    m_timer = pf::RunLoop::main().scheduleTimer(pf::Seconds(1), true, [weak] {
        if (auto session = weak.lock())
            session->onTimer();
    });
    const void* watcher = m_reachHost.get();
    m_reachObserver = pf::NotificationCenter::defaultCenter().addObserver(
        kCVOSDKReachabilityChangedNotification, shared_from_this(), [weak, watcher](const pf::Notification&) {
            auto session = weak.lock();
            if (!session || session->m_reachHost.get() != watcher)
                return;
            if (session->m_reachHost->currentReachabilityStatus() == CVOSDKReachability::NotReachable) {
                session->StopNotifyNetWork();
                session->showNetworkAlert();
            }
        });
    return m_reachHost->startNotifier();
}

void CorvanaOAuth::StopNotifyNetWork()
{
    if (auto timer = std::exchange(m_timer, nullptr))
        timer->invalidate();
    if (m_reachObserver)
        pf::NotificationCenter::defaultCenter().removeObserver(std::exchange(m_reachObserver, 0));
    if (auto watcher = std::exchange(m_reachHost, nullptr))
        watcher->stopNotifier();
}

void CorvanaOAuth::onTimer()
{
    if (!m_reachHost)
        return;
    if (m_reachHost->currentReachabilityStatus() != CVOSDKReachability::NotReachable) {
        // The outage is over: the next one is told again.
        m_outageAlerted = false;
        return;
    }
    if (!m_outageAlerted)
        showNetworkAlert();
}

void CorvanaOAuth::showNetworkAlert()
{
    m_outageAlerted = true;
    if (m_networkAlert && m_networkAlert->isVisible())
        return;
    m_networkAlert = std::make_shared<pf::AlertView>("网络错误", "网络连接不可用。", nullptr, "我知道啦",
                                                     std::vector<std::string> {});
    m_networkAlert->show();
}
