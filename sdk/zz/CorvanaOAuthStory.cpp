// The session's pages for the signed-in user's friends: a story, an app
// invitation, a challenge and a gift. A Plaza app new enough takes them
// itself; otherwise the bundle's "local.html" shows them in the session's
// page window, whose "corvana<app id>://" answer ends it.

#include "sdk/zz/CorvanaOAuth.h"

#include "platform/controls/AlertView.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Text.h"
#include "sdk/zz/CVDataReport.h"
#include "sdk/zz/CVOSDKJSBridge.h"
#include "sdk/zz/OpenApi.h"
#include "sdk/zz/TOSDKRSACryptor.h"
#include "sdk/zz/URLTools.h"

namespace {

void showAlert(const std::string& title, const std::string& message, const std::string& button)
{
    auto alert = std::make_shared<pf::AlertView>(title, message, nullptr, button, std::vector<std::string> {});
    alert->show();
}

std::string trimmed(const std::optional<std::string>& text)
{
    return text ? pf::trimWhitespaceAndNewlines(*text) : std::string();
}

void trimEntry(pf::Dictionary& params, const char* key)
{
    if (auto value = params.string(key))
        params.set(key, pf::trimWhitespaceAndNewlines(*value));
}

} // namespace

std::string CorvanaOAuth::localPageURL(const pf::DictionaryRef& params)
{
    std::string path = pf::Bundle::main()->resourcePath() + "/" + TOSDKRSACryptor::bundleName + "/local.html";
    if (!pf::fileExists(path))
        return {};
    return URLTools::GetURLWithParam("file://" + path, params).value_or(std::string());
}

std::string CorvanaOAuth::sendStoryImple(const pf::DictionaryRef& args)
{
    auto bridge = CVOSDKJSBridge::shareInstance();
    auto stored = bridge ? bridge->getPoolObject("sendStoryParams").dictionary() : nullptr;
    auto receivers = bridge ? bridge->getPoolObject("sendStoryIdArray").array() : nullptr;
    if (!isSessionValid() || !isOpenIdValid() || !stored)
        return "NO";
    if (trimmed(stored->string("title")).empty()) {
        showAlert("分享失败", "标题不能为空", "我知道啦");
        return "NO";
    }
    if (receivers && !receivers->empty())
        CVDataReport::reportDataWithTime(0, pf::Value(std::string("10784")), m_appId, pf::Date::now().seconds,
                                         std::nullopt);
    auto params = stored->mutableCopy();
    params->set("source", std::string("4"));
    for (const char* key : { "title", "summary", "description" })
        trimEntry(*params, key);
    // Receivers are open ids: anything but a text is left out, on either road.
    std::string joined;
    auto texts = pf::Array::create();
    if (receivers) {
        for (const pf::Value& receiver : receivers->values()) {
            if (!receiver.isString())
                continue;
            joined += (joined.empty() ? "" : ",") + receiver.stringOr();
            texts->add(receiver);
        }
    }
    auto token = args ? args->string("accesstoken") : std::nullopt;
    auto openid = args ? args->string("openid") : std::nullopt;
    if (OpenApi::plazaVersion() < 3) {
        params->set("iface", std::string("SendStory"));
        params->set("platform", std::string("iosqz"));
        params->set("access_token", token.value_or(std::string()));
        params->set("keytype", std::string("21"));
        params->set("openid", openid.value_or(std::string()));
        params->set("oauth_consumer_key", m_appId);
        params->set("receiver", joined);
        std::string url = localPageURL(params);
        if (!url.empty())
            openPageWebView(url, "分享");
    } else {
        params->set("keystr", token.value_or(std::string()));
        params->set("keytype", std::string("0x80"));
        params->set("hopenid", openid.value_or(std::string()));
        params->set("platform", std::string("iosqz"));
        params->set("appid", m_appId);
        params->set("type", std::string("21"));
        if (receivers)
            params->set("receiver", pf::Value(texts));
        OpenApi::shareWithPlazaWithData(params);
    }
    CVDataReport::mcaReportApi("story");
    return "YES";
}

pf::DictionaryRef CorvanaOAuth::plazaAccountKeys() const
{
    auto keys = std::make_shared<pf::Dictionary>();
    keys->set("appid", m_appId);
    keys->set("hopenid", openId().value_or(std::string()));
    keys->set("keytype", std::string("0x80"));
    keys->set("keystr", accessToken().value_or(std::string()));
    keys->set("platform", std::string("iosqz"));
    return keys;
}

pf::DictionaryRef CorvanaOAuth::pageAccountKeys(const char* iface) const
{
    auto keys = std::make_shared<pf::Dictionary>();
    keys->set("iface", std::string(iface));
    keys->set("platform", std::string("iosqz"));
    keys->set("oauth_consumer_key", m_appId);
    keys->set("openid", openId().value_or(std::string()));
    keys->set("access_token", accessToken().value_or(std::string()));
    keys->set("encrytoken", localEncrytedToken().value_or(std::string()));
    return keys;
}

