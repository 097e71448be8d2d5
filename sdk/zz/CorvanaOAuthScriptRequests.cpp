// The session's requests made for the scripts, and the ZZ Connect operations
// the scripts carry out.

#include "sdk/zz/CorvanaOAuth.h"

#include "platform/controls/WebView.h"
#include "sdk/zz/APIResponse.h"
#include "sdk/zz/CVOSDKJSBridge.h"
#include "sdk/zz/CVOpenSDKErrorUtil.h"
#include "sdk/zz/CorvanaJSObject.h"
#include "sdk/zz/CorvanaJSRunEnv.h"
#include "sdk/zz/CorvanaModuleTable.h"
#include "sdk/zz/OpenApi.h"
#include "sdk/zz/SetUserHeaderImageUiKit.h"

#include <array>
#include <utility>

namespace {

using Arguments = std::vector<pf::Value>;
using Answer = void (CorvanaSessionDelegate::*)(const CorvanaSessionDelegate::Response&);

// Only these names may reach the delegate: a script names the callback, and
// must not be able to call anything else on it.
constexpr std::array<std::pair<std::string_view, Answer>, 16> kAnswers { {
    { "getUserInfoResponse:", &CorvanaSessionDelegate::getUserInfoResponse },
    { "getUserInfoNotShowResponse:", &CorvanaSessionDelegate::getUserInfoNotShowResponse },
    { "getVipInfoResponse:", &CorvanaSessionDelegate::getVipInfoResponse },
    { "getVipRichInfoResponse:", &CorvanaSessionDelegate::getVipRichInfoResponse },
    { "getListAlbumResponse:", &CorvanaSessionDelegate::getListAlbumResponse },
    { "getListPhotoResponse:", &CorvanaSessionDelegate::getListPhotoResponse },
    { "addShareResponse:", &CorvanaSessionDelegate::addShareResponse },
    { "uploadPicResponse:", &CorvanaSessionDelegate::uploadPicResponse },
    { "addAlbumResponse:", &CorvanaSessionDelegate::addAlbumResponse },
    { "addOneBlogResponse:", &CorvanaSessionDelegate::addOneBlogResponse },
    { "addTopicResponse:", &CorvanaSessionDelegate::addTopicResponse },
    { "checkPageFansResponse:", &CorvanaSessionDelegate::checkPageFansResponse },
    { "matchNickTipsResponse:", &CorvanaSessionDelegate::matchNickTipsResponse },
    { "getIntimateFriendsResponse:", &CorvanaSessionDelegate::getIntimateFriendsResponse },
    { "sendStoryResponse:", &CorvanaSessionDelegate::sendStoryResponse },
    { "setUserHeadpicResponse:", &CorvanaSessionDelegate::setUserHeadpicResponse },
} };

std::optional<std::string> text(const pf::DictionaryRef& args, std::string_view key)
{
    return args ? args->get(key).stringValue() : std::nullopt;
}

}

bool CorvanaOAuth::deliverNamedResponse(CorvanaSessionDelegate& delegate, std::string_view name,
                                        const std::shared_ptr<APIResponse>& response)
{
    for (const auto& [answerName, answer] : kAnswers) {
        if (answerName == name) {
            (delegate.*answer)(response);
            return true;
        }
    }
    return false;
}

