// The shell as the application's delegate: launch, life cycle, push
// messages, URLs from other programs and the uncaught-exception handler.

#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRAuthTasks.h"
#include "app/services/ZMRShell.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/IKRUIViewController.h"
#include "framework/core/KRCrashTask.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/core/KRHttpService.h"
#include "framework/core/KRServiceContainer.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/ui/KRAlertView.h"
#include "framework/ui/KRPopWindow.h"
#include "framework/ui/KRStyleController.h"
#include "framework/ui/KRViewController.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/InterfaceFile.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

namespace {

constexpr double kCoinToastSeconds = 1.8;

// The text of a push message's "aps.alert": the text itself, or the "body"
// of a dictionary; empty for anything else.
std::string alertText(const pf::Value& alert)
{
    if (const std::string* text = alert.string())
        return *text;
    if (alert.dictionary()) {
        pf::Value body = dataForKeyPath(alert, "body");
        if (const std::string* text = body.string())
            return *text;
    }
    return {};
}

bool hasPrefix(const std::string& text, std::string_view prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The server root of an API address: "http://h:p/api" → "http://h:p".
std::string serverRoot(std::string apiUrl)
{
    auto scheme = apiUrl.find("//");
    auto slash = apiUrl.rfind('/');
    if (scheme != std::string::npos && slash != std::string::npos && slash > scheme + 1)
        apiUrl.erase(slash);
    return apiUrl;
}

// The origin the shipped configuration's addresses point at.
constexpr std::string_view kDefaultOrigin = "http://127.0.0.1:8080";

// `value` with every string that starts with the default origin repointed
// at `root`; collections are changed in place and answered as they are.
pf::Value repointed(const pf::Value& value, const std::string& root)
{
    if (const std::string* text = value.string()) {
        bool onOrigin = hasPrefix(*text, kDefaultOrigin)
                        && (text->size() == kDefaultOrigin.size() || (*text)[kDefaultOrigin.size()] == '/'
                            || (*text)[kDefaultOrigin.size()] == '?');
        return onOrigin ? pf::Value(root + text->substr(kDefaultOrigin.size())) : value;
    }
    if (auto dict = value.dictionary()) {
        std::vector<std::pair<std::string, pf::Value>> changed;
        for (const auto& [key, member] : *dict)
            if (pf::Value next = repointed(member, root); !(next == member))
                changed.emplace_back(key, std::move(next));
        for (auto& [key, member] : changed)
            dict->set(key, std::move(member));
    } else if (auto array = value.array()) {
        for (std::size_t i = 0; i < array->count(); ++i)
            if (pf::Value next = repointed(array->at(i), root); !(next == array->at(i)))
                array->set(i, std::move(next));
    }
    return value;
}

void useServer(const pf::DictionaryRef& config, const std::string& apiUrl)
{
    repointed(pf::Value(config), serverRoot(apiUrl));
    // The API address is taken whole: its path need not be the default's.
    if (auto services = config->array("services")) {
        for (const pf::Value& entry : *services) {
            auto dict = entry.dictionary();
            if (dict && dict->string("class") == "KRAPIService")
                dict->set("url", apiUrl);
        }
    }
}

}

std::shared_ptr<ZMRShell> ZMRShell::create(const std::optional<std::string>& server)
{
    auto bundle = pf::Bundle::main();
    auto path = bundle ? bundle->pathForResource("cfg", "plist") : std::nullopt;
    if (!path) {
        pf::log("no cfg.plist in the main bundle");
        return nullptr;
    }
    auto config = pf::readPropertyListFile(*path);
    if (!config || !config->dictionary()) {
        pf::log("%s: %s", path->c_str(), config ? "not a dictionary" : config.error().description.c_str());
        return nullptr;
    }
    if (server)
        useServer(config->dictionary(), *server);
    return create(config->dictionary(), bundle);
}

bool ZMRShell::applicationDidFinishLaunchingWithOptions(pf::Application& application, const pf::Value&)
{
    PF_ASSERT_MAIN_THREAD();
    auto self = shared_from_this();
    pf::log("%s", pf::homeDirectory().c_str());
    installUncaughtExceptionHandler();
    loadMainWindow();
    application.registerForRemoteNotificationTypes(pf::RemoteNotificationType::Badge | pf::RemoteNotificationType::Sound
                                                   | pf::RemoteNotificationType::Alert);
    registerPeers();
    pf::Value info = bundle() ? pf::Value(bundle()->infoDictionary()) : pf::Value();
    m_corvanaOAuth = CorvanaOAuth::initWithAppId(dataForKeyPath(info, "ZZ.appid").stringOr(),
                                                 std::static_pointer_cast<ZMRShell>(shared_from_this()));
    loadStyles();
    // Screens' "openUrl" actions leave the program through the platform.
    KRViewController::setExternalOpener([](const pf::URL& url) { return pf::Application::shared().openURL(url); });
    handle(proto::IZMRClassifyTask(), std::make_shared<ZMRClassifyTask>(), 0);
    startLocation();
    openStartPage();
    if (!m_window) {
        pf::log("MainWindow set no window: nothing to show");
        return true;
    }
    if (auto root = std::dynamic_pointer_cast<pf::ViewController>(rootViewController()))
        m_window->setRootViewController(root);
    else
        pf::log("the root screen (configuration \"url\") is not a view controller");
    m_window->makeKeyAndVisible();
    return true;
}

void ZMRShell::loadMainWindow()
{
    auto file = bundle() ? pf::InterfaceFile::named("MainWindow", *bundle())
                         : pf::ErrorOr<pf::InterfaceFileRef>(pf::Error{"ZMRShell", 1, "no bundle"});
    if (!file) {
        pf::log("MainWindow: %s", file.error().description.c_str());
        return;
    }
    if (auto made = file.value()->instantiate(shared_from_this()); !made)
        pf::log("MainWindow: %s", made.error().description.c_str());
}

void ZMRShell::loadStyles()
{
    if (auto css = bundle() ? bundle()->pathForResource("style", "css") : std::nullopt) {
        if (auto bytes = pf::readFile(*css))
            loadDOMStyleSheet({reinterpret_cast<const char*>(bytes->data()), bytes->size()});
        else
            pf::log("style.css could not be read");
    }
    auto styles = std::make_shared<KRStyleController>("Styles", bundle().get());
    styles->view(); // loads the interface file, which fills the styles
    setStyleController(styles);
}

void ZMRShell::sendUserTasks()
{
    sendTask(proto::IZMRAuthTask(), std::make_shared<ZMRAuthTask>());
    sendTask(proto::IZMRConcernTask(), std::make_shared<ZMRConcernTask>());
    sendTask(proto::IZMRCoinTask(), std::make_shared<ZMRCoinTask>());
}

void ZMRShell::openStartPage()
{
    if (uid().isNil()) {
        openConfigUrl("url-anonymous", false);
    } else if (!nick()) {
        openConfigUrl("url-nick", false);
    } else {
        sendUserTasks();
        openConfigUrl("url-auth", false);
    }
}

void ZMRShell::applicationWillEnterForeground(pf::Application&)
{
    auto self = shared_from_this();
    // Ends running animations first and stops at a window that stays open.
    KRPopWindow::closeAll();
    if (!uid().isNil())
        sendUserTasks();
    handle(proto::IZMRClassifyTask(), std::make_shared<ZMRClassifyTask>(), 0);
}

void ZMRShell::applicationDidEnterBackground(pf::Application&)
{
    didReceiveMemoryWarning();
}

void ZMRShell::applicationDidReceiveMemoryWarning(pf::Application&)
{
    didReceiveMemoryWarning();
}

std::string ZMRShell::deviceTokenText(const std::vector<std::uint8_t>& token)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(token.size() * 2);
    for (std::uint8_t byte : token) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xf];
    }
    return text;
}

