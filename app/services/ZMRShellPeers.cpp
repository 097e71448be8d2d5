// The shell and the outside apps: Voxly and ZZ sign-in and binding, the
// token hand-over to the server with its "验证中..." toast, and posts to Natter.

#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRAuthTasks.h"
#include "app/services/ZMRMessage.h"
#include "app/services/ZMRShell.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/ui/KRAlertView.h"
#include "platform/controls/AlertView.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/ClampedSeconds.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageCodec.h"
#include "platform/ui/Application.h"
#include "sdk/natter/NTMediaMessage.h"
#include "sdk/natter/NTReqResp.h"
#include "sdk/voxly/VXBaseRequest.h"
#include "sdk/voxly/VXAuthorizeWebView.h"
#include "sdk/voxly/VXBaseResponse.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kThumbnailWidth = 160;
constexpr std::size_t kMaxThumbnailBytes = 32768;
// "expires_in" of the answer when it is a number (or a text of digits);
// else the seconds left until the token's expiry; 0 without either.
double expiresIn(const VXAuthorizeResponse& response, const pf::DictionaryRef& info)
{
    pf::Value value = info ? info->get("expires_in") : pf::Value();
    if (auto number = value.number())
        return pf::clampedSeconds(number->asDouble());
    if (const std::string* text = value.string();
        text && !text->empty() && text->size() <= 12 && text->find_first_not_of("0123456789") == std::string::npos)
        return pf::clampedSeconds(std::stod(*text));
    if (response.expirationDate)
        return pf::clampedSeconds(std::floor(response.expirationDate->seconds - pf::Date::now().seconds));
    return 0;
}

void showAlert(const std::string& message)
{
    std::make_shared<pf::AlertView>("", message, nullptr, "确定", std::vector<std::string>{})->show();
}

bool isBindTask(const pf::Protocol* taskType)
{
    return taskType == proto::IZMRVoxlyBindTask() || taskType == proto::IZMRZZBindTask();
}

bool isTokenTask(const pf::Protocol* taskType)
{
    return isBindTask(taskType) || taskType == proto::IZMRVoxlyLoginTask() || taskType == proto::IZMRZZLoginTask();
}

}

void ZMRShell::registerPeers()
{
    pf::Value info = bundle() ? pf::Value(bundle()->infoDictionary()) : pf::Value();
    pf::Value appKey = dataForKeyPath(info, "Voxly.appkey");
    if (!VoxlySDK::registerApp(appKey.string() ? std::optional<std::string>(*appKey.string()) : std::nullopt))
        pf::log("Voxly app key \"%s\" was not registered", appKey.stringOr().c_str());
    VoxlySDK::setAuthorizeDialogFactory(
        [](std::shared_ptr<VXAuthorizeRequest> request) { return VXAuthorizeWebView::create(std::move(request)); });
    // Natter answers on "<appid>://", which the URL routing sends here by its "nt".
    pf::Value appID = dataForKeyPath(info, "Natter.appid");
    if (!NTApi::registerApp(appID.string() ? std::optional<std::string>(*appID.string()) : std::nullopt))
        pf::log("Natter app id \"%s\" was not registered", appID.stringOr().c_str());
}

void ZMRShell::useVoxlyServer(const std::string& origin)
{
    VoxlySDK::setServerOrigin(origin);
    pf::Value info = bundle() ? pf::Value(bundle()->infoDictionary()) : pf::Value();
    std::string path = "/";
    pf::Value redirect = dataForKeyPath(info, "Voxly.redirectUrl");
    if (const std::string* configured = redirect.string())
        if (auto url = pf::URL::create(*configured); url && !url->path().empty())
            path = url->path();
    m_voxlyRedirectURL = origin + path;
}

void ZMRShell::voxlyLogin()
{
    auto request = VXAuthorizeRequest::request();
    if (m_voxlyRedirectURL) {
        request->redirectURI = m_voxlyRedirectURL;
    } else {
        pf::Value info = bundle() ? pf::Value(bundle()->infoDictionary()) : pf::Value();
        request->redirectURI = dataForKeyPath(info, "Voxly.redirectUrl").stringOr();
    }
    request->scope = "";
    if (!VoxlySDK::sendRequest(request))
        pf::log("voxlyLogin: the authorisation request was not sent");
}

