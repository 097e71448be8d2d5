#include "sdk/zz/CVOSDKJSBridge.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "sdk/zz/CVOSDKEZJSONParser.h"
#include "sdk/zz/CVOSDKServers.h"
#include "sdk/zz/CorvanaDataMgr.h"
#include "sdk/zz/CorvanaJSRunEnv.h"
#include "sdk/zz/JsPackageLock.h"
#include "sdk/zz/JsUpdateManager.h"
#include "sdk/zz/JsUpdateVersionController.h"
#include "sdk/zz/JsUpdateVersionInfo.h"
#include "sdk/zz/ScriptIdentifier.h"
#include "sdk/zz/TOSDKRSACryptor.h"
#include "sdk/zz/URLTools.h"
#include "sdk/zz/ZZApiDatastore.h"
#include "sdk/zz/ZZApiMessage.h"
#include "sdk/zz/ZZApiReqResp.h"

#include <typeinfo>

namespace {

std::shared_ptr<CVOSDKJSBridge> g_shared;
pf::DictionaryRef g_userDictionary = pf::Dictionary::create();
pf::DictionaryRef g_responseDictionary = pf::Dictionary::create();

// Parks the present pictures and files in the data manager; the key, or
// nothing when there was nothing to park.
std::optional<std::string> parkData(std::initializer_list<std::pair<const char*, pf::Value>> entries)
{
    auto parked = pf::Dictionary::create();
    for (const auto& [key, value] : entries)
        if (!value.isNilOrNull())
            parked->set(key, value);
    if (parked->count() == 0)
        return std::nullopt;
    return CorvanaDataMgr::getInstance().addObjectInDataMgr(pf::Value(parked));
}

pf::Value dataValue(const std::optional<pf::Bytes>& bytes)
{
    return bytes ? pf::Value::data(*bytes) : pf::Value();
}

std::string absolute(const std::optional<pf::URL>& url)
{
    return url ? url->absoluteString() : std::string();
}

// The whole number of a version text or number; nothing for anything else.
std::optional<long long> versionNumber(const pf::Value& value)
{
    if (auto number = value.number(); number && number->isInteger())
        return number->asLongLong();
    auto text = value.stringValue();
    if (!text || text->empty() || text->size() > 18 || text->find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoll(*text);
}

// Whether the bundle's package ("config.json" beside it) is newer than the
// installed version; false when either is unknown.
bool isNewerBundle(const pf::Value& installed)
{
    auto installedVersion = versionNumber(installed);
    std::string path = pf::Bundle::main()->resourcePath() + "/" + TOSDKRSACryptor::bundleName + "/config.json";
    auto bytes = pf::readFile(path);
    if (!installedVersion || !bytes)
        return false;
    CVOSDKEZJSONParser parser;
    pf::DictionaryRef config = parser.objectWithString(std::string(bytes->begin(), bytes->end())).dictionary();
    auto bundled = config ? versionNumber(config->get("version")) : std::nullopt;
    return bundled && *bundled > *installedVersion;
}

std::string resultText(const pf::Value& value)
{
    if (value.isNilOrNull())
        return std::string();
    return value.description();
}

}

std::shared_ptr<CVOSDKJSBridge> CVOSDKJSBridge::initializeWithUpdateManager(
    const std::shared_ptr<JsUpdateManager>& manager, std::shared_ptr<pf::WebView> webView, const std::string& url,
    std::weak_ptr<pf::WebViewDelegate> delegate)
{
    deinit();
    g_userDictionary = pf::Dictionary::create();
    g_responseDictionary = pf::Dictionary::create();
    if (!manager)
        return nullptr;
    std::shared_ptr<CVOSDKJSBridge> bridge(new CVOSDKJSBridge());
    bridge->m_webView = std::move(webView);
    bridge->m_updateManager = manager;
    bridge->m_modulePool = pf::Dictionary::create();
    if (!bridge->load(url, std::move(delegate)))
        return nullptr;
    g_shared = bridge;
    return bridge;
}

bool CVOSDKJSBridge::load(const std::string& url, std::weak_ptr<pf::WebViewDelegate> delegate)
{
    m_runEnv = CorvanaJSRunEnv::initWithWebView(m_webView, url, std::move(delegate));
    if (!m_runEnv)
        return false;
    JsUpdateVersionController& versions = *m_updateManager->versionController();
    // A bundle newer than the installed package (the application was
    // updated) replaces it; a failed install keeps the installed one.
    if (isNewerBundle(versions.latestVersion()))
        m_updateManager->loadBundleJsZip();
    std::vector<std::string> sources;
    for (int attempt = 0; attempt < 2; attempt++) {
        if (attempt == 1 && !m_updateManager->loadBundleJsZip())
            return false;
        JsPackageLock lock(m_updateManager->libCachesFolderPath());
        std::shared_ptr<JsUpdateVersionInfo> info = versions.getJsInfo();
        if (!info)
            continue;
        if (info->isUpdated() && !m_updateManager->verifyFolder(info->folder())) {
            versions.clearVersionInfo();
            return false;
        }
        for (const std::string& path : info->files()) {
            std::optional<pf::Bytes> bytes = pf::readFile(path);
            sources.push_back(bytes ? std::string(bytes->begin(), bytes->end()) : std::string());
        }
        break;
    }
    if (sources.empty())
        return false;
    for (const std::string& source : sources)
        m_runEnv->evaluateJavascript(source);
    return true;
}

std::shared_ptr<CVOSDKJSBridge> CVOSDKJSBridge::shareInstance()
{
    return g_shared;
}

void CVOSDKJSBridge::deinit()
{
    g_shared.reset();
}

std::string CVOSDKJSBridge::evaluateJavascript(std::string_view text)
{
    return m_runEnv->evaluateJavascript(text);
}

void CVOSDKJSBridge::setPoolObject(const std::string& name, const pf::Value& object)
{
    m_modulePool->set(name, object);
}

pf::Value CVOSDKJSBridge::getPoolObject(const std::string& name) const
{
    return m_modulePool->get(name);
}

void CVOSDKJSBridge::addUserDictionary(const pf::Value& object, const std::string& key)
{
    g_userDictionary->set(key, object);
}

pf::Value CVOSDKJSBridge::getUserDictionary(const std::string& key)
{
    return g_userDictionary->get(key);
}

void CVOSDKJSBridge::addResponseDictionary(const pf::Value& object, const std::string& key)
{
    g_responseDictionary->set(key, object);
}

pf::Value CVOSDKJSBridge::getResponseDictionary(const std::string& key)
{
    return g_responseDictionary->get(key);
}

pf::DictionaryRef CVOSDKJSBridge::dictionaryWithQuery(std::string_view query)
{
    auto result = pf::Dictionary::create();
    pf::forEachQueryPiece(query, [&](std::string_view name, std::string_view value) { result->set(name, std::string(value)); });
    return result;
}

std::string CVOSDKJSBridge::call(const std::string& path, const std::vector<pf::Value>& arguments)
{
    return resultText(m_webView->callScriptFunction(path, arguments));
}

std::string CVOSDKJSBridge::authorizeHandleURL(const std::string& url)
{
    return call("corvana.localresult.handleAuthorizeResult", {url});
}

std::string CVOSDKJSBridge::authorizeInit(const std::string& appId, const pf::Value& handler)
{
    if (!handler.isNilOrNull())
        setPoolObject("authorizeHandler", handler);
    // The scripts send their requests to the OAuth origin of the server table.
    return call("corvana.cauth.init", {appId, CVOSDKServers::origin(CVOSDKServers::Row::OAuth)});
}

std::string CVOSDKJSBridge::authorizeWithPermissions(const std::vector<std::string>& permissions)
{
    std::string joined;
    for (const std::string& permission : permissions) {
        if (!joined.empty())
            joined += ',';
        joined += permission;
    }
    return call("corvana.cauth.login", {joined});
}

std::string CVOSDKJSBridge::setAccessToken(const std::string& token, const std::string& openId, double expirationDate)
{
    return call("corvana.result.loginComplete", {token, openId, expirationDate});
}

std::string CVOSDKJSBridge::JSgetUserInfo()
{
    return call("corvana_base.getUserInfo", {});
}

std::string CVOSDKJSBridge::JSuserGetUserInfo()
{
    return call("corvana.result.shouldUserGetUserInfo", {});
}

std::string CVOSDKJSBridge::nativeNetworkChanged(const std::string& status)
{
    return call("corvana.netmonitor.statusChanged", {status});
}

bool CVOSDKJSBridge::jsCall(const std::string& function, const std::string& category, const std::string& callback)
{
    if (!isScriptIdentifier(function) || !isDottedIdentifier(category))
        return false;
    return call(category + "." + function, {callback, callback}) == "true";
}

std::string CVOSDKJSBridge::shareToZZ(const std::shared_ptr<ZZBaseReq>& request)
{
    setPoolObject("shareToZZ_Request", pf::Value(std::static_pointer_cast<pf::Object>(request)));
    auto send = std::dynamic_pointer_cast<SendMessageToZZReq>(request);
    if (!send)
        return "-1";
    return shareMessageToZZ(ZZApiMessage::messageWithObject(send->message(), 5));
}

std::string CVOSDKJSBridge::shareMessageToZZ(const std::shared_ptr<ZZApiMessage>& message)
{
    setPoolObject("shareToZZ_Message", pf::Value(std::static_pointer_cast<pf::Object>(message)));
    if (!message)
        return call("corvana.share.shareMessageToZZ", {pf::Value()});
    return call("corvana.share.shareMessageToZZ", {pf::Value(shareDictionary(*message))});
}

pf::DictionaryRef CVOSDKJSBridge::shareDictionary(const ZZApiMessage& message)
{
    auto share = pf::Dictionary::create();
    for (const char* key : {"uin", "order_no", "object_imageUrl", "object_targetUrl", "flash_url", "object_title",
                            "object_description", "app_name", "text_data"})
        share->set(key, "");
    share->set("isUrlObject", "NO");
    const std::shared_ptr<ZZApiObject>& object = message.object();
    std::optional<std::string> dataKey;
    if (auto wpa = std::dynamic_pointer_cast<ZZApiWPAObject>(object))
        share->set("uin", wpa->uin().value_or(""));
    if (auto pay = std::dynamic_pointer_cast<ZZApiPayObject>(object))
        share->set("order_no", pay->OrderNo().value_or(""));
    if (auto link = std::dynamic_pointer_cast<ZZApiURLObject>(object)) {
        share->set("isUrlObject", "YES");
        share->set("object_imageUrl", absolute(link->previewImageURL()));
        share->set("object_targetUrl", absolute(link->url()));
        if (auto audio = std::dynamic_pointer_cast<ZZApiAudioObject>(object))
            share->set("flash_url", absolute(audio->flashURL()));
        else if (auto video = std::dynamic_pointer_cast<ZZApiVideoObject>(object))
            share->set("flash_url", absolute(video->flashURL()));
        else if (auto news = std::dynamic_pointer_cast<ZZApiNewsObject>(object))
            share->set("flash_url", absolute(news->flashURL()));
        if (link->previewImageData() || link->imageDataArray())
            dataKey = parkData({{"previewimagedata", dataValue(link->previewImageData())},
                                {"image_data_list", link->imageDataArray() ? pf::Value(link->imageDataArray()) : pf::Value()}});
        if (const pf::ArrayRef& urls = link->imageUrlArray()) {
            std::string joined;
            bool first = true;
            for (const pf::Value& entry : *urls) {
                if (const std::string* text = entry.string()) {
                    joined += (first ? "" : ",") + *text;
                    first = false;
                }
            }
            if (!joined.empty())
                share->set("object_imageUrl", joined);
        }
    }
    if (object) {
        share->set("object_title", object->title().value_or(""));
        share->set("object_description", object->descriptionValue().value_or(""));
    }
    share->set("app_name", ZZApiDatastore::instance().appName().value_or(""));
    share->set("message_type", std::to_string(message.type()));
    const ZZApiObject* raw = object.get();
    const pf::Class* objectClass = raw ? pf::Class::of(*raw) : nullptr;
    share->set("object_type", objectClass ? objectClass->name() : std::string());
    // Exact classes: a subclass of text sends no text, one of image or extend no files.
    if (raw && typeid(*raw) == typeid(ZZApiTextObject))
        share->set("text_data", static_cast<const ZZApiTextObject*>(raw)->text().value_or(""));
    if (raw && (typeid(*raw) == typeid(ZZApiImageObject) || typeid(*raw) == typeid(ZZApiExtendObject))) {
        const auto& extend = static_cast<const ZZApiExtendObject&>(*raw);
        if (extend.previewImageData() || extend.data() || extend.imageDataArray())
            dataKey = parkData({{"previewimagedata", dataValue(extend.previewImageData())},
                                {"file_data", dataValue(extend.data())},
                                {"image_data_list", extend.imageDataArray() ? pf::Value(extend.imageDataArray()) : pf::Value()}});
    }
    share->set("platform", "ios");
    share->set("shareType", message.type() == 7 ? 1 : 0);
    if (dataKey)
        share->set("key_ImageDataArray", *dataKey);
    share->set("cflag", std::to_string(object ? object->cflag() : 0));
    return share;
}
