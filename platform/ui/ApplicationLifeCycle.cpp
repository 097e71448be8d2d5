// The application's life cycle, push and URL operations; the status bar is
// in Application.cpp.

#include "platform/foundation/AppRegistry.h"
#include "platform/foundation/ApplicationNotifications.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URLInbox.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/Screen.h"
#include "platform/ui/URLOpener.h"

#include <utility>

namespace pf {

namespace {

void post(const char* name)
{
    NotificationCenter::defaultCenter().post(name);
}

}

bool Application::launch(const Value& options)
{
    PF_ASSERT_MAIN_THREAD();
    auto delegate = m_delegate.lock();
    if (!delegate) {
        log("application: launched without a delegate");
        return false;
    }
    // Inactive until the launch and its URL are done.
    m_state = ApplicationState::Inactive;
    if (!delegate->applicationDidFinishLaunchingWithOptions(*this, options))
        return false;
    m_launched = true;
    if (auto dict = options.dictionary()) {
        auto text = dict->string(LaunchOptionsURLKey);
        if (auto url = text ? URL::create(*text) : std::nullopt)
            openIncomingURL(*url, dict->string(LaunchOptionsSourceApplicationKey).value_or(""));
        else if (text)
            log("application: launched with %s, which is not a URL", text->c_str());
    }
    for (auto pending = std::exchange(m_pendingURLs, {}); const auto& [url, source] : pending)
        openIncomingURL(url, source);
    m_state = ApplicationState::Active;
    post(ApplicationDidBecomeActiveNotification);
    return true;
}

void Application::enterBackground()
{
    PF_ASSERT_MAIN_THREAD();
    if (m_state != ApplicationState::Active)
        return;
    post(ApplicationWillResignActiveNotification);
    m_state = ApplicationState::Background;
    if (auto delegate = m_delegate.lock())
        delegate->applicationDidEnterBackground(*this);
    post(ApplicationDidEnterBackgroundNotification);
}

void Application::enterForeground()
{
    PF_ASSERT_MAIN_THREAD();
    if (m_state == ApplicationState::Background)
        comeToForeground(nullptr, {});
}

void Application::comeToForeground(const URL* url, const std::string& sourceApplication)
{
    post(ApplicationWillEnterForegroundNotification);
    m_state = ApplicationState::Inactive;
    if (auto delegate = m_delegate.lock())
        delegate->applicationWillEnterForeground(*this);
    if (url)
        openIncomingURL(*url, sourceApplication);
    m_state = ApplicationState::Active;
    post(ApplicationDidBecomeActiveNotification);
}

void Application::stepBack()
{
    if (std::exchange(m_stepBackPending, false))
        enterBackground();
}

void Application::receiveURL(const URL& url, const std::string& sourceApplication)
{
    PF_ASSERT_MAIN_THREAD();
    stepBack();
    switch (m_state) {
    case ApplicationState::Background: comeToForeground(&url, sourceApplication); break;
    case ApplicationState::Active: openIncomingURL(url, sourceApplication); break;
    case ApplicationState::Inactive:
        // Not launched yet, or coming to the front right now.
        if (m_launched)
            openIncomingURL(url, sourceApplication);
        else
            m_pendingURLs.emplace_back(url, sourceApplication);
        break;
    }
}

std::optional<Error> Application::startReceivingURLs(const InstalledApp& self)
{
    PF_ASSERT_MAIN_THREAD();
    stopReceivingURLs();
    if (auto error = AppRegistry::registerApp(self))
        return error;
    auto inbox = URLInbox::open(self, [](const IncomingURL& incoming) {
        Application::shared().receiveURL(incoming.url, incoming.sourceApplication);
    });
    if (!inbox)
        return inbox.error();
    m_inbox = std::move(inbox.value());
    m_self = std::make_unique<InstalledApp>(self);
    return std::nullopt;
}

void Application::stopReceivingURLs()
{
    PF_ASSERT_MAIN_THREAD();
    m_inbox.reset();
    m_self.reset();
}

std::string Application::ownBundleIdentifier() const
{
    if (m_self)
        return m_self->bundleIdentifier;
    auto bundle = Bundle::main();
    return bundle ? bundle->infoDictionary()->string("CFBundleIdentifier").value_or("") : std::string();
}

WindowRef Application::keyWindow() const
{
    return Screen::main().keyWindow();
}

bool Application::openIncomingURL(const URL& url, const std::string& sourceApplication)
{
    PF_ASSERT_MAIN_THREAD();
    auto delegate = m_delegate.lock();
    if (!delegate) {
        log("application: no delegate for the URL %s", url.absoluteString().c_str());
        return false;
    }
    return delegate->applicationOpenURL(*this, url, sourceApplication, Value());
}

void Application::registerForRemoteNotificationTypes(int types)
{
    PF_ASSERT_MAIN_THREAD();
    m_remoteTypes = types;
    // The answer always comes later, as from a real push service.
    RunLoop::main().post([token = m_injectedToken] {
        Application& application = Application::shared();
        auto delegate = application.delegate();
        if (!delegate)
            return;
        if (token.empty())
            delegate->applicationDidFailToRegisterForRemoteNotificationsWithError(
                application, Error{"pf::Application", 3010, "remote notifications are not supported"});
        else
            delegate->applicationDidRegisterForRemoteNotificationsWithDeviceToken(application, token);
    });
}

void Application::receiveRemoteNotification(const Value& payload)
{
    PF_ASSERT_MAIN_THREAD();
    if (auto delegate = m_delegate.lock())
        delegate->applicationDidReceiveRemoteNotification(*this, payload);
}

bool Application::canOpenURL(const URL& url) const
{
    return isWebURL(url) || AppRegistry::appForScheme(url.scheme());
}

bool Application::openURL(const URL& url)
{
    PF_ASSERT_MAIN_THREAD();
    auto message = URLInbox::message(url, ownBundleIdentifier());
    if (!message) {
        log("application: refused to open a URL of %zu bytes", url.absoluteString().size());
        return false;
    }
    if (isWebURL(url))
        return m_opener ? m_opener(url) : openWithDesktop(url);
    auto app = AppRegistry::appForScheme(url.scheme());
    if (!app) {
        log("application: refused to open %s: no application answers its scheme", url.absoluteString().c_str());
        return false;
    }
    auto delivery = URLInbox::send(app->bundleIdentifier, *message);
    bool handedOver = delivery == URLInbox::Delivery::Delivered
        || (delivery == URLInbox::Delivery::NotRunning && URLInbox::start(*app, url, ownBundleIdentifier()));
    if (!handedOver) {
        log("application: could not hand %s to %s", url.absoluteString().c_str(), app->bundleIdentifier.c_str());
        return false;
    }
    // The other application is in front now; this one steps back once the
    // caller is done, or before an answer that comes sooner.
    m_stepBackPending = true;
    RunLoop::main().post([] { Application::shared().stepBack(); });
    return true;
}

}
