// The session's legacy requests: a method or graph path of the OAuth server
// with the session's account parameters, on the plain call layer. The
// session keeps the last one alive; its own ("m_me" after a dialog login)
// ends that login either way.

#include "sdk/zz/CorvanaOAuth.h"

#include "sdk/zz/CVOSDKServers.h"
#include "sdk/zz/CommonSDK.h"
#include "sdk/zz/CvApiTool.h"

std::shared_ptr<CorvanaRequest> CorvanaOAuth::requestWithParams(const pf::DictionaryRef& params,
                                                               std::weak_ptr<CorvanaRequestDelegate> delegate)
{
    auto method = params ? params->string("method") : std::nullopt;
    if (!method)
        return nullptr;
    auto rest = params->mutableCopy();
    rest->remove("method");
    return requestWithMethodName(*method, rest, "GET", std::move(delegate));
}

std::shared_ptr<CorvanaRequest> CorvanaOAuth::requestWithMethodName(const std::string& method,
                                                                   const pf::DictionaryRef& params,
                                                                   const std::string& httpMethod,
                                                                   std::weak_ptr<CorvanaRequestDelegate> delegate)
{
    return openUrl(CVOSDKServers::url(CVOSDKServers::Row::OAuth, "/" + method), params, httpMethod,
                   std::move(delegate));
}

std::shared_ptr<CorvanaRequest> CorvanaOAuth::requestWithGraphPath(const std::string& graphPath,
                                                                  const pf::DictionaryRef& params,
                                                                  const std::string& httpMethod,
                                                                  std::weak_ptr<CorvanaRequestDelegate> delegate)
{
    return openUrl(CVOSDKServers::url(CVOSDKServers::Row::OAuth, "/oauth2.0/" + graphPath), params, httpMethod,
                   std::move(delegate));
}

std::shared_ptr<CorvanaRequest> CorvanaOAuth::openUrl(const std::string& url, const pf::DictionaryRef& params,
                                                     const std::string& httpMethod,
                                                     std::weak_ptr<CorvanaRequestDelegate> delegate)
{
    // The caller's dictionary is not changed under it.
    auto sent = params ? params->mutableCopy() : std::make_shared<pf::Dictionary>();
    // The server serves no call without the SDK's own description.
    auto info = CvApiTool::SDKInfo();
    for (const auto& [key, value] : *info)
        sent->set(key, value);
    sent->set("format", std::string("json"));
    sent->set("oauth_consumer_key", m_appId);
    if (isSessionValid())
        sent->set("access_token", accessToken().value_or(std::string()));
    if (auto id = openId())
        sent->set("openid", *id);
    m_request = CorvanaRequest::getRequestWithParams(sent, httpMethod, std::move(delegate), url);
    m_request->connect();
    return m_request;
}

void CorvanaOAuth::requestDidLoad(CorvanaRequest&, const pf::Value&, const pf::Bytes& data)
{
    auto self = shared_from_this();
    std::string text(data.begin(), data.end());
    auto json = CommonSDK::JSONValue(unwrapCallback(text)).dictionary();
    auto delegate = m_sessionDelegate.lock();
    auto openid = json ? json->string("openid") : std::nullopt;
    // Only an answer naming the user signs in.
    if (openid && !openid->empty()) {
        setOpenId(openid);
        if (delegate)
            delegate->corvanaDidLogin();
    } else if (delegate) {
        delegate->corvanaDidNotLogin(false);
    }
}

void CorvanaOAuth::requestDidFailWithError(CorvanaRequest&, const CorvanaError&)
{
    // The login that asked ends, as not signed in.
    auto self = shared_from_this();
    if (auto delegate = m_sessionDelegate.lock())
        delegate->corvanaDidNotLogin(false);
}

void CorvanaOAuth::corvanaDialogLogin(const std::string& token, const std::optional<pf::Date>& expirationDate)
{
    setAccessToken(token);
    setExpirationDate(expirationDate);
    auto self = std::static_pointer_cast<CorvanaOAuth>(shared_from_this());
    requestWithGraphPath("m_me", pf::Dictionary::create({ { "access_token", token } }), "GET",
                         std::weak_ptr<CorvanaRequestDelegate>(self));
}