bool CorvanaOAuth::jsRegister(CorvanaJSRunEnv& runEnv)
{
    bool registered = registerCorvanaSharedModules(runEnv);
    auto self = std::static_pointer_cast<CorvanaOAuth>(shared_from_this());
    std::weak_ptr<CorvanaOAuth> weak = self;
    auto module = std::make_shared<CorvanaJSObject>();
    module->transformNativeObj(self, std::string("oauth"));
    using Operation = void (CorvanaOAuth::*)(const pf::DictionaryRef&);
    const std::pair<const char*, Operation> operations[] = {
        { "httpGet", &CorvanaOAuth::httpGet },
        { "httpPost", &CorvanaOAuth::httpPost },
        { "httpJsResponseCallback", &CorvanaOAuth::httpJsResponseCallback },
        { "httpJsResponseCallbackType2", &CorvanaOAuth::httpJsResponseCallbackType2 },
        { "httpJsResponseCallbackType3", &CorvanaOAuth::httpJsResponseCallbackType3 },
        { "httpJsResponseCallbackUserInfo", &CorvanaOAuth::httpJsResponseCallbackUserInfo },
        { "httpJsResponseNotShowCallbackUserInfo", &CorvanaOAuth::httpJsResponseNotShowCallbackUserInfo },
    };
    for (const auto& [name, operation] : operations) {
        registered = module->transformNativeMethod(std::string(name) + ":", name, static_cast<int>(CorvanaType::Void),
                                                   { static_cast<int>(CorvanaType::Dictionary) },
                                                   corvanaCallable(weak, [op = operation](CorvanaOAuth& session,
                                                                                          const Arguments& arguments) {
                                                       (session.*op)(arguments.empty() ? nullptr
                                                                                       : arguments[0].dictionary());
                                                       return pf::Value();
                                                   }))
            && registered;
    }
    registered = module->transformNativeMethod("jsCallHandleOpenUrlByOpenApi:", "jsCallHandleOpenUrlByOpenApi",
                                               static_cast<int>(CorvanaType::String),
                                               { static_cast<int>(CorvanaType::Dictionary) },
                                               corvanaCallable(weak, [](CorvanaOAuth& session, const Arguments& a) {
                                                   return pf::Value(session.jsCallHandleOpenUrlByOpenApi(
                                                       a.empty() ? nullptr : a[0].dictionary()));
                                               }))
        && registered;
    using TextOperation = std::string (CorvanaOAuth::*)(const pf::DictionaryRef&);
    const std::pair<const char*, TextOperation> textOperations[] = {
        { "convertAppIdJs", &CorvanaOAuth::convertAppIdJs },
        { "authorizeInappWithParams", &CorvanaOAuth::authorizeInappWithParams },
        { "jsCallHandleOpenURLByOAuth", &CorvanaOAuth::jsCallHandleOpenURLByOAuth },
        { "authorizeInWebviewKitWithParams", &CorvanaOAuth::authorizeInWebviewKitWithParams },
        { "sendStoryImple", &CorvanaOAuth::sendStoryImple },
    };
    for (const auto& [name, operation] : textOperations) {
        registered = module->transformNativeMethod(std::string(name) + ":", name,
                                                   static_cast<int>(CorvanaType::String),
                                                   { static_cast<int>(CorvanaType::Dictionary) },
                                                   corvanaCallable(weak, [op = operation](CorvanaOAuth& session,
                                                                                          const Arguments& a) {
                                                       return pf::Value((session.*op)(a.empty() ? nullptr
                                                                                                 : a[0].dictionary()));
                                                   }))
            && registered;
    }
    registered = module->transformNativeMethod("registZZAPIWithZZAppId:", "registZZAPIWithZZAppId",
                                               static_cast<int>(CorvanaType::Void),
                                               { static_cast<int>(CorvanaType::Dictionary) },
                                               corvanaCallable(weak, [](CorvanaOAuth& session, const Arguments& a) {
                                                   session.registZZAPIWithZZAppId(a.empty() ? nullptr
                                                                                            : a[0].dictionary());
                                                   return pf::Value();
                                               }))
        && registered;
    registered = module->transformNativeMethod("openNativeWebView:title:", "openNativeWebView",
                                               static_cast<int>(CorvanaType::Bool),
                                               { static_cast<int>(CorvanaType::String), static_cast<int>(CorvanaType::String) },
                                               corvanaCallable(weak, [](CorvanaOAuth& session, const Arguments& a) {
                                                   return pf::Value(session.openNativeWebView(
                                                       a.size() > 0 ? a[0].stringValue() : std::nullopt,
                                                       a.size() > 1 ? a[1].stringValue() : std::nullopt));
                                               }))
        && registered;
    registered = module->transformNativeMethod("closeNativeWebView", "closeNativeWebView",
                                               static_cast<int>(CorvanaType::Void), {},
                                               corvanaCallable(weak, [](CorvanaOAuth& session, const Arguments&) {
                                                   session.closeNativeWebView();
                                                   return pf::Value();
                                               }))
        && registered;
    registered = runEnv.registNativeObj(module) && registered;
    registered = runEnv.registNativeObj(OpenApi::openApiModule()) && registered;
    return runEnv.registNativeObj(OpenApi::openapiModule()) && registered;
}

void CorvanaOAuth::httpGet(const pf::DictionaryRef& args)
{
    auto params = args ? args->dictionary("params") : nullptr;
    sendScriptRequest(args, "GET", params ? params->mutableCopy() : std::make_shared<pf::Dictionary>());
}

void CorvanaOAuth::httpPost(const pf::DictionaryRef& args)
{
    auto key = text(args, "key");
    auto params = key ? CVOSDKJSBridge::getUserDictionary(*key).dictionary() : nullptr;
    sendScriptRequest(args, "POST", params ? params->mutableCopy() : std::make_shared<pf::Dictionary>());
}