void ZMRShell::didReceiveVoxlyResponse(const std::shared_ptr<VXBaseResponse>& response)
{
    auto authorize = std::dynamic_pointer_cast<VXAuthorizeResponse>(response);
    if (!authorize || !authorize->accessToken)
        return;
    // Read now: the board the answer came on goes once this returns.
    double seconds = expiresIn(*authorize, authorize->userInfo());
    bool signedIn = !uid().isNil();
    std::shared_ptr<ZMRTokenTask> task = signedIn ? std::shared_ptr<ZMRTokenTask>(std::make_shared<ZMRVoxlyBindTask>())
                                                  : std::make_shared<ZMRVoxlyLoginTask>();
    task->setToken(authorize->accessToken);
    task->setExpires_in(seconds);
    handOverToken(task, signedIn ? proto::IZMRVoxlyBindTask() : proto::IZMRVoxlyLoginTask());
}

void ZMRShell::zzLogin()
{
    if (!m_corvanaOAuth) {
        pf::log("zzLogin: no ZZ session");
        return;
    }
    m_corvanaOAuth->authorize({ "add_topic", "get_idollist", "add_share" }, false);
}

void ZMRShell::corvanaDidLogin()
{
    if (pf::Application::shared().applicationState() == pf::ApplicationState::Active) {
        corvanaDidLoginDelay();
        return;
    }
    // The toast shows once the application is in front again.
    std::weak_ptr<pf::Object> weak = shared_from_this();
    pf::RunLoop::main().scheduleTimer(pf::Seconds(0.1), false, [weak] {
        if (auto self = std::static_pointer_cast<ZMRShell>(weak.lock()))
            self->corvanaDidLoginDelay();
    });
}

void ZMRShell::corvanaDidLoginDelay()
{
    auto token = m_corvanaOAuth ? m_corvanaOAuth->accessToken() : std::nullopt;
    if (!token)
        return;
    auto expiry = m_corvanaOAuth->expirationDate();
    double seconds = pf::clampedSeconds(expiry ? std::floor(expiry->seconds - pf::Date::now().seconds) : 0);
    bool signedIn = !uid().isNil();
    std::shared_ptr<ZMRTokenTask> task = signedIn ? std::shared_ptr<ZMRTokenTask>(std::make_shared<ZMRZZBindTask>())
                                                  : std::make_shared<ZMRZZLoginTask>();
    task->setToken(*token);
    task->setExpires_in(seconds);
    handOverToken(task, signedIn ? proto::IZMRZZBindTask() : proto::IZMRZZLoginTask());
}

void ZMRShell::corvanaDidNotNetWork()
{
    showAlert("网络错误，请检查您的网络设置");
}

void ZMRShell::handOverToken(const std::shared_ptr<ZMRTokenTask>& task, const pf::Protocol* taskType)
{
    // The account chosen last is the one signed in: an earlier sign-in not
    // yet answered would otherwise answer first and take over.
    if (!isBindTask(taskType))
        withdrawTokens(true);
    if (!m_loadingView) {
        m_loadingView = KRAlertView::create("验证中...");
        unsigned generation = m_loadingGeneration;
        if (pf::Application::shared().applicationState() == pf::ApplicationState::Active) {
            m_loadingView->show();
        } else {
            // Shown once the application is in front again.
            std::weak_ptr<KRAlertView> weak = m_loadingView;
            std::weak_ptr<pf::Object> weakSelf = shared_from_this();
            pf::RunLoop::main().scheduleTimer(pf::Seconds(0.1), false, [weak, weakSelf, generation] {
                auto self = std::static_pointer_cast<ZMRShell>(weakSelf.lock());
                auto view = weak.lock();
                if (self && view && self->m_loadingGeneration == generation && self->m_loadingView == view)
                    view->show();
            });
        }
    }
    task->setDelegate(std::static_pointer_cast<ZMRShell>(shared_from_this()));
    m_tokenTasks.push_back({task, taskType, false});
    sendNextToken();
}

void ZMRShell::sendNextToken()
{
    // One at a time: a binding answered after a later one would store the
    // bindings as they were before that later one.
    if (m_tokenTasks.empty() || m_tokenTasks.front().sent)
        return;
    m_tokenTasks.front().sent = true;
    sendTask(m_tokenTasks.front().type, m_tokenTasks.front().task);
}

std::size_t ZMRShell::tokensHeldBack() const
{
    return static_cast<std::size_t>(
        std::count_if(m_tokenTasks.begin(), m_tokenTasks.end(), [](const TokenTask& entry) { return !entry.sent; }));
}

