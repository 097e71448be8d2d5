#include "sdk/zz/CorvanaOAuth.h"

#include "framework/util/KRMD5String.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "sdk/zz/APIResponse.h"
#include "sdk/zz/CVOSDKJSBridge.h"
#include "sdk/zz/CVWebViewLoadJs.h"
#include "sdk/zz/SetUserHeaderImageUiKit.h"
#include "sdk/zz/CVOpenSDKErrorUtil.h"
#include "sdk/zz/CorvanaApiInterface.h"
#include "sdk/zz/CorvanaJSRunEnv.h"
#include "sdk/zz/CTXAppidConvert.h"
#include "sdk/zz/OpenApi.h"
#include "sdk/zz/URLTools.h"
#include "sdk/zz/ZZApi.h"

#include <algorithm>
#include <cctype>

namespace {

std::string_view trimBlanks(std::string_view text)
{
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The text between `open` at the start and ")" (optionally ";") at the end;
// the whole text when it is not so wrapped. Only the ends are looked at, so
// a ");" inside a JSON string stays where it is.
std::string unwrap(std::string_view message, std::string_view open)
{
    std::string_view text = trimBlanks(message);
    if (!text.starts_with(open))
        return std::string(message);
    std::string_view inner = text.substr(open.size());
    if (inner.ends_with(';'))
        inner.remove_suffix(1);
    inner = trimBlanks(inner);
    if (!inner.ends_with(')'))
        return std::string(message);
    inner.remove_suffix(1);
    return std::string(trimBlanks(inner));
}

void replaceAll(std::string& text, std::string_view from, std::string_view to)
{
    if (from.empty())
        return;
    std::string replaced;
    std::size_t done = 0;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, done)) {
        replaced.append(text, done, at - done).append(to);
        done = at + from.size();
    }
    if (done == 0)
        return;
    text = std::move(replaced.append(text, done));
}

std::string seqText(int seq) { return std::to_string(seq); }

// "+" as a blank, then percent escapes (UTF-8); nothing for text over the URL
// cap or that does not decode to UTF-8.
std::optional<pf::URL> formDecodedURL(const pf::DictionaryRef& args)
{
    auto text = args ? args->string("urlStr") : std::nullopt;
    if (!text || text->size() > OpenApi::kMaxURLLength)
        return std::nullopt;
    std::replace(text->begin(), text->end(), '+', ' ');
    auto decoded = pf::percentDecode(*text);
    if (!decoded || pf::dropInvalidUtf8(*decoded).size() != decoded->size())
        return std::nullopt;
    return pf::URL::create(*decoded);
}

}

CorvanaOAuth::CorvanaOAuth(std::string appId, std::weak_ptr<CorvanaSessionDelegate> delegate)
    : m_appId(std::move(appId))
    , m_sessionDelegate(std::move(delegate))
{
}

CorvanaOAuth::~CorvanaOAuth()
{
    StopNotifyNetWork();
    CVWebViewLoadJs::clear();
    if (m_webView)
        m_webView->setDelegate(nullptr);
    if (auto bridge = CVOSDKJSBridge::shareInstance(); bridge && m_webView && bridge->webView() == m_webView)
        bridge->JSRunEnv()->removeRegistObjForKey("oauth");
    // A call outliving the session must not find it through its request.
    for (auto& [seq, api] : m_apiRequests) {
        if (auto& cgi = api->cgiRequest()) {
            cgi->setRequestKey({});
            cgi->setCorvanaOAuth({});
        }
        api->cancel();
    }
}

void CorvanaOAuth::corvanaDidLogin()
{
    auto self = shared_from_this();
    if (auto bridge = CVOSDKJSBridge::shareInstance(); bridge && m_webView && bridge->webView() == m_webView) {
        auto expiry = expirationDate();
        bridge->setAccessToken(accessToken().value_or(std::string()), openId().value_or(std::string()),
                               expiry ? expiry->seconds * 1000.0 : 0.0);
    }
    if (auto delegate = m_sessionDelegate.lock())
        delegate->corvanaDidLogin();
}

void CorvanaOAuth::corvanaDidNotLogin(bool cancelled)
{
    auto self = shared_from_this();
    if (auto delegate = m_sessionDelegate.lock())
        delegate->corvanaDidNotLogin(cancelled);
}

void CorvanaOAuth::corvanaDidNotNetWork()
{
    auto self = shared_from_this();
    if (auto delegate = m_sessionDelegate.lock())
        delegate->corvanaDidNotNetWork();
}

bool CorvanaOAuth::handleOpenURL(const pf::URL& url)
{
    auto bridge = CVOSDKJSBridge::shareInstance();
    // Form-encoded, so the scripts' one level of decoding gives back the URL
    // with its own escapes ("%25", "+") intact.
    return bridge && bridge->authorizeHandleURL(urlencode(url.absoluteString())) == "YES";
}

