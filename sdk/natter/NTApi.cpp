#include "sdk/natter/NTApi.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/ClampedSeconds.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/QueryString.h"
#include "platform/foundation/URL.h"
#include "sdk/natter/AppCommunicate.h"
#include "sdk/natter/AppCommunicateData.h"
#include "sdk/natter/NTReqResp.h"
#include "sdk/natter/NatterApiUtil.h"

#include <algorithm>
#include <charconv>

namespace {

struct State {
    std::optional<std::string> appID;
    std::optional<std::string> account;
    std::string installURL = "https://apps.natter.example/app/natter";
};

State& state()
{
    static State s;
    return s;
}

// The query of a callback, which ends where a fragment begins: a token's
// "=" padding stays in its value, and of two equal names the first counts;
// values that do not decode are passed over.
pf::DictionaryRef callbackQuery(const std::string& text)
{
    std::string_view url(text);
    return pf::parseQueryBehind(url.substr(0, url.find('#')), "?",
                                { .secondEquals = pf::SecondEquals::KeepsRest,
                                  .repeats = pf::QueryRules::Repeats::FirstWins });
}

// Years past any token's life: what "no expiry given" reads as.
constexpr double kDistantFuture = 64092211200.0;

pf::Date expiry(const std::optional<std::string>& text)
{
    long long seconds = 0;
    if (text)
        std::from_chars(text->data(), text->data() + text->size(), seconds);
    if (seconds == 0)
        return pf::Date{kDistantFuture};
    return pf::Date{pf::Date::now().seconds
                    + pf::clampedSeconds(static_cast<double>(seconds), pf::NegativeSeconds::Kept)};
}

bool send(AppCommunicateData& data)
{
    auto& s = state();
    return s.appID && AppCommunicate::setAppCommunicateData(data, s.appID) && NTApi::openNTApp();
}

}

bool NTApi::registerApp(const std::optional<std::string>& appID)
{
    if (!appID)
        return false;
    state().appID = appID;
    return MMApiRegister::registerApp(appID);
}

std::optional<std::string> NTApi::registeredAppID()
{
    return state().appID;
}

std::optional<std::string> NTApi::conversationAccount()
{
    return state().account;
}

void NTApi::resetForTesting()
{
    state().appID.reset();
    state().account.reset();
}

bool NTApi::isNTAppInstalled()
{
    auto& s = state();
    return s.appID && NatterApiUtil::isAppInstalled(NatterApiUtil::getNatterUrl(*s.appID));
}

bool NTApi::isNTAppSupportApi()
{
    return NatterApiUtil::isNTAppSupportApi();
}

std::string NTApi::getNTAppSupportMaxApiVersion()
{
    return NatterApiUtil::getSDKVersion();
}

std::string NTApi::getNTAppInstallUrl()
{
    return state().installURL;
}

void NTApi::setNTAppInstallUrl(std::string url)
{
    state().installURL = std::move(url);
}

bool NTApi::openNTApp()
{
    auto& s = state();
    s.account.reset();
    return s.appID && NatterApiUtil::launchApp(NatterApiUtil::getNatterUrl(*s.appID));
}

bool NTApi::sendReq(const std::shared_ptr<BaseReq>& request)
{
    if (!request || !state().appID)
        return false;
    AppCommunicateData data;
    data.conversationAccount = state().account;
    if (!data.ReqToData(*request))
        return false;
    return send(data);
}

bool NTApi::sendResp(const std::shared_ptr<BaseResp>& response)
{
    if (!response || !state().appID)
        return false;
    AppCommunicateData data;
    data.conversationAccount = state().account;
    data.returnFromApp = true;
    data.result = response->errCode;
    if (!data.RespToData(*response))
        return false;
    return send(data);
}

bool NTApi::handleOpenURL(const pf::URL& url, const std::shared_ptr<NTApiDelegate>& delegate)
{
    auto& s = state();
    if (!delegate)
        return false;
    std::string text = url.absoluteString();
    if (text.size() > kMaxURLLength)
        return false;
    if (s.appID) {
        if (text.rfind(*s.appID + "://timeline/auth/allow", 0) == 0) {
            auto query = callbackQuery(text);
            auto response = std::make_shared<SendAuthResp>();
            response->userName = query->string("username");
            response->token = query->string("access_token");
            response->state = query->string("state");
            response->expireDate = expiry(query->string("expires_in"));
            delegate->onResp(response);
            return true;
        }
        if (text.rfind(*s.appID + "://timeline/auth/deny", 0) == 0) {
            auto query = callbackQuery(text);
            auto response = std::make_shared<SendAuthResp>();
            response->errCode = -4;
            response->errStr = query->string("reason");
            response->state = query->string("state");
            delegate->onResp(response);
        }
    }
    if (!s.appID || !NatterApiUtil::isAppOpenUrl(text, *s.appID))
        return false;
    auto data = AppCommunicate::appCommunicateDataForAppID(s.appID);
    if (!data)
        return false;
    // The record names the conversation a reply belongs to; one naming none
    // must not leave an earlier conversation's account for the next reply.
    s.account = data->conversationAccount;
    switch (data->command) {
    case 1010:
    case 2000: {
        auto request = data->DataToReq();
        if (!request)
            return false;
        delegate->onReq(request);
        return true;
    }
    case 2010:
    case 2020:
    case 2030: {
        auto response = data->DataToResp();
        if (!response)
            return false;
        delegate->onResp(response);
        return true;
    }
    default:
        return true;
    }
}

bool MMApiRegister::registerApp(const std::optional<std::string>& appID)
{
    if (!appID)
        return false;
    return natter::putIntoBoard(getRegisterPasteboardName(), NTApi::kMaxRegisterBoard, *appID, buildAppDictionary(*appID));
}

pf::DictionaryRef MMApiRegister::buildAppDictionary(const std::string& appID)
{
    auto bundle = pf::Bundle::main();
    auto info = bundle->infoDictionary();
    auto entry = pf::Dictionary::create();
    auto icon = pf::readFile(getIconString());
    if (!icon)
        icon = pf::readFile(bundle->resourcePath() + "/Icon.png");
    if (icon)
        entry->set("appIcon", pf::Value::data(*icon));
    if (auto identifier = info->string("CFBundleIdentifier"))
        entry->set("appIdentifier", *identifier);
    auto name = info->string("CFBundleDisplayName");
    if (!name || name->empty())
        name = info->string("CFBundleName");
    if (name)
        entry->set("appName", *name);
    entry->set("appID", appID);
    return entry;
}

std::string MMApiRegister::getIconString()
{
    auto bundle = pf::Bundle::main();
    auto info = bundle->infoDictionary();
    bool twice = NatterApiUtil::is2xScreen();
    std::string fallback = twice ? "Icon@2x.png" : "Icon.png";
    std::string name;
    if (auto files = info->array("CFBundleIconFiles")) {
        name = fallback;
        std::optional<std::string> last;
        for (const auto& value : *files) {
            auto file = value.stringValue();
            if (!file)
                continue;
            last = file;
            if ((file->find("@2x") != std::string::npos) == twice) {
                name = *file;
                last.reset();
                break;
            }
        }
        if (last)
            name = *last;
    } else {
        name = info->string("CFBundleIconFile").value_or(fallback);
    }
    return bundle->resourcePath() + "/" + name;
}
