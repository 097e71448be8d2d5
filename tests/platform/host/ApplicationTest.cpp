// The application's life cycle and outgoing URLs as a program sees them, on
// the headless host.

#include "platform/foundation/ApplicationNotifications.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"

#include <gtest/gtest.h>

using namespace pf;

namespace {

using Events = std::vector<std::string>;

class RecordingDelegate final : public ApplicationDelegate {
public:
    bool applicationDidFinishLaunchingWithOptions(Application&, const Value&) override
    {
        events.push_back("launch");
        return true;
    }
    void applicationWillEnterForeground(Application&) override { events.push_back("foreground"); }
    void applicationDidEnterBackground(Application&) override { events.push_back("background"); }
    void applicationDidFailToRegisterForRemoteNotificationsWithError(Application&, const Error&) override
    {
        events.push_back("no token");
    }
    Events events;
};

TEST(ApplicationLife, StateChangesReachDelegateAndObserversOnlyWhenTheyHappen)
{
    HeadlessHost host;
    auto delegate = std::make_shared<RecordingDelegate>();
    Application& application = Application::shared();
    application.setDelegate(delegate);
    for (const char* name : {ApplicationWillResignActiveNotification, ApplicationDidEnterBackgroundNotification,
                             ApplicationWillEnterForegroundNotification, ApplicationDidBecomeActiveNotification})
        NotificationCenter::defaultCenter().addObserver(name, delegate,
                                                        [&, name](const Notification&) { delegate->events.push_back(name); });
    struct Row {
        const char* step;
        std::function<void()> act;
        Events expected;
    } rows[] = {
        {"launch", [&] { application.launch(); }, {"launch", ApplicationDidBecomeActiveNotification}},
        {"foreground while active", [&] { host.enterForeground(); }, {}},
        {"background", [&] { host.enterBackground(); },
         {ApplicationWillResignActiveNotification, "background", ApplicationDidEnterBackgroundNotification}},
        {"background again", [&] { host.enterBackground(); }, {}},
        {"foreground", [&] { host.enterForeground(); },
         {ApplicationWillEnterForegroundNotification, "foreground", ApplicationDidBecomeActiveNotification}},
        // Linux has no push service: the failure comes on a later turn.
        {"push registration", [&] { application.registerForRemoteNotificationTypes(RemoteNotificationType::Alert); }, {}},
        {"next turn", [&] { host.advance(0); }, {"no token"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.step);
        row.act();
        EXPECT_EQ(std::exchange(delegate->events, {}), row.expected);
    }
    host.enterBackground();
    NotificationCenter::defaultCenter().removeObserver(delegate.get());
    application.setDelegate({});
}

TEST(ApplicationLife, OnlyWebURLsGoToTheDesktopOpener)
{
    HeadlessHost host;
    struct Row {
        const char* url;
        bool opens;
    } rows[] = {
        {"http://example.com/a?b=1", true}, {"HTTPS://example.com/", true}, {"file:///etc/passwd", false},
        {"javascript:alert(1)", false},      {"tel:10086", false},           {"ftp://example.com/x", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        auto url = URL::create(row.url);
        ASSERT_TRUE(url);
        std::size_t before = host.openedURLs().size();
        EXPECT_EQ(Application::shared().openURL(*url), row.opens);
        EXPECT_EQ(host.openedURLs().size(), before + (row.opens ? 1 : 0));
    }
}

}
