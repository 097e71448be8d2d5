// The application's life cycle, push and URL operations; the status bar is
// in Application.cpp.

#include "platform/foundation/ApplicationNotifications.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/Screen.h"
#include "platform/ui/URLOpener.h"

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
    if (!delegate->applicationDidFinishLaunchingWithOptions(*this, options))
        return false;
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
    if (m_state != ApplicationState::Background)
        return;
    post(ApplicationWillEnterForegroundNotification);
    m_state = ApplicationState::Active;
    if (auto delegate = m_delegate.lock())
        delegate->applicationWillEnterForeground(*this);
    post(ApplicationDidBecomeActiveNotification);
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
    return isWebURL(url);
}

bool Application::openURL(const URL& url)
{
    PF_ASSERT_MAIN_THREAD();
    if (!canOpenURL(url)) {
        log("application: refused to open %s: only http and https open outside", url.absoluteString().c_str());
        return false;
    }
    return m_opener ? m_opener(url) : openWithDesktop(url);
}

}