bool CorvanaOAuth::HandleOpenURL(const pf::URL& url) { return OpenApi::handleOpenURL(url); }

bool CorvanaOAuth::CanHandleOpenURL(const pf::URL& url)
{
    return CorvanaApiInterface::canOpenURL(url) || OpenApi::canHandleOpenURL(url);
}

int CorvanaOAuth::sendRespMessageToCorvanaApp(const std::shared_ptr<CorvanaApiResp>& response)
{
    return CorvanaApiInterface::sendRespMessageToCorvanaApp(response);
}

std::optional<std::string> CorvanaOAuth::getCorvanaAppInstallUrl(int platform)
{
    return CorvanaApiInterface::getCorvanaAppInstallUrl(platform);
}

std::string CorvanaOAuth::urlencode(std::string_view text)
{
    return URLTools::escape(text, URLTools::kFormReserved, URLTools::Blank::Plus);
}

std::string CorvanaOAuth::jsCallHandleOpenUrlByOpenApi(const pf::DictionaryRef& args)
{
    auto url = formDecodedURL(args);
    auto self = std::static_pointer_cast<CorvanaOAuth>(shared_from_this());
    return url && OpenApi::processMessageCallByOAuth(*url, self) ? "YES" : "NO";
}

std::optional<std::string> CorvanaOAuth::convertAppId(const std::string& appId)
{
    TXAppidConvert convert;
    if (!convert.InitWithAppId(appId))
        return std::nullopt;
    return convert.GetConnectionAppId();
}

std::string CorvanaOAuth::authorizeInappWithParams(const pf::DictionaryRef& args)
{
    bool firstCall = !(args && args->get("firstCallapp").stringOr() == "Plaza");
    std::string joined;
    for (const auto& permission : m_permissions)
        joined += (joined.empty() ? "" : ",") + permission;
    auto self = std::static_pointer_cast<CorvanaOAuth>(shared_from_this());
    return OpenApi::authorizeWithPermission(joined, std::weak_ptr<CorvanaSessionDelegate>(self), firstCall) ? "1"
                                                                                                         : "0";
}

std::string CorvanaOAuth::authorizeInZZWithParams(const pf::DictionaryRef& args)
{
    return OpenApi::sendCommandToZZWith(args);
}

std::string CorvanaOAuth::authorizeInPlazaWithParams(const pf::DictionaryRef& args)
{
    return OpenApi::sendCommandToPlazaWith(args);
}

std::string CorvanaOAuth::jsCallHandleOpenURLByOAuth(const pf::DictionaryRef& args)
{
    auto url = formDecodedURL(args);
    if (!url)
        return "NO";
    auto self = shared_from_this();
    if (m_loginViewKit && m_loginViewKit->handleOpenURL(*url))
        return "NO";
    auto delegate = std::dynamic_pointer_cast<CorvanaApiInterfaceDelegate>(m_sessionDelegate.lock());
    return CorvanaApiInterface::handleOpenURL(*url, delegate) ? "YES" : "NO";
}

std::string CorvanaOAuth::convertAppIdJs(const pf::DictionaryRef& args)
{
    auto appId = args ? args->string("appid") : std::nullopt;
    return appId ? convertAppId(*appId).value_or(std::string()) : std::string();
}

void CorvanaOAuth::registZZAPIWithZZAppId(const pf::DictionaryRef& args)
{
    auto appId = args ? args->string("appid") : std::nullopt;
    TXAppidConvert convert;
    if (!appId || !convert.InitWithAppId(*appId))
        return;
    ZZApi::registerZZConnectAppId(*appId);
    if (auto plugin = convert.GetMZZAppId())
        ZZApi::registerPluginWithId(*plugin);
}

bool CorvanaOAuth::isSessionValid() const
{
    auto expiry = expirationDate();
    return accessToken() && expiry && expiry->seconds > pf::Date::now().seconds;
}

std::shared_ptr<CVAPIRequest> CorvanaOAuth::cgiRequestWithURL(const std::string& url, const std::string& method,
                                                              const pf::DictionaryRef& params,
                                                              std::weak_ptr<CVAPIRequestDelegate> callback)
{
    auto request = std::make_shared<CVAPIRequest>(url, method);
    if (params) {
        for (const auto& key : params->keys())
            request->setObject(params->get(key), key);
    }
    if (!sendAPIRequest(request, std::move(callback)))
        return nullptr;
    return request;
}

