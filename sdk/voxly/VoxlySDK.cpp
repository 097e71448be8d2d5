#include "sdk/voxly/VoxlySDK.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Pasteboard.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "platform/ui/Application.h"
#include "sdk/voxly/InstallVoxlyAppAlert.h"
#include "sdk/voxly/VXBaseRequest.h"
#include "sdk/voxly/VXBaseResponse.h"
#include "sdk/voxly/VoxlySDK3rdApp.h"

#include <map>
#include <set>

namespace {

struct State {
    std::optional<std::string> appKey;
    bool debug = false;
    VoxlySDK::Settings settings;
    // Request id -> user information, kept only without private boards.
    std::map<std::string, pf::DictionaryRef> userInfoCache;
    // Requests sent by this process and not yet answered.
    std::set<std::string> awaitingAnswers;
    VoxlySDK::AuthorizeDialogFactory dialogFactory;
    std::shared_ptr<VXAuthorizeDialog> dialog;
};

State& state()
{
    static State s;
    return s;
}

void debugLog(const std::string& line)
{
    if (state().debug)
        pf::log("%s", line.c_str());
}

bool canOpen(const std::string& text)
{
    auto url = pf::URL::create(text);
    return url && pf::Application::shared().canOpenURL(*url);
}

bool open(const std::string& text)
{
    auto url = pf::URL::create(text);
    return url && pf::Application::shared().openURL(*url);
}

void writeToBoard(VXDataTransferObject& object)
{
    if (auto board = VoxlySDK::pasteboardWithName(object.pasteboardName(), true)) {
        // Flag and items in one locked write, not two.
        board->setItems(object.transferObjectsForPasteboard(), true);
    }
}

bool registerAppWithApp(const VoxlySDK3rdApp& app)
{
    auto board = pf::Pasteboard::withName(VoxlySDK::registedAppsPasteboardName(), true);
    auto archive = pf::KeyedArchiver::archivedDataWithRootObject(VoxlySDK3rdApp::dictionaryWithApp(app));
    if (!board || !archive)
        return false;
    board->setPersistent(true);
    pf::Pasteboard::Item entry{{app.appKey.value_or(""), *archive}};
    // One read-modify-write, so apps registering at once never drop each other.
    board->modifyItems([&](std::vector<pf::Pasteboard::Item>& items) {
        for (auto it = items.rbegin(); it != items.rend(); ++it) {
            if (!it->empty() && it->front().first == app.appKey) {
                *it = entry;
                return;
            }
        }
        items.insert(items.begin(), entry);
    });
    return true;
}

void showDialog(const std::shared_ptr<VXAuthorizeRequest>& request, bool& result)
{
    auto& s = state();
    auto dialog = s.dialogFactory ? s.dialogFactory(request) : nullptr;
    if (!dialog) {
        pf::log("VoxlySDK: no web authorisation dialog to serve %s", request->className());
        result = false;
        return;
    }
    s.dialog = dialog;
    dialog->show();
    result = true;
}

bool startsWithIgnoringCase(const std::string& text, const std::string& prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

}

const VoxlySDK::Settings& VoxlySDK::settings()
{
    return state().settings;
}

void VoxlySDK::setSettings(Settings settings)
{
    state().settings = std::move(settings);
}

void VoxlySDK::setServerOrigin(const std::string& origin)
{
    auto& s = state().settings;
    s.webAuthorizeHost = origin;
    s.apiHost = origin;
}

void VoxlySDK::enableDebugMode(bool enabled)
{
    state().debug = enabled;
}

std::optional<std::string> VoxlySDK::registeredAppKey()
{
    return state().appKey;
}

bool VoxlySDK::registerApp(const std::optional<std::string>& appKey)
{
    return registerAppWithAppKey(appKey);
}

bool VoxlySDK::registerAppWithAppKey(const std::optional<std::string>& appKey)
{
    if (!appKey) {
        pf::log("VoxlySDK registerApp error : appKey不能为空");
        return false;
    }
    state().appKey = appKey;
    registerAppWithApp(*VoxlySDK3rdApp::currentApp());
    return true;
}

bool VoxlySDK::isVoxlyAppInstalled()
{
    return canOpen("mainvoxly://");
}

bool VoxlySDK::openVoxlyApp()
{
    return open("mainvoxly://");
}

std::optional<std::string> VoxlySDK::getVoxlyAppSupportMaxSDKVersion()
{
    return deprecatedVoxlyAppSupportMaxSDKVersion();
}

std::optional<std::string> VoxlySDK::deprecatedVoxlyAppSupportMaxSDKVersion()
{
    if (canOpen("voxlysdk://"))
        return "2.1";
    if (isVoxlyAppInstalled())
        return "1.0";
    return std::nullopt;
}

bool VoxlySDK::canAccessPrivatePasteboard()
{
    return static_cast<int>(pf::DeviceProfile::current().systemVersionNumber()) < 7;
}

std::shared_ptr<pf::Pasteboard> VoxlySDK::pasteboardWithName(const std::string& name, bool create)
{
    if (canAccessPrivatePasteboard())
        return pf::Pasteboard::withName(name, create);
    return pf::Pasteboard::general();
}

void VoxlySDK::removePasteboardWithName(const std::string& name)
{
    if (canAccessPrivatePasteboard()) {
        pf::Pasteboard::removePasteboardWithName(name);
        return;
    }
    // The general board is everybody's: only a Voxly transfer is ours to clear.
    pf::Pasteboard::general()->modifyItems([](std::vector<pf::Pasteboard::Item>& items) {
        for (const auto& item : items)
            for (const auto& entry : item)
                if (entry.first == "transferObject") {
                    items.clear();
                    return;
                }
    });
}

pf::DictionaryRef VoxlySDK::takeCachedUserInfo(const std::string& requestID)
{
    auto& cache = state().userInfoCache;
    auto found = cache.find(requestID);
    if (found == cache.end())
        return nullptr;
    auto info = found->second;
    cache.erase(found);
    return info;
}

void VoxlySDK::setAuthorizeDialogFactory(AuthorizeDialogFactory factory)
{
    state().dialogFactory = std::move(factory);
}

void VoxlySDK::resetForTesting()
{
    auto& s = state();
    s.appKey.reset();
    s.debug = false;
    s.userInfoCache.clear();
    s.awaitingAnswers.clear();
    s.dialog = nullptr;
}

bool VoxlySDK::sendRequest(const std::shared_ptr<VXBaseRequest>& request)
{
    if (!request)
        return false;
    if (!canAccessPrivatePasteboard() && request->requestID())
        if (auto info = request->userInfo())
            state().userInfoCache[*request->requestID()] = info;
    return openAppWithTransferObject(request);
}

bool VoxlySDK::sendResponse(const std::shared_ptr<VXBaseResponse>& response)
{
    if (!response)
        return false;
    response->setApp(VoxlySDK3rdApp::currentApp());
    return openAppWithTransferObject(response);
}

bool VoxlySDK::openAppWithTransferObject(const std::shared_ptr<VXDataTransferObject>& object)
{
    auto& s = state();
    std::string name = object->className();
    object->setApp(VoxlySDK3rdApp::currentApp());
    debugLog("VoxlySDK openAppWithTransferObject");
    if (!s.appKey) {
        debugLog("VoxlySDK send " + name + " error : 尚未注册第三方应用，请先调用 [VoxlySDK registerApp:] 方法注册");
        return false;
    }
    if (auto message = object->validateBeforeSend()) {
        debugLog("VoxlySDK send " + name + " error : " + *message);
        return false;
    }
    if (!object->app()) {
        debugLog("VoxlySDK send " + name + " error : object.app 不能为空");
        return false;
    }
    std::string url = object->openVoxlyAppScheme();
    writeToBoard(*object);
    auto request = std::dynamic_pointer_cast<VXBaseRequest>(object);
    if (request && request->requestID())
        s.awaitingAnswers.insert(*request->requestID());

    auto version = deprecatedVoxlyAppSupportMaxSDKVersion();
    auto authorize = std::dynamic_pointer_cast<VXAuthorizeRequest>(object);
    bool result = true;
    if (version && *version != "1.0") {
        debugLog("VoxlySDK sending " + name + " bundleID=(" + object->app()->bundleID.value_or("(null)") + ")");
        return open(url);
    }
    if (version) {
        debugLog("VoxlySDK 当前沃丽客户端不支持新版VoxlySDK");
        if (authorize) {
            showDialog(authorize, result);
        } else if (request) {
            auto response = request->makeAssociatedResponse();
            response->statusCode = kUnsupportedStatusCode;
            response->requestID = request->requestID();
            directlySendResponseToCurrentApp(response);
        }
        return result;
    }
    debugLog("VoxlySDK send " + name + " : 尚未安装沃丽客户端程序");
    if (authorize) {
        showDialog(authorize, result);
        return result;
    }
    if (!object->shouldOpenVoxlyAppInstallPageIfNotInstalled())
        return false;
    debugLog("VoxlySDK 将询问是否打开沃丽客户端程序的安装页面");
    InstallVoxlyAppAlert::shared()->alertWithTransferObject(object);
    return true;
}

void VoxlySDK::directlySendResponseToCurrentApp(const std::shared_ptr<VXBaseResponse>& response)
{
    response->setApp(VoxlySDK3rdApp::currentApp());
    writeToBoard(*response);
    std::string text = response->open3rdAppSchemeWithAppKey(response->app()->appKey.value_or(""));
    std::string source = settings().voxlyBundleIdentifier;
    pf::RunLoop::main().post([text, source] {
        if (auto url = pf::URL::create(text))
            pf::Application::shared().openIncomingURL(*url, source);
    });
}

void VoxlySDK::didReceiveAuthorizeResponse(const std::shared_ptr<VXBaseResponse>& response,
                                           const std::shared_ptr<VXAuthorizeDialog>& dialog)
{
    if (dialog)
        dialog->hide();
    if (state().dialog == dialog)
        state().dialog = nullptr;
    directlySendResponseToCurrentApp(response);
}

void VoxlySDK::didReceiveUnSupportedRequest(const std::shared_ptr<VXBaseRequest>& request)
{
    auto response = VXBaseResponse::response();
    response->setApp(request->app());
    response->statusCode = kUnsupportedStatusCode;
    pf::RunLoop::main().scheduleTimer(pf::Seconds(0.5), false, [response] { openAppWithTransferObject(response); });
}

bool VoxlySDK::handleOpenURL(const pf::URL& url, const std::shared_ptr<VoxlySDKDelegate>& delegate)
{
    auto& s = state();
    std::string text = url.absoluteString();
    if (text.size() > kMaxURLLength)
        return false;
    debugLog("VoxlySDK handleOpenURL " + text);
    std::string prefix = s.appKey ? VoxlySDK3rdApp::callbackSchemeWithAppKey(*s.appKey) : "vx";
    if (!startsWithIgnoringCase(text, prefix))
        return false;
    auto identifier = queryValueWithName("id", text);
    std::string version = queryValueWithName("sdkversion", text).value_or("2.1");
    if (!identifier)
        return true;
    if (url.host() == "request") {
        auto request = VXBaseRequest::objectFromPasteboardWithID(*identifier, version);
        if (!request)
            return true;
        if (auto message = request->validateAfterReceive()) {
            debugLog("VoxlySDK didReceiveUnSupportedRequest error : " + *message + " (" + request->className() + ")");
            didReceiveUnSupportedRequest(request);
        } else {
            debugLog(std::string("VoxlySDK didReceiveVoxlyRequest ") + request->className());
            if (delegate)
                delegate->didReceiveVoxlyRequest(request);
        }
        return true;
    }
    if (url.host() == "response") {
        auto response = VXBaseResponse::objectFromPasteboardWithID(*identifier, version);
        if (!response)
            return true;
        if (!response->requestID || !s.awaitingAnswers.count(*response->requestID)) {
            // Not an answer to anything this process asked: whoever wrote
            // it, it signs nobody in.
            pf::log("VoxlySDK: dropped a %s that answers no request of ours", response->className());
            response->VXDataTransferObject::removeFromPasteboard();
            return true;
        }
        if (auto message = response->validateAfterReceive()) {
            debugLog("VoxlySDK didReceiveUnSupportedResponse error : " + *message + " (" + response->className() + ")");
            didReceiveUnSupportedResponse(response);
        } else {
            debugLog(std::string("VoxlySDK didReceiveVoxlyResponse ") + response->className());
            s.awaitingAnswers.erase(*response->requestID);
            if (delegate)
                delegate->didReceiveVoxlyResponse(response);
        }
        response->removeFromPasteboard();
        return true;
    }
    return true;
}
