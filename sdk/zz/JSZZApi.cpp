#include "sdk/zz/JSZZApi.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/Object.h"
#include "platform/ui/Application.h"
#include "sdk/zz/CVOSDKEZJSONWriter.h"
#include "sdk/zz/CVOSDKJSBridge.h"
#include "sdk/zz/CorvanaJSObject.h"
#include "sdk/zz/CvApiTool.h"
#include "sdk/zz/ZZApi.h"
#include "sdk/zz/ZZApiDatastore.h"
#include "sdk/zz/ZZApiLog.h"
#include "sdk/zz/ZZApiMessage.h"
#include "sdk/zz/ZZApiMessageAndUrlConverter.h"
#include "sdk/zz/ZZApiTask.h"
#include "sdk/zz/ZZOpenApiUtility.h"
#include "sdk/zz/ZZWebViewKit.h"

#include <cstdlib>
#include <functional>

namespace {

const char* yesNo(bool yes) { return yes ? "YES" : "NO"; }

std::shared_ptr<ZZApiMessage> pendingMessage()
{
    auto bridge = CVOSDKJSBridge::shareInstance();
    return bridge ? bridge->getPoolObject("shareToZZ_Message").objectAs<ZZApiMessage>() : nullptr;
}

template <class T> std::shared_ptr<T> pendingObject()
{
    auto message = pendingMessage();
    return message ? std::dynamic_pointer_cast<T>(message->object()) : nullptr;
}

// The preview of whichever kind of object carries one.
std::optional<pf::Bytes> previewOf(const std::shared_ptr<ZZApiObject>& object)
{
    if (auto extend = std::dynamic_pointer_cast<ZZApiExtendObject>(object))
        return extend->previewImageData();
    if (auto link = std::dynamic_pointer_cast<ZZApiURLObject>(object))
        return link->previewImageData();
    if (auto common = std::dynamic_pointer_cast<ZZApiCommonContentObject>(object))
        return common->previewImageData();
    return std::nullopt;
}

std::string refuse(const char* message)
{
    ZZApiLog(__FILE__, __LINE__, "%s", message);
    return "NO";
}

void setExtendData()
{
    auto extend = pendingObject<ZZApiExtendObject>();
    if (!extend)
        return ZZApiMessageAndUrlConverter::setPasteBoardPrevImageData(std::nullopt, std::nullopt, nullptr);
    ZZApiMessageAndUrlConverter::setPasteBoardPrevImageData(extend->previewImageData(), extend->data(),
                                                            extend->imageDataArray());
}

std::optional<pf::URL> urlOf(const std::string& text)
{
    return pf::URL::create(text);
}

}

std::string JSZZApi::js_isRegistScheme()
{
    return yesNo(ZZApiDatastore::instance().scheme().has_value());
}

std::string JSZZApi::js_getZZScheme()
{
    return ZZApiDatastore::instance().scheme().value_or("");
}

std::string JSZZApi::js_checkZZApiURLMessage()
{
    return yesNo(ZZApi::checkZZApiURLMessage(pendingMessage()));
}

int JSZZApi::js_resendUrlObjectSyncShare()
{
    auto message = pendingMessage();
    auto link = message ? std::dynamic_pointer_cast<ZZApiURLObject>(message->object()) : nullptr;
    if (!message || message->isAssociatedWithTask() || !link || !link->previewImageURL() || link->previewImageData())
        return 123;
    ZZApiTaskDownloadURLObjectPreviewData::initWithURLMessage(message)->postOnMainThread();
    return 7;
}

std::string JSZZApi::js_getAPPName()
{
    pf::DictionaryRef info = pf::Bundle::main()->infoDictionary();
    std::optional<std::string> name = info ? info->string("CFBundleDisplayName") : std::nullopt;
    return name && !name->empty() ? *name : std::string("返回");
}

void JSZZApi::setImageObjectPasteBoardDatas()
{
    setExtendData();
}

void JSZZApi::setExtendObjectPasteBoardDatas()
{
    setExtendData();
}

void JSZZApi::setURLObjectPasteBoardDatas()
{
    auto link = pendingObject<ZZApiURLObject>();
    ZZApiMessageAndUrlConverter::setPasteBoardPrevImageData(link ? link->previewImageData() : std::nullopt, std::nullopt,
                                                            link ? link->imageDataArray() : nullptr);
}

void JSZZApi::setCommonObjectPasteBoardDatas()
{
    auto common = pendingObject<ZZApiCommonContentObject>();
    std::optional<pf::Bytes> archive;
    if (common)
        archive = pf::KeyedArchiver::archivedDataWithRootObject(pf::Value(common->toDictionary()));
    ZZApiMessageAndUrlConverter::setPasteBoardPrevImageData(std::nullopt, archive, nullptr);
}

std::string JSZZApi::js_getSDKInfo()
{
    CVOSDKEZJSONWriter writer;
    return writer.stringWithFragment(pf::Value(CvApiTool::SDKInfo())).value_or("");
}

int JSZZApi::js_openH5ZZToShare(const std::string& text)
{
    auto url = urlOf(text);
    if (!url || !pf::DeviceProfile::current().multitaskingSupported || !ZZOpenApiUtility::canOpenURL(url))
        return 1;
    return pf::Application::shared().openURL(*url) ? 0 : 1;
}

int JSZZApi::js_openURL(const std::string& text)
{
    auto url = urlOf(text);
    if (!url) {
        ZZApiLog(__FILE__, __LINE__, "param error: illegal object param");
        return 5;
    }
    return ZZOpenApiUtility::openURL(url) == 0 ? 0 : -1;
}