void ZMRShell::withdrawTokenSignIn()
{
    withdrawTokens(true);
}

void ZMRShell::withdrawTokens(bool signInsOnly)
{
    // A withdrawn request is never answered: the toast ends here once
    // nothing else is waiting.
    std::vector<TokenTask> withdrawn;
    std::erase_if(m_tokenTasks, [&](const TokenTask& entry) {
        if (signInsOnly && isBindTask(entry.type))
            return false;
        withdrawn.push_back(entry);
        return true;
    });
    for (const TokenTask& entry : withdrawn) {
        if (entry.sent)
            cancelHandle(entry.type, entry.task);
    }
    if (m_tokenTasks.empty())
        closeLoadingView();
    else
        sendNextToken();
}

bool ZMRShell::takeTokenTask(const pf::ObjectRef& task)
{
    auto it = std::find_if(m_tokenTasks.begin(), m_tokenTasks.end(),
                           [&](const TokenTask& entry) { return entry.task == task; });
    if (it == m_tokenTasks.end())
        return false;
    m_tokenTasks.erase(it);
    if (m_tokenTasks.empty())
        closeLoadingView();
    else
        sendNextToken();
    return true;
}

void ZMRShell::closeLoadingView()
{
    ++m_loadingGeneration;
    if (auto view = std::exchange(m_loadingView, nullptr))
        view->close();
}

void ZMRShell::krUploadTaskDidSuccessResults(const pf::ObjectRef& task, const pf::Value&, const pf::Protocol* taskType)
{
    // A withdrawn token's answer is none of the toast's.
    auto self = shared_from_this();
    if (!isTokenTask(taskType) || !takeTokenTask(task))
        return;
    if (isBindTask(taskType)) {
        pf::NotificationCenter::defaultCenter().post("ZMRBindChangedNotification");
        return;
    }
    if (nick() && !nick()->empty())
        toRootViewController(true);
    else
        openConfigUrl("url-nick", true);
}

void ZMRShell::krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error, const pf::Protocol* taskType)
{
    if (!isTokenTask(taskType) || !takeTokenTask(task))
        return;
    // Another account was chosen or made meanwhile: the person is with it now.
    if (error.code != ZMRSupersededCode)
        showAlert(ZMRMessage(error));
}

bool ZMRShell::canSendNatterWithAlert(bool alert)
{
    if (NTApi::isNTAppInstalled() && NTApi::isNTAppSupportApi())
        return true;
    if (alert)
        showAlert(NTApi::isNTAppInstalled() ? "你的纳特不支持此操作，请更新纳特" : "你还没有安装纳特");
    return false;
}

bool ZMRShell::sendNatterWithTitle(const std::optional<std::string>& title, const std::optional<std::string>& body,
                                   const pf::ImageRef& image, int scene)
{
    auto request = std::make_shared<SendMessageToNTReq>();
    request->scene = scene;
    if (!image || !image->bitmap()) {
        request->bText = true;
        request->text = title.value_or("") + "\n" + body.value_or("");
        return NTApi::sendReq(request);
    }
    auto message = NTMediaMessage::message();
    message->title = title.value_or("");
    message->description = body.value_or("");
    pf::Size size = image->size();
    pf::ImageRef thumbnail = image;
    if (size.width > kThumbnailWidth)
        if (auto scaled = image->scaledToSize({kThumbnailWidth, kThumbnailWidth * size.height / size.width}))
            thumbnail = *scaled;
    message->setThumbImage(thumbnail);
    // Natter refuses a thumbnail over 32 KiB: halve it until it fits.
    while (message->thumbData && message->thumbData->size() > kMaxThumbnailBytes && thumbnail) {
        pf::Size half{std::floor(thumbnail->size().width / 2), std::floor(thumbnail->size().height / 2)};
        if (half.width < 1 || half.height < 1)
            break;
        auto scaled = thumbnail->scaledToSize(half);
        if (!scaled)
            break;
        thumbnail = *scaled;
        message->setThumbImage(thumbnail);
    }
    auto object = NTImageObject::object();
    if (auto jpeg = pf::encodeJpeg(*image->bitmap(), 0.8))
        object->imageData = std::move(*jpeg);
    message->mediaObject = object;
    request->bText = false;
    request->message = message;
    return NTApi::sendReq(request);
}