bool CorvanaOAuth::showLocalPage(const pf::DictionaryRef& params, const std::string& title)
{
    std::string url = localPageURL(params);
    return !url.empty() && openPageWebView(url, title);
}

bool CorvanaOAuth::sendAppInvitationWithDescription(const std::optional<std::string>& description,
                                                    const std::optional<std::string>& imageURL,
                                                    const std::optional<std::string>& source)
{
    if (!isSessionValid() || !isOpenIdValid())
        return false;
    std::string desc = trimmed(description);
    if (OpenApi::plazaVersion() >= 4) {
        auto params = plazaAccountKeys();
        params->set("desc", desc);
        params->set("picurl", imageURL.value_or(std::string()));
        params->set("app_custom", source.value_or(std::string()));
        return OpenApi::sendCommandToPlaza("AppInvitation", params);
    }
    auto params = pageAccountKeys("AppInvitation");
    params->set("desc", desc);
    params->set("picurl", imageURL.value_or(std::string()));
    params->set("source", source.value_or(std::string()));
    return showLocalPage(params, "应用邀请");
}

bool CorvanaOAuth::sendChallenge(const std::optional<std::string>& receiver, const std::optional<std::string>& type,
                                 const std::optional<std::string>& imageURL, const std::optional<std::string>& message,
                                 const std::optional<std::string>& source)
{
    if (!isSessionValid() || !isOpenIdValid())
        return false;
    std::string to = receiver.value_or(std::string());
    std::string kind = type.value_or(std::string());
    if (to.empty() || (kind != "pk" && kind != "brag")) {
        showAlert("挑战炫耀",
                  "参数错误: (receiver.length > 0 && ([type isEqualToString:@\"pk\"] || [type "
                  "isEqualToString:@\"brag\"]))",
                  "OK");
        return false;
    }
    std::string text = trimmed(message);
    if (OpenApi::plazaVersion() >= 4) {
        auto params = plazaAccountKeys();
        params->set("receiver", to);
        params->set("typeid", std::string(kind == "pk" ? "53" : "52"));
        params->set("picurl", imageURL.value_or(std::string()));
        params->set("sendmsg", text);
        params->set("app_custom", source.value_or(std::string()));
        return OpenApi::sendCommandToPlaza("AppChallenge", params);
    }
    auto params = pageAccountKeys("AppChallenge");
    params->set("receiver", to);
    params->set("type", kind);
    params->set("img", imageURL.value_or(std::string()));
    params->set("msg", text);
    params->set("source", source.value_or(std::string()));
    return showLocalPage(params, kind == "pk" ? "发送挑战" : "向TA炫耀");
}

bool CorvanaOAuth::sendGiftRequest(const std::optional<std::string>& receiver,
                                   const std::optional<std::string>& exclude,
                                   const std::optional<std::string>& specified, int only,
                                   const std::optional<std::string>& type, const std::optional<std::string>& title,
                                   const std::optional<std::string>& message,
                                   const std::optional<std::string>& imageURL,
                                   const std::optional<std::string>& source)
{
    if (!isSessionValid() || !isOpenIdValid())
        return false;
    std::string kind = type.value_or(std::string());
    if (kind != "request" && kind != "freegift") {
        showAlert("请求/赠送礼物",
                  "参数错误: (([type isEqualToString:@\"request\"] || [type isEqualToString:@\"freegift\"]))", "OK");
        return false;
    }
    std::string heading = trimmed(title);
    std::string text = trimmed(message);
    if (OpenApi::plazaVersion() >= 4) {
        auto params = plazaAccountKeys();
        params->set("receiver", receiver.value_or(std::string()));
        params->set("typeid", std::string(kind == "request" ? "50" : "1"));
        params->set("title", heading);
        params->set("picurl", imageURL.value_or(std::string()));
        params->set("exclude", exclude.value_or(std::string()));
        params->set("specified", specified.value_or(std::string()));
        params->set("only", std::to_string(only));
        params->set("sendmsg", text);
        params->set("app_custom", source.value_or(std::string()));
        return OpenApi::sendCommandToPlaza("AppGiftRequest", params);
    }
    auto params = pageAccountKeys("AppGiftRequest");
    params->set("receiver", receiver.value_or(std::string()));
    params->set("type", kind);
    params->set("title", heading);
    params->set("img", imageURL.value_or(std::string()));
    params->set("msg", text);
    params->set("exclude", exclude.value_or(std::string()));
    params->set("specified", specified.value_or(std::string()));
    params->set("only", std::to_string(only));
    params->set("source", source.value_or(std::string()));
    return showLocalPage(params, kind == "request" ? "请求礼物" : "赠送礼物");
}