std::string JSZZApi::js_isLargeDataLengthLegal(const std::string& kind)
{
    bool image = kind == "img";
    if (!image && kind != "file" && kind != "url")
        return "YES";
    auto message = pendingMessage();
    auto object = message ? message->object() : nullptr;
    if (image || kind == "file") {
        auto extend = std::dynamic_pointer_cast<ZZApiExtendObject>(object);
        const std::optional<pf::Bytes>* data = extend ? &extend->data() : nullptr;
        if (!data || !*data || (*data)->empty())
            return refuse(image ? "param error: image data is nil" : "param error: data is nil");
        if ((*data)->size() > ZZApi::kMaxDataSize)
            return refuse(image ? "param error: image data is too big" : "param error: data is too big");
    }
    auto preview = previewOf(object);
    if (preview && preview->size() > ZZApi::kMaxPreviewSize)
        return refuse("param error: preview image data is too big");
    return "YES";
}

std::string JSZZApi::js_appCanOpenURL(const pf::Value& argument)
{
    pf::DictionaryRef parameters = argument.dictionary();
    return yesNo(parameters && ZZApi::appCanOpenURL(*parameters));
}

std::string JSZZApi::js_isZZInstalled() { return yesNo(ZZApi::isZZInstalled()); }
std::string JSZZApi::js_isZZSupportApi() { return yesNo(ZZApi::isZZSupportApi()); }
std::string JSZZApi::js_isZZSupportApiForWallet() { return yesNo(ZZApi::isZZSupportApiForWallet()); }

std::string JSZZApi::js_isZZSupportApiGeneralPastboard()
{
    return yesNo(ZZOpenApiUtility::canOpenURL(pf::URL::create("mzzopensdkapiV2://")));
}

std::string JSZZApi::js_getZZInstallURL()
{
    return ZZApi::getZZInstallURL();
}

std::string JSZZApi::js_isZZAppSatisfy(const std::string& url)
{
    return yesNo(ZZOpenApiUtility::canOpenURL(urlOf(url)));
}

int JSZZApi::js_handleWPAMessageShare(const std::string& url)
{
    if (ZZOpenApiUtility::openURL(urlOf(url)) != 0)
        ZZOpenApiUtility::openURL(urlOf(ZZApi::getZZInstallURL()));
    return 0;
}

int JSZZApi::js_sendMessageToZZ(const std::shared_ptr<ZZApiMessage>& message)
{
    auto bridge = CVOSDKJSBridge::shareInstance();
    if (!bridge)
        return -1;
    return std::atoi(bridge->shareMessageToZZ(message).c_str());
}

bool JSZZApi::isPureInt(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n'))
        i++;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        i++;
    std::size_t digits = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        i++;
    return i > digits && i == text.size();
}

bool JSZZApi::isNewZZBrowserInstall() { return ZZWebViewKit::isNewZZBrowserInstall(); }
bool JSZZApi::isOldZZBrowserInstall() { return ZZWebViewKit::isOldZZBrowserInstall(); }

std::shared_ptr<CorvanaJSObject> JSZZApi::nativeApiModule()
{
    constexpr int S = static_cast<int>(CorvanaType::String);
    constexpr int D = static_cast<int>(CorvanaType::Dictionary);
    constexpr int I = static_cast<int>(CorvanaType::Int);
    constexpr int V = static_cast<int>(CorvanaType::Void);
    using Args = std::vector<pf::Value>;
    using Body = std::function<pf::Value(const Args&)>;
    auto none = [](auto answer) -> Body { return [answer](const Args&) { return pf::Value(answer()); }; };
    auto effect = [](void (*work)()) -> Body {
        return [work](const Args&) {
            work();
            return pf::Value();
        };
    };
    auto text = [](auto answer) -> Body {
        return [answer](const Args& args) { return pf::Value(answer(args.empty() ? std::string() : args[0].stringOr())); };
    };
    return CorvanaJSObject::classModule("nativeApi", {
        {"js_isRegistScheme", "isRegistScheme", S, {}, none(js_isRegistScheme)},
        {"js_checkZZApiURLMessage", "checkZZApiURLMessage", S, {}, none(js_checkZZApiURLMessage)},
        {"js_resendUrlObjectSyncShare", "resendUrlObjectSyncShare", I, {}, none(js_resendUrlObjectSyncShare)},
        {"js_getZZScheme", "getZZScheme", S, {}, none(js_getZZScheme)},
        {"js_getAPPName", "getAppName", S, {}, none(js_getAPPName)},
        {"setImageObjectPasteBoardDatas", "setImageObjectPasteBoardDatas", V, {}, effect(setImageObjectPasteBoardDatas)},
        {"setURLObjectPasteBoardDatas", "setURLObjectPasteBoardDatas", V, {}, effect(setURLObjectPasteBoardDatas)},
        {"setExtendObjectPasteBoardDatas", "setExtendObjectPasteBoardDatas", V, {}, effect(setExtendObjectPasteBoardDatas)},
        {"setCommonObjectPasteBoardDatas", "setCommonObjectPasteBoardDatas", V, {}, effect(setCommonObjectPasteBoardDatas)},
        {"js_getSDKInfo", "getSDKInfo", S, {}, none(js_getSDKInfo)},
        {"js_openH5ZZToShare:", "openH5ZZ", I, {S}, text(js_openH5ZZToShare)},
        {"js_openURL:", "openURL", I, {S}, text(js_openURL)},
        {"js_isLargeDataLengthLegal:", "isLargeDataLengthLegal", S, {S}, text(js_isLargeDataLengthLegal)},
        {"js_appCanOpenURL:", "appCanOpenURL", S, {D},
         [](const Args& args) { return pf::Value(js_appCanOpenURL(args.empty() ? pf::Value() : args[0])); }},
    });
}