void ZMRShell::applicationDidRegisterForRemoteNotificationsWithDeviceToken(pf::Application&,
                                                                           const std::vector<std::uint8_t>& token)
{
    setDeviceToken(deviceTokenText(token));
    sendTask(proto::IZMRAuthTask(), std::make_shared<ZMRAuthTask>());
}

void ZMRShell::applicationDidFailToRegisterForRemoteNotificationsWithError(pf::Application&, const pf::Error& error)
{
    pf::log("%s", error.description.c_str());
}

void ZMRShell::applicationDidReceiveRemoteNotification(pf::Application&, const pf::Value& payload)
{
    if (!payload.dictionary()) {
        pf::log("push message refused: not a dictionary");
        return;
    }
    pf::Value typeValue = dataForKeyPath(payload, "data.type");
    const std::string* type = typeValue.string();
    if (!type || *type != "coin") {
        pf::log("push message ignored: type %s", type ? type->c_str() : "(none)");
        return;
    }
    std::string text = alertText(dataForKeyPath(payload, "aps.alert"));
    if (!text.empty())
        KRAlertView::create(text)->showDuration(kCoinToastSeconds);
    sendTask(proto::IZMRCoinTask(), std::make_shared<ZMRCoinTask>());
}

bool ZMRShell::handleOpenURL(const pf::URL& url)
{
    const std::string& scheme = url.scheme();
    auto self = std::static_pointer_cast<ZMRShell>(shared_from_this());
    if (hasPrefix(scheme, "vx"))
        return VoxlySDK::handleOpenURL(url, self);
    if (hasPrefix(scheme, "nt"))
        return NTApi::handleOpenURL(url, self);
    if (hasPrefix(scheme, "corvana") || hasPrefix(scheme, "ZZ"))
        return CorvanaOAuth::HandleOpenURL(url);
    return true;
}

