// The session's in-app web login and the open-id request that completes a
// login without open id.

#include "sdk/zz/CorvanaOAuth.h"

#include "platform/controls/AlertView.h"
#include "platform/foundation/Log.h"
#include "sdk/zz/APIResponse.h"
#include "sdk/zz/CVOSDKEZJSONParser.h"
#include "sdk/zz/CVOSDKServers.h"
#include "sdk/zz/CVWebViewLoadJs.h"
#include "sdk/zz/CvApiTool.h"

namespace {

std::vector<std::string> split(const std::string& text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos)
            comma = text.size();
        parts.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return parts;
}

void showAlert(const std::string& title, const std::string& message)
{
    std::make_shared<pf::AlertView>(title, message, nullptr, "我知道啦", std::vector<std::string> {})->show();
}

}

std::string CorvanaOAuth::authorizeInWebviewKitWithParams(const pf::DictionaryRef& args)
{
    if (!args)
        return "false";
    std::vector<std::string> permissions = split(args->get("permission").stringOr());
    pf::DictionaryRef extra;
    if (args->contains("isAdd") && args->contains("accessToken"))
        extra = pf::Dictionary::create({ { "isadd", args->get("isAdd") }, { "access_token", args->get("accessToken") } });
    auto self = std::static_pointer_cast<CorvanaOAuth>(shared_from_this());
    bool opened = authorizeWithCorvanaAppAuthInappId(args->get("appid").stringOr(), permissions,
                                                     args->get("appScheme").stringOr(), args->string("redirecURI"),
                                                     extra, std::weak_ptr<CorvanaSessionDelegate>(self));
    return opened ? "true" : "false";
}

bool CorvanaOAuth::authorizeWithCorvanaAppAuthInappId(const std::string& appId,
                                                      const std::vector<std::string>& permissions,
                                                      const std::string& scheme,
                                                      const std::optional<std::string>& redirectURI,
                                                      const pf::DictionaryRef& extraParams,
                                                      std::weak_ptr<CorvanaSessionDelegate> delegate)
{
    auto self = std::static_pointer_cast<CorvanaOAuth>(shared_from_this());
    if (!CvApiTool::isRegistSchemeInfoPlistFile(scheme)) {
        showAlert("配置错误", "应用工程配置错误，scheme没有配置，请参考SDK使用文档");
        return false;
    }
    if (!StartNotifyNetWork()) {
        if (auto loginDelegate = delegate.lock())
            loginDelegate->corvanaDidNotNetWork();
        return false;
    }
    if (m_loginViewKit) {
        m_loginViewKit->clearData();
        m_loginViewKit->setAuthorData(appId, redirectURI, permissions);
    } else {
        m_loginViewKit = CVLoginViewKit::create(appId, redirectURI, permissions, std::weak_ptr<CVLoginViewDelegate>(self));
    }
    std::string serial = std::to_string(APIBase::getApiBaseSeq());
    m_loginViewKit->setSerial(serial);
    m_loginViewKit->setNewloginDelegate(delegate);
    m_loginViewKit->setExtraParams(extraParams);
    bool opened = m_loginViewKit->openWithExtraParams(extraParams);
    if (opened && !delegate.expired())
        m_loginDict[serial] = delegate;
    if (!opened)
        StopNotifyNetWork();
    return opened;
}

bool CorvanaOAuth::authorizeWithCorvanaAppAuthInSafari(const std::vector<std::string>& permissions,
                                                       const pf::DictionaryRef& extraParams,
                                                       std::weak_ptr<CorvanaSessionDelegate> delegate)
{
    return authorizeWithCorvanaAppAuthInappId(m_appId, permissions, "corvana" + m_appId,
                                              m_redirectURI.empty() ? std::nullopt
                                                                    : std::optional<std::string>(m_redirectURI),
                                              extraParams, std::move(delegate));
}

void CorvanaOAuth::loginViewKitDidSucceedLogin(CVLoginViewKit& kit, const std::string& serial)
{
    auto self = shared_from_this();
    StopNotifyNetWork();
    auto found = m_loginDict.find(serial);
    if (found == m_loginDict.end() || &kit != m_loginViewKit.get())
        return;
    setAccessToken(kit.accessToken());
    setExpirationDate(kit.expirationDate());
    if (kit.openId() && !kit.openId()->empty()) {
        setOpenId(kit.openId());
        auto delegate = found->second.lock();
        m_loginDict.erase(found);
        if (delegate)
            delegate->corvanaDidLogin();
        return;
    }
    // The login ends when the open id arrives, or fails to.
    if (!getOpenId(serial)) {
        auto delegate = found->second.lock();
        m_loginDict.erase(found);
        if (delegate)
            delegate->corvanaDidNotLogin(false);
    }
}

void CorvanaOAuth::loginViewKitDidFailuredWithError(CVLoginViewKit& kit, const std::optional<pf::Error>& error,
                                                    const std::string& serial)
{
    auto self = shared_from_this();
    StopNotifyNetWork();
    std::shared_ptr<CorvanaSessionDelegate> delegate;
    if (auto found = m_loginDict.find(serial); found != m_loginDict.end()) {
        delegate = found->second.lock();
        m_loginDict.erase(found);
    }
    if (&kit != m_loginViewKit.get() || !delegate)
        return;
    if (!error) {
        delegate->corvanaDidNotLogin(true);
    } else if (error->code == -1009) {
        delegate->corvanaDidNotNetWork();
        showAlert("网络错误", "网络连接不可用。");
    } else {
        delegate->corvanaDidNotLogin(false);
    }
}

