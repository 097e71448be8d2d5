#pragma once

// What the application object tells the program about its life: launch,
// foreground and background, memory warnings, push registration and push
// messages, and URLs handed in by other programs. Every callback has a
// do-nothing default. Main thread only; the application holds its delegate
// weakly, so whoever starts the application keeps it.

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"
#include "platform/ui/Forward.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pf {

class Application;

class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;

    // Answers whether the launch succeeded; `options` is a dictionary or nil.
    virtual bool applicationDidFinishLaunchingWithOptions(Application&, const Value& options)
    {
        (void)options;
        return true;
    }
    virtual void applicationWillEnterForeground(Application&) {}
    virtual void applicationDidEnterBackground(Application&) {}
    virtual void applicationDidReceiveMemoryWarning(Application&) {}

    virtual void applicationDidRegisterForRemoteNotificationsWithDeviceToken(Application&,
                                                                             const std::vector<std::uint8_t>& token)
    {
        (void)token;
    }
    virtual void applicationDidFailToRegisterForRemoteNotificationsWithError(Application&, const Error& error)
    {
        (void)error;
    }
    // `payload` is whatever the sender put in the message: any value.
    virtual void applicationDidReceiveRemoteNotification(Application&, const Value& payload) { (void)payload; }

    // A URL handed in by another program; answers whether it was taken.
    virtual bool applicationHandleOpenURL(Application&, const URL& url)
    {
        (void)url;
        return false;
    }
    virtual bool applicationOpenURL(Application&, const URL& url, const std::string& sourceApplication,
                                    const Value& annotation)
    {
        (void)url;
        (void)sourceApplication;
        (void)annotation;
        return false;
    }

    // Opens `url` in the program's own root screen (the command line's
    // --url). Answers why it was refused, or nothing when it opened; by
    // default nothing opens.
    virtual std::optional<std::string> applicationOpenRootURL(Application&, const URL& url)
    {
        (void)url;
        return std::string("the program has no screens to open URLs in");
    }
    // The phone's back (the desktop's Escape) found no keyboard, sheet or
    // alert to close: the program goes back a screen as its back controls
    // do. Answers whether anything went back; by default nothing does.
    virtual bool applicationGoBack(Application&) { return false; }
    // The program's test for "start-up has settled" (pictures wait for it).
    virtual bool applicationIsReady(Application&) { return true; }
};

}