void CorvanaOAuth::sendScriptRequest(const pf::DictionaryRef& args, const std::string& method,
                                     pf::DictionaryRef params)
{
    // Without a callback name the answer could never be delivered, and the
    // request would stay in the table for good.
    auto url = text(args, "url");
    auto callback = text(args, "callback");
    if (!url || url->empty() || !callback || callback->empty())
        return;
    auto self = std::static_pointer_cast<CorvanaOAuth>(shared_from_this());
    auto api = std::make_shared<APIBase>(
        self,
        [](pf::Object& target, const std::shared_ptr<APIResponse>& response) {
            static_cast<CorvanaOAuth&>(target).localHttpCallback(response);
        },
        method, pf::Value(), std::weak_ptr<APIBaseDelegate>(self));
    std::string key = std::to_string(api->seq());
    m_apiRequests[key] = api;
    m_callbacks[key] = *callback;
    api->openUrl(*url, text(args, "accesstoken"), text(args, "openid"), text(args, "appid"), params);
}

void CorvanaOAuth::localHttpCallback(const std::shared_ptr<APIResponse>& response)
{
    if (!response)
        return;
    auto found = m_callbacks.find(std::to_string(response->seq()));
    if (found == m_callbacks.end())
        return;
    std::string name = found->second;
    m_callbacks.erase(found);
    CVOSDKJSBridge::addResponseDictionary(pf::Value(response), name);
    auto self = shared_from_this();
    if (auto bridge = CVOSDKJSBridge::shareInstance())
        bridge->webView()->callScriptFunction("corvana.result.httpResponse", { name, name });
}

std::shared_ptr<APIResponse> CorvanaOAuth::takeScriptAnswer(const pf::DictionaryRef& args)
{
    auto key = text(args, "key");
    if (!key)
        return nullptr;
    auto response = CVOSDKJSBridge::getResponseDictionary(*key).objectAs<APIResponse>();
    if (response)
        deleteAPIRequestBySeq(std::to_string(response->seq()));
    return response;
}

void CorvanaOAuth::httpJsResponseCallback(const pf::DictionaryRef& args)
{
    auto response = takeScriptAnswer(args);
    auto callback = text(args, "callback");
    if (!response || !callback)
        return;
    auto self = shared_from_this();
    if (auto delegate = m_sessionDelegate.lock())
        deliverNamedResponse(*delegate, *callback, response);
}

void CorvanaOAuth::httpJsResponseCallbackType2(const pf::DictionaryRef& args)
{
    auto response = takeScriptAnswer(args);
    auto callback = text(args, "callback");
    if (!response || !callback)
        return;
    if (response->retCode() == 0)
        CVOpenSDKErrorUtil::apiResponseConvert(*response);
    auto self = shared_from_this();
    if (auto delegate = m_sessionDelegate.lock())
        deliverNamedResponse(*delegate, *callback, response);
}

void CorvanaOAuth::httpJsResponseCallbackType3(const pf::DictionaryRef& args)
{
    auto key = text(args, "key");
    auto response = key ? CVOSDKJSBridge::getResponseDictionary(*key).objectAs<APIResponse>() : nullptr;
    auto request = CVOSDKJSBridge::getUserDictionary("onCGIRequestDidResponse:").objectAs<CVAPIRequest>();
    if (!response)
        return;
    deleteAPIRequestBySeq(std::to_string(response->seq()));
    if (!request)
        return;
    if (response->retCode() == 0)
        CVOpenSDKErrorUtil::apiResponseConvert(*response);
    auto self = shared_from_this();
    if (auto delegate = m_sessionDelegate.lock())
        delegate->cgiRequestDidResponse(*request, response);
}

bool CorvanaOAuth::takeNickname(const std::shared_ptr<APIResponse>& response)
{
    pf::DictionaryRef json = response->jsonResponse();
    auto nickname = response->retCode() == 0 && json ? json->string("nickname") : std::nullopt;
    if (!nickname)
        return false;
    m_userNick = stringByCVOSDKReplacingHtmlEscapes(nickname);
    return true;
}

void CorvanaOAuth::handNicknameToScreens()
{
    if (!m_userNick)
        return;
    auto data = pf::Dictionary::create({ { "nick", *m_userNick } });
    // The set-portrait screen waits for it when it opened without one.
    if (m_setUserHeaderImageKit)
        m_setUserHeaderImageKit->setViewControllerData(data);
}

bool CorvanaOAuth::userAskedForUserInfo() const
{
    auto bridge = CVOSDKJSBridge::shareInstance();
    return bridge && bridge->JSuserGetUserInfo() == "true";
}