bool ZMRShell::applicationHandleOpenURL(pf::Application&, const pf::URL& url)
{
    return handleOpenURL(url);
}

bool ZMRShell::applicationOpenURL(pf::Application&, const pf::URL& url, const std::string&, const pf::Value&)
{
    return handleOpenURL(url);
}

std::optional<std::string> ZMRShell::applicationOpenRootURL(pf::Application&, const pf::URL& url)
{
    auto root = rootViewController();
    if (!root)
        return std::string("there is no root screen to open it in");
    takeMissingScreenEntry();
    bool opened = root->openUrl(url, false);
    // A container opens what it can of a path and ends its levels where one
    // names no screen: as much a refusal as a first step that does.
    if (auto missing = takeMissingScreenEntry(); missing && opened)
        return "cfg.plist has no screen entry \"" + *missing + "\" under \"ui\"; the levels above it opened";
    if (opened)
        return std::nullopt;
    // The first path step names the screen entry the root looks for.
    std::string path = url.path();
    std::size_t start = path.find_first_not_of('/');
    std::string first = start == std::string::npos ? "" : path.substr(start, path.find('/', start) - start);
    auto ui = config() ? config()->dictionary("ui") : nullptr;
    if (!first.empty() && (!ui || !ui->dictionary(first)))
        return "cfg.plist has no screen entry \"" + first + "\" under \"ui\"; the current screen stays";
    return std::string("no screen on its path took it; the current screen stays");
}

bool ZMRShell::applicationIsReady(pf::Application&)
{
    return !KRHttpService::isNetworkActivityIndicatorVisible();
}

void ZMRShell::installUncaughtExceptionHandler()
{
    // The crash service is made here, on the main queue: making it on the
    // dying thread would race the main queue.
    auto crashType = proto::IKRCrashTask();
    for (const auto& container : serviceContainers())
        if (container->hasTaskType(crashType))
            container->instance();
    std::weak_ptr<pf::Object> weakSelf = shared_from_this();
    pf::setUncaughtExceptionHandler([weakSelf](const std::shared_ptr<pf::Exception>& exception) {
        pf::log("%s", exception->description().c_str());
        std::string stack;
        for (const std::string& symbol : exception->callStackSymbols())
            stack += symbol + "\n";
        pf::log("%s", stack.c_str());
        auto self = std::static_pointer_cast<ZMRShell>(weakSelf.lock());
        if (!self)
            return;
        auto task = std::make_shared<KRCrashTask>();
        task->setException(exception);
        if (pf::RunLoop::main().isMainThread())
            self->handle(proto::IKRCrashTask(), task, 0);
        else
            self->handleOffMainQueue(proto::IKRCrashTask(), task, 0);
    });
}
