#include "sdk/zz/ZZWebViewKit.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Text.h"
#include "sdk/zz/CVOSDKEZJSONParser.h"
#include "sdk/zz/CVOSDKServers.h"
#include "sdk/zz/ZZApiDatastore.h"
#include "sdk/zz/ZZApiMessage.h"
#include "sdk/zz/URLTools.h"
#include "sdk/zz/ZZOpenApiUtility.h"

namespace {

bool canOpen(const char* url)
{
    return ZZOpenApiUtility::canOpenURL(pf::URL::create(url));
}

}

const std::shared_ptr<ZZWebViewKit>& ZZWebViewKit::instance()
{
    static const auto* shared = new std::shared_ptr<ZZWebViewKit>(std::make_shared<ZZWebViewKit>());
    return *shared;
}

void ZZWebViewKit::openWebKit()
{
    if (m_timer)
        m_timer->invalidate();
    m_timer.reset();
    if (auto kit = m_webViewKit)
        kit->open();
}

bool ZZWebViewKit::webViewKitShouldStartLoadWithRequest(CVWebViewKit& kit, const std::string& url)
{
    const ZZApiDatastore& store = ZZApiDatastore::instance();
    auto contains = [&](const std::optional<std::string>& part) {
        return part && !part->empty() && url.find(*part) != std::string::npos;
    };
    bool ours = contains(store.appId() ? std::optional<std::string>("corvana" + *store.appId()) : std::nullopt)
        || contains(store.scheme()) || contains(store.appId());
    if (!ours || url.find(CVOSDKServers::kAuthorisationHost) == std::string::npos)
        return true;
    if (dictionaryByParseUrlFromSeparator(url, "?#")->get("action").stringOr() == "shareToZZ") {
        // Closing may release the kit's last other owner while it asks us.
        auto keep = kit.shared_from_this();
        kit.doClose();
    }
    return true;
}

bool ZZWebViewKit::canHanleOpenUrlFromSafari(const pf::URL* url)
{
    const auto& appId = ZZApiDatastore::instance().appId();
    if (!url || !appId)
        return false;
    const std::string& text = url->absoluteString();
    return text.find("corvana" + *appId) != std::string::npos
        && text.find(CVOSDKServers::kAuthorisationHost) != std::string::npos;
}

std::shared_ptr<ZZApiMessage> ZZWebViewKit::messageWithSafariUrl(const pf::URL* url)
{
    if (!canHanleOpenUrlFromSafari(url))
        return nullptr;
    pf::DictionaryRef fields = dictionaryByParseUrlFromSeparator(url->absoluteString(), "?#");
    std::string action = fields->get("action").stringOr();
    if (action != "shareToZZ" && action != "share")
        return nullptr;
    auto result = std::make_shared<ZZApiResultObject>();
    result->setError(std::string("-5"));
    result->setErrorDescription(std::string("unknown error"));
    std::string outcome = fields->get("result").stringOr();
    if (outcome == "cancel") {
        result->setError(std::string("-4"));
        result->setErrorDescription(std::string("the user give up the current operation"));
    } else if (outcome == "complete") {
        pf::DictionaryRef answer = JSONValue(fields->get("response").stringValue()).dictionary();
        pf::Value ret = answer ? answer->get("ret") : pf::Value();
        if (ret.isNumber() || ret.isString()) {
            result->setError(ret.description());
            result->setErrorDescription(answer->get("msg").stringValue());
        }
    }
    return ZZApiMessage::messageWithObject(result, 6);
}

pf::Value ZZWebViewKit::JSONValue(const std::optional<std::string>& text)
{
    if (!text)
        return pf::Value();
    CVOSDKEZJSONParser parser;
    return parser.objectWithString(*text);
}

pf::DictionaryRef ZZWebViewKit::dictionaryByParseUrlFromSeparator(std::string_view text, std::string_view separator)
{
    return pf::parseQueryBehind(text, separator, kStrictPairs);
}

bool ZZWebViewKit::isNewZZBrowserInstall()
{
    return canOpen("mzzbrowser://");
}

bool ZZWebViewKit::isOldZZBrowserInstall()
{
    return canOpen("mttbrowser://");
}