void CorvanaOAuth::httpJsResponseCallbackUserInfo(const pf::DictionaryRef& args)
{
    auto response = takeScriptAnswer(args);
    if (!response)
        return;
    bool asked = userAskedForUserInfo();
    bool took = takeNickname(response);
    auto self = shared_from_this();
    if (!asked) {
        // The session's own fetch: the nickname is what it wanted.
        if (took)
            handNicknameToScreens();
        return;
    }
    if (auto delegate = m_sessionDelegate.lock())
        delegate->getUserInfoResponse(response);
}

void CorvanaOAuth::httpJsResponseNotShowCallbackUserInfo(const pf::DictionaryRef& args)
{
    auto response = takeScriptAnswer(args);
    if (response && takeNickname(response) && !userAskedForUserInfo())
        handNicknameToScreens();
}

void CorvanaOAuth::getUserInfoNotUserResponse(const Response& response)
{
    if (!response)
        return;
    deleteAPIRequestBySeq(std::to_string(response->seq()));
    if (takeNickname(response))
        handNicknameToScreens();
}

bool CorvanaOAuth::scriptOperation(const std::string& function, const std::string& space, const std::string& callback,
                                   const pf::DictionaryRef& params)
{
    if (params)
        CVOSDKJSBridge::addUserDictionary(pf::Value(params->mutableCopy()), callback);
    auto bridge = CVOSDKJSBridge::shareInstance();
    return bridge && bridge->jsCall(function, space, callback);
}

bool CorvanaOAuth::getUserInfo() { return scriptOperation("getUserInfo", "corvana.info", "getUserInfoResponse:", nullptr); }
bool CorvanaOAuth::getUserInfoNotShow()
{
    return scriptOperation("getUserInfo", "corvana.info", "getUserInfoNotShowResponse:", nullptr);
}
bool CorvanaOAuth::getVipInfo() { return scriptOperation("getVipUserInfo", "corvana.info", "getVipInfoResponse:", nullptr); }
bool CorvanaOAuth::getVipRichInfo()
{
    return scriptOperation("getVipUserRichInfo", "corvana.info", "getVipRichInfoResponse:", nullptr);
}
bool CorvanaOAuth::getListAlbum() { return scriptOperation("listAlbum", "corvana.plaza", "getListAlbumResponse:", nullptr); }
bool CorvanaOAuth::getListPhotoWithParams(const pf::DictionaryRef& params)
{
    return scriptOperation("listPhotos", "corvana.plaza", "getListPhotoResponse:", params);
}
bool CorvanaOAuth::addShareWithParams(const pf::DictionaryRef& params)
{
    return scriptOperation("addShare", "corvana.plaza", "addShareResponse:", params);
}
bool CorvanaOAuth::uploadPicWithParams(const pf::DictionaryRef& params)
{
    return scriptOperation("uploadPicture", "corvana.plaza", "uploadPicResponse:", params);
}
bool CorvanaOAuth::addAlbumWithParams(const pf::DictionaryRef& params)
{
    return scriptOperation("addAlbum", "corvana.plaza", "addAlbumResponse:", params);
}
bool CorvanaOAuth::addOneBlogWithParams(const pf::DictionaryRef& params)
{
    return scriptOperation("sendBlog", "corvana.plaza", "addOneBlogResponse:", params);
}
bool CorvanaOAuth::addTopicWithParams(const pf::DictionaryRef& params)
{
    return scriptOperation("sendShuoshuo", "corvana.plaza", "addTopicResponse:", params);
}
bool CorvanaOAuth::checkPageFansWithParams(const pf::DictionaryRef& params)
{
    return scriptOperation("checkFans", "corvana.voxly", "checkPageFansResponse:", params);
}
bool CorvanaOAuth::matchNickTips(const pf::DictionaryRef& params)
{
    return scriptOperation("nickTips", "corvana.voxly", "matchNickTipsResponse:", params);
}
bool CorvanaOAuth::getIntimateFriends(const pf::DictionaryRef& params)
{
    return scriptOperation("atFriends", "corvana.voxly", "getIntimateFriendsResponse:", params);
}
bool CorvanaOAuth::sendAPIJS(const pf::DictionaryRef& params, const std::string& key)
{
    return scriptOperation("jscall", "corvana.pub", key, params);
}

bool CorvanaOAuth::sendStory(const pf::DictionaryRef& params, const pf::ArrayRef& friendList)
{
    if (auto bridge = CVOSDKJSBridge::shareInstance()) {
        bridge->setPoolObject("sendStoryParams", params ? pf::Value(params) : pf::Value());
        if (friendList)
            bridge->setPoolObject("sendStoryIdArray", pf::Value(friendList));
    }
    return scriptOperation("sendStory", "corvana.localresult", "sendStory", params);
}
