#pragma once

// The running application: its life cycle (launch, foreground, background,
// memory warnings) told to the delegate and posted as notifications, push
// registration and messages, URLs coming in from other programs and going
// out to the desktop's opener, and the status bar.
//
// Linux has no push service: registration fails unless a device token was
// injected (tests), and messages come in through receiveRemoteNotification()
// (the headless host). Outgoing URLs: http and https go to the opener
// (`xdg-open`, started with an argument vector, never a shell; hosts and
// tests install their own); other schemes go to the application that
// answers them in the installed-app registry (AppRegistry.h): to its
// socket when it runs, else by starting it (URLInbox.h). After a hand-over
// this application goes to the background on a later turn of the loop.
//
// URLs from other applications (receiveURL) bring this one to the front:
// will-enter-foreground, openIncomingURL, did-become-active, in that order;
// an active application only gets openIncomingURL, and one that has not
// launched yet gets it after launching, before it becomes active.
//
// The status bar is a window of its own at the status-bar level, 20 points
// high across the top of the screen, taking no touches; it shows the time
// and follows the minute. Under a manual clock it shows that clock's
// seconds as the time of day ("12:00" as the clock starts, so that pictures
// are stable, and later as the test moves the clock). It is shown
// with the first root view controller and whenever it is not hidden. Root
// views of windows start below it unless their controller wants full-screen
// layout or the bar is hidden.
//
// Main thread only.

#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Forward.h"

#include "platform/foundation/Error.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pf {

// Posted (object: none) by simulateMemoryWarning() before the controllers hear of it.
extern const char* const MemoryWarningNotification;
// Launch options of a program started to open a URL: the URL's text and
// the bundle id of the application that sent it.
extern const char* const LaunchOptionsURLKey;
extern const char* const LaunchOptionsSourceApplicationKey;

class ApplicationDelegate;
struct InstalledApp;
class URLInbox;

// Flags of registerForRemoteNotificationTypes.
namespace RemoteNotificationType {
constexpr int Badge = 1;
constexpr int Sound = 2;
constexpr int Alert = 4;
}

enum class ApplicationState { Inactive, Active, Background };

class Application {
public:
    static Application& shared();

    std::shared_ptr<ApplicationDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(std::weak_ptr<ApplicationDelegate> delegate) { m_delegate = std::move(delegate); }
    ApplicationState applicationState() const { return m_state; }

    // Tells the delegate the program launched and, when it answers true,
    // hands it the URL of the launch options and any that came meanwhile,
    // then becomes active (ApplicationDidBecomeActiveNotification). Answers
    // the delegate's verdict; false without a delegate.
    bool launch(const Value& options = {});
    // Posts ApplicationWillResignActiveNotification, tells the delegate and
    // posts ApplicationDidEnterBackgroundNotification. Only when active.
    void enterBackground();
    // Posts ApplicationWillEnterForegroundNotification, tells the delegate
    // (inactive meanwhile), posts ApplicationDidBecomeActiveNotification.
    // Only from the background.
    void enterForeground();
    // The screen's key window, or null.
    WindowRef keyWindow() const;

    // The phone's back (the desktop's Escape key): a window at the alert
    // level (an alert, an action sheet), which lies over the keyboard,
    // answers first (its cancel button, or it keeps waiting); else the key
    // window's text control gives up its focus, so the keyboard goes; else,
    // window by window from the front, a top view and then the window
    // itself that takes back (a page window) closes; else the delegate goes
    // back a screen. Answers whether anything was done.
    bool goBack();

    // A URL from another program; answers whether the delegate took it.
    bool openIncomingURL(const URL& url, const std::string& sourceApplication = {});
    // A URL another application sent: brings this one to the front around
    // openIncomingURL (see above).
    void receiveURL(const URL& url, const std::string& sourceApplication);

    // Writes this application's registry entry and listens for URLs sent to
    // it until stopReceivingURLs(); its bundle id becomes the source of the
    // URLs it opens. An error when the registry or the socket is refused.
    std::optional<Error> startReceivingURLs(const InstalledApp& self);
    void stopReceivingURLs();

    // The delegate hears of the outcome on a later turn of the main loop:
    // the injected device token, else a failure.
    void registerForRemoteNotificationTypes(int types);
    int enabledRemoteNotificationTypes() const { return m_remoteTypes; }
    // The token later registrations receive; empty makes them fail again.
    void injectDeviceToken(std::vector<std::uint8_t> token) { m_injectedToken = std::move(token); }
    // A push message as it arrives: handed to the delegate at once.
    void receiveRemoteNotification(const Value& payload);

    // http and https, and any scheme an installed application answers
    // (ignoring case; only the scheme counts).
    bool canOpenURL(const URL& url) const;
    // False, with a log line, for a URL over URLInbox::kMaxURLLength, a
    // scheme nobody answers or a hand-over that failed.
    bool openURL(const URL& url);
    // Null restores the desktop opener.
    using URLOpener = std::function<bool(const URL&)>;
    void setURLOpener(URLOpener opener) { m_opener = std::move(opener); }

    // (0, 0, screen width, 20); empty while the bar is hidden.
    Rect statusBarFrame() const;
    bool isStatusBarHidden() const { return m_statusBarHidden; }
    void setStatusBarHidden(bool hidden);
    // The bar's window, made and shown on the first call unless hidden.
    WindowRef statusBarWindow();
    // The clock text the status bar shows.
    std::string statusBarTime() const;
    // The interface orientation the status bar follows (InterfaceOrientation
    // numbers): portrait on our hosts; tests may set another.
    int statusBarOrientation() const { return m_statusBarOrientation; }
    void setStatusBarOrientation(int orientation) { m_statusBarOrientation = orientation; }
    // How long the status bar takes to turn to a new orientation.
    double statusBarOrientationAnimationDuration() const { return 0.3; }
    // The device's orientation (DeviceOrientation numbers, Device.h):
    // portrait until a host or test turns it. Turning it to an upright one
    // that the topmost controller of the key window allows turns the status
    // bar with it (our hosts rotate nothing else); then
    // DeviceOrientationDidChangeNotification is posted, when it changed.
    int deviceOrientation() const { return m_deviceOrientation; }
    void setDeviceOrientation(int orientation);

    // Posts MemoryWarningNotification, tells the delegate, then sends
    // didReceiveMemoryWarning() to every live view controller.
    void simulateMemoryWarning();

    // Where the root view of `controller` goes in `window`.
    Rect contentFrame(const Window& window, const ViewController& controller) const;

    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

private:
    Application();
    ~Application();
    void comeToForeground(const URL* url, const std::string& sourceApplication);
    // Goes to the background if a hand-over asked for it and it has not happened yet.
    void stepBack();
    std::string ownBundleIdentifier() const;
    std::weak_ptr<ApplicationDelegate> m_delegate;
    ApplicationState m_state = ApplicationState::Inactive;
    int m_remoteTypes = 0;
    std::vector<std::uint8_t> m_injectedToken;
    URLOpener m_opener;
    WindowRef m_statusBar;
    bool m_statusBarHidden = false;
    int m_statusBarOrientation = 1;
    int m_deviceOrientation = 1;
    bool m_launched = false;
    bool m_stepBackPending = false;
    std::unique_ptr<InstalledApp> m_self;
    std::unique_ptr<URLInbox> m_inbox;
    // URLs that came before launch, with their senders.
    std::vector<std::pair<URL, std::string>> m_pendingURLs;
};

}
