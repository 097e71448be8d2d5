#include "sdk/zz/ZZApi.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Text.h"
#include "sdk/zz/CVOSDKServers.h"
#include "sdk/zz/ZZApiDatastore.h"
#include "sdk/zz/ZZApiLog.h"
#include "sdk/zz/ZZApiMessage.h"
#include "sdk/zz/ZZApiMessageAndUrlConverter.h"
#include "sdk/zz/ZZApiTaskGetZZUinOnlineStatues.h"
#include "sdk/zz/ZZOpenApiUtility.h"
#include "sdk/zz/ZZPluginMetadata.h"

namespace {

bool canOpen(const char* text) { return ZZOpenApiUtility::canOpenURL(pf::URL::create(text)); }

std::optional<pf::Bytes> previewOf(const ZZApiObject& object)
{
    if (auto extend = dynamic_cast<const ZZApiExtendObject*>(&object))
        return extend->previewImageData();
    if (auto link = dynamic_cast<const ZZApiURLObject*>(&object))
        return link->previewImageData();
    if (auto common = dynamic_cast<const ZZApiCommonContentObject*>(&object))
        return common->previewImageData();
    return std::nullopt;
}

std::optional<pf::URL> urlOf(const ZZApiObject& object)
{
    auto link = dynamic_cast<const ZZApiURLObject*>(&object);
    return link ? link->url() : std::nullopt;
}

// The first non-empty icon list of the information dictionary.
std::vector<std::string> iconList(const pf::Dictionary& info)
{
    for (const char* key : { "CFBundleIconFiles", "Icon files" })
        if (auto list = info.array(key); list && !list->empty()) {
            std::vector<std::string> names;
            for (const pf::Value& name : *list)
                names.push_back(name.stringOr());
            return names;
        }
    for (const char* key : { "CFBundleIconFile", "Icon file" })
        if (auto name = info.string(key); name && !name->empty())
            return { *name };
    return {};
}

std::optional<pf::Bytes> resourceData(const std::string& name, const std::string& type)
{
    auto path = pf::Bundle::main()->pathForResource(name, type);
    auto data = path ? pf::readFile(*path) : std::nullopt;
    return data && !data->empty() ? data : std::nullopt;
}

}

void ZZApi::registerZZConnectOpenId(std::optional<std::string> openId)
{
    ZZApiDatastore::instance().setOpenId(std::move(openId));
}

void ZZApi::registerZZConnectAppId(std::optional<std::string> appId)
{
    ZZApiDatastore::instance().setAppId(std::move(appId));
}

void ZZApi::registerPluginWithId(const std::string& pluginId)
{
    auto bundle = pf::Bundle::main();
    auto info = bundle->infoDictionary();
    auto metadata = std::make_shared<ZZPluginMetadata>();
    metadata->setScheme(pluginId);
    metadata->setBundleIdentifier(info->string("CFBundleIdentifier"));
    metadata->setVersion(info->string("CFBundleVersion"));
    metadata->setDisplayName(info->string("CFBundleDisplayName"));
    ZZApiDatastore::instance().setAppName(metadata->displayName());

    auto icons = pf::Dictionary::create();
    for (const std::string& entry : iconList(*info)) {
        if (icons->count() > 1)
            break;
        auto dot = entry.find('.');
        if (entry.empty() || dot == std::string::npos)
            continue;
        std::string rest = entry.substr(dot + 1);
        std::string type = rest.substr(0, rest.find('.'));
        if (auto data = resourceData(entry.substr(0, dot), type))
            icons->set(entry, pf::Value::data(std::move(*data)));
    }
    if (icons->empty())
        if (auto data = resourceData("icon", "png"))
            icons->set("icon.png", pf::Value::data(std::move(*data)));
    metadata->setIconFiles(icons);
    ZZApiDatastore::instance().registerWithMetadata(metadata);
    ZZApiDatastore::instance().setScheme(pluginId);
}

bool ZZApi::checkZZApiURLMessage(const std::shared_ptr<ZZApiMessage>& message)
{
    auto fail = [](const char* why) {
        ZZApiLog(__FILE__, __LINE__, "%s", why);
        return false;
    };
    if (!message || !message->object())
        return fail("param error: object is nil");
    const ZZApiObject& object = *message->object();
    const auto& title = object.title();
    if (title && pf::utf16Length(*title) > kMaxTitleLength)
        return fail("param error: title is too long");
    if (object.descriptionValue() && pf::utf16Length(*object.descriptionValue()) > kMaxDescriptionLength)
        return fail("param error: description is too long");
    if (auto preview = previewOf(object); preview && preview->size() > kMaxPreviewSize)
        return fail("param error: preview image data is too big");
    if (!title || title->empty())
        return fail("param error: title is nil");
    auto url = ZZApiMessageAndUrlConverter::smartURLString(urlOf(object));
    if (!url || url->empty())
        return fail("param error: url is nil");
    if (pf::utf16Length(*url) > kMaxURLLength)
        return fail("param error: url is too long");
    return true;
}

std::shared_ptr<ZZApiMessage> ZZApi::handleOpenURL(const pf::URL& url)
{
    return ZZApiMessageUtil::messageWithURL(&url);
}

std::optional<std::vector<pf::Value>> ZZApi::getAdItemArray() { return ZZApiDatastore::instance().getAdItemArray(); }

bool ZZApi::isZZInstalled() { return canOpen("mzz://"); }
bool ZZApi::isZZSupportApi() { return canOpen("mzzapi://"); }
bool ZZApi::isZZSupportApiForWallet() { return canOpen("mzzapiwallet://"); }
bool ZZApi::isZZSupportApiForWPA() { return canOpen("mzzwpa://"); }

std::string ZZApi::getZZInstallURL() { return CVOSDKServers::url(CVOSDKServers::Row::AppStore, kInstallPath); }

bool ZZApi::openZZApp()
{
    std::string scheme = ZZApiDatastore::instance().scheme().value_or("");
    return ZZOpenApiUtility::openURL(pf::URL::create("mzz://sourceScheme=" + scheme)) == 0;
}

bool ZZApi::appCanOpenURL(const pf::Dictionary& parameters)
{
    auto text = parameters.string("url");
    return text && ZZOpenApiUtility::canOpenURL(pf::URL::create(*text));
}

void ZZApi::getZZUinOnlineStatues(std::vector<std::string> uins, std::weak_ptr<ZZApiInterfaceDelegate> delegate)
{
    ZZApiTaskGetZZUinOnlineStatues::initWithZZUins(std::move(uins), std::move(delegate))->postOnMainThread();
}