bool CorvanaOAuth::sendAPIRequest(const std::shared_ptr<CVAPIRequest>& request,
                                  std::weak_ptr<CVAPIRequestDelegate> callback)
{
    if (!request || !isSessionValid() || !isOpenIdValid())
        return false;
    auto url = request->apiURL();
    auto method = request->method();
    if (!url || !method)
        return false;
    std::string upper = *method;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    auto parsed = pf::URL::create(*url);
    if (!parsed || parsed->scheme().empty() || (upper != "GET" && upper != "POST"))
        return false;
    // Checked last: a refused request must stay loadable.
    if (!request->tryLoad())
        return false;

    auto self = std::static_pointer_cast<CorvanaOAuth>(shared_from_this());
    auto api = std::make_shared<APIBase>(
        self,
        [](pf::Object& target, const std::shared_ptr<APIResponse>& response) {
            static_cast<CorvanaOAuth&>(target).onCGIRequestDidResponse(response);
        },
        upper, request->paramUserData(), std::weak_ptr<APIBaseDelegate>(self));
    std::string key = seqText(api->seq());
    m_apiRequests[key] = api;
    request->setRequestKey(pf::Value(key));
    request->setCorvanaOAuth(std::weak_ptr<ICorvanaAPISession>(self));
    request->setCallback(std::move(callback));
    api->openUrl(*url, m_accessToken, m_openId, m_appId, request->params()->mutableCopy());
    // After opening: opening drops (and cancels) a request given before.
    api->setCgiRequest(request);
    return true;
}

void CorvanaOAuth::onCGIRequestDidResponse(const std::shared_ptr<APIResponse>& response)
{
    if (!response)
        return;
    auto found = m_apiRequests.find(seqText(response->seq()));
    if (found == m_apiRequests.end())
        return;
    auto api = found->second;
    if (response->retCode() == 0)
        CVOpenSDKErrorUtil::apiResponseConvert(*response);
    auto self = shared_from_this();
    if (auto cgi = api->cgiRequest())
        cgi->apiBaseDidResponse(api.get(), response);
    deleteAPIRequestBySeq(seqText(api->seq()));
}

bool CorvanaOAuth::cancel(const pf::Value& userData)
{
    // Nil would match every request made without user data.
    if (userData.isNilOrNull())
        return false;
    for (auto it = m_apiRequests.begin(); it != m_apiRequests.end(); ++it) {
        if (it->second->userData() == userData) {
            auto api = it->second;
            m_apiRequests.erase(it);
            if (auto& cgi = api->cgiRequest()) {
                cgi->setRequestKey({});
                cgi->setCorvanaOAuth({});
            }
            api->cancel();
            return true;
        }
    }
    return false;
}

void CorvanaOAuth::cancelWithRequestKey(const pf::Value& requestKey)
{
    auto key = requestKey.stringValue();
    if (!key || requestKey.isNilOrNull())
        return;
    auto found = m_apiRequests.find(*key);
    if (found == m_apiRequests.end())
        return;
    auto api = found->second;
    api->setTarget({}, {});
    api->cancel();
    deleteAPIRequestBySeq(*key);
}

void CorvanaOAuth::deleteAPIRequestBySeq(const std::string& seq)
{
    auto found = m_apiRequests.find(seq);
    if (found == m_apiRequests.end())
        return;
    auto api = found->second;
    m_apiRequests.erase(found);
    if (auto& cgi = api->cgiRequest()) {
        cgi->setRequestKey({});
        cgi->setCorvanaOAuth({});
    }
}

std::optional<std::string> CorvanaOAuth::localEncrytedToken() const
{
    if (!m_accessToken || !m_openId)
        return std::nullopt;
    std::string salted = "orchids&kit&plmok***30517%%" + *m_accessToken + m_appId + *m_openId + "lupin7.2";
    std::string digest = krMD5String(std::string_view(salted));
    std::transform(digest.begin(), digest.end(), digest.begin(), [](unsigned char c) { return std::tolower(c); });
    return digest;
}

std::string CorvanaOAuth::getOwnBaseUrl() const { return "corvana" + m_appId + "://" + m_redirectURI; }

pf::DictionaryRef CorvanaOAuth::parseURLParams(std::string_view query) { return pf::parseQuery(query); }

std::optional<std::string> CorvanaOAuth::stringByCVOSDKReplacingHtmlEscapes(const std::optional<std::string>& text)
{
    if (!text)
        return std::nullopt;
    std::string result = *text;
    replaceAll(result, "\\n", "\n");
    replaceAll(result, "&#92;", "\\");
    replaceAll(result, "&#39;", "'");
    replaceAll(result, "&quot;", "\"");
    replaceAll(result, "&lt;", "<");
    replaceAll(result, "&gt;", ">");
    return result;
}

std::string CorvanaOAuth::unwrapCallback(std::string_view message) { return unwrap(message, "callback("); }

std::string CorvanaOAuth::unwrapStatisCallback(std::string_view message) { return unwrap(message, "_Callback("); }

void CorvanaOAuth::apiBaseDidSendBodyData(APIBase& api, std::int64_t bytesWritten, std::int64_t totalBytesWritten,
                                          std::int64_t totalExpected)
{
    if (!m_apiRequests.contains(seqText(api.seq())))
        return;
    auto self = shared_from_this();
    if (auto delegate = m_sessionDelegate.lock())
        delegate->corvanaOAuthDidSendBodyData(*this, bytesWritten, totalBytesWritten, totalExpected, api.userData());
}