bool CorvanaOAuth::getOpenId(const std::string& serial)
{
    if (!isSessionValid() || std::atoi(serial.c_str()) == 0)
        return false;
    auto params = pf::Dictionary::create({ { "format", "json" }, { "oauth_consumer_key", m_appId } });
    if (auto token = accessToken())
        params->set("access_token", *token);
    if (auto openId = this->openId())
        params->set("openid", *openId);
    auto self = std::static_pointer_cast<CorvanaOAuth>(shared_from_this());
    auto api = std::make_shared<APIBase>(
        self,
        [](pf::Object& target, const std::shared_ptr<APIResponse>& response) {
            static_cast<CorvanaOAuth&>(target).getOpenIdResponse(response);
        },
        "GET", pf::Value(), std::weak_ptr<APIBaseDelegate>(self));
    std::string key = std::to_string(api->seq());
    m_apiRequests[key] = api;
    m_openIdSerials[key] = serial;
    api->openUrl(CVOSDKServers::url(CVOSDKServers::Row::OAuth, "/oauth2.0/m_me"), m_accessToken, std::nullopt, m_appId,
                 params);
    return true;
}

void CorvanaOAuth::getOpenIdResponse(const std::shared_ptr<APIResponse>& response)
{
    if (!response)
        return;
    auto self = shared_from_this();
    std::string key = std::to_string(response->seq());
    deleteAPIRequestBySeq(key);
    auto serialEntry = m_openIdSerials.find(key);
    if (serialEntry == m_openIdSerials.end())
        return;
    std::string serial = serialEntry->second;
    m_openIdSerials.erase(serialEntry);
    pf::DictionaryRef json = response->jsonResponse();
    if ((!json || json->keys().empty()) && response->message()) {
        CVOSDKEZJSONParser parser;
        json = parser.objectWithString(unwrapCallback(*response->message())).dictionary();
    }
    std::shared_ptr<CorvanaSessionDelegate> delegate;
    if (auto found = m_loginDict.find(serial); found != m_loginDict.end()) {
        delegate = found->second.lock();
        m_loginDict.erase(found);
    }
    // Every login ends in one outcome, also when the answer is empty.
    auto openId = json ? json->string("openid") : std::nullopt;
    // A JSONP answer ("callback( … );") has no JSON of its own but is read the same.
    if (openId && !openId->empty()) {
        setOpenId(openId);
        if (delegate)
            delegate->corvanaDidLogin();
    } else if (delegate) {
        delegate->corvanaDidNotLogin(false);
    }
}

void CorvanaOAuth::setEncryToken(std::optional<std::string> token)
{
    m_encryToken = std::move(token);
    if (m_encryToken)
        CVWebViewLoadJs::getInstance()->loadJS(m_appId, m_openId, m_encryToken);
}

bool CorvanaOAuth::authorize(const std::vector<std::string>& permissions)
{
    m_localAppId.reset();
    m_permissions = permissions;
    m_userNick.reset();
    return userLoginStatis();
}

bool CorvanaOAuth::userLoginStatis()
{
    auto params = pf::Dictionary::create({ { "oauth_consumer_key", m_appId } });
    if (isSessionValid())
        if (auto token = accessToken())
            params->set("access_token", *token);
    if (isOpenIdValid())
        params->set("openid", *openId());
    if (auto encrypted = localEncrytedToken())
        params->set("encrytoken", *encrypted);
    auto self = std::static_pointer_cast<CorvanaOAuth>(shared_from_this());
    auto api = std::make_shared<APIBase>(
        self,
        [](pf::Object& target, const std::shared_ptr<APIResponse>& response) {
            static_cast<CorvanaOAuth&>(target).userLoginStatisResponse(response);
        },
        "GET", pf::Value(), std::weak_ptr<APIBaseDelegate>(self));
    m_apiRequests[std::to_string(api->seq())] = api;
    api->openUrl(CVOSDKServers::url(CVOSDKServers::Row::OAuth, "/user/user_login_statis"), m_accessToken, std::nullopt,
                 m_appId, params);
    return true;
}

void CorvanaOAuth::userLoginStatisResponse(const std::shared_ptr<APIResponse>& response)
{
    if (!response)
        return;
    auto self = shared_from_this();
    deleteAPIRequestBySeq(std::to_string(response->seq()));
    CVOSDKEZJSONParser parser;
    pf::DictionaryRef json = parser.objectWithString(unwrapStatisCallback(response->message().value_or(""))).dictionary();
    if (!json)
        return;
    // "ret" may come as the number 0 or the text "0". It is read by value,
    // not by its text: the parser keeps a number's sign, so "-0" is a zero
    // whose text is "-0". A false is a zero like any other, as a server that
    // prints its code would print it; true is not.
    pf::Value ret = json->get("ret");
    const pf::Number* number = ret.number();
    bool ok = number ? number->asDouble() == 0 : ret.string() && *ret.string() == "0";
    if (ok)
        corvanaDidLogin();
    else
        authorize(m_permissions, true);
}
