// The application's life cycle, push registration and outgoing URLs as a
// program sees them through its delegate, on the headless host.

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
    bool applicationDidFinishLaunchingWithOptions(Application&, const Value&) override { return add("launch"); }
    void applicationWillEnterForeground(Application&) override { add("foreground"); }
    void applicationDidEnterBackground(Application&) override { add("background"); }
    void applicationDidReceiveMemoryWarning(Application&) override { add("memory"); }
    void applicationDidRegisterForRemoteNotificationsWithDeviceToken(Application&,
                                                                     const std::vector<std::uint8_t>& token) override
    {
        add("token " + std::to_string(token.size()));
    }
    void applicationDidFailToRegisterForRemoteNotificationsWithError(Application&, const Error&) override
    {
        add("no token");
    }
    bool add(std::string event)
    {
        events.push_back(std::move(event));
        return true;
    }
    Events events;
};

class ApplicationLife : public testing::Test {
protected:
    void SetUp() override
    {
        Application::shared().setDelegate(delegate);
        for (const char* name : {ApplicationWillResignActiveNotification, ApplicationDidEnterBackgroundNotification,
                                 ApplicationWillEnterForegroundNotification, ApplicationDidBecomeActiveNotification,
                                 MemoryWarningNotification})
            NotificationCenter::defaultCenter().addObserver(name, delegate, [this, name](const Notification&) {
                delegate->add(name);
            });
    }
    void TearDown() override
    {
        // Back to a state the next test can launch from.
        host.enterBackground();
        NotificationCenter::defaultCenter().removeObserver(delegate.get());
        Application::shared().setDelegate({});
    }
    Events take() { return std::exchange(delegate->events, {}); }

    HeadlessHost host;
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
};

TEST_F(ApplicationLife, StateChangesReachDelegateAndObserversOnlyWhenTheyHappen)
{
    struct Row {
        const char* step;
        std::function<void()> act;
        Events expected;
    } rows[] = {
        {"launch", [] { Application::shared().launch(); }, {"launch", ApplicationDidBecomeActiveNotification}},
        {"foreground while active", [&] { host.enterForeground(); }, {}},
        {"background",
         [&] { host.enterBackground(); },
         {ApplicationWillResignActiveNotification, "background", ApplicationDidEnterBackgroundNotification}},
        {"background again", [&] { host.enterBackground(); }, {}},
        {"foreground",
         [&] { host.enterForeground(); },
         {ApplicationWillEnterForegroundNotification, "foreground", ApplicationDidBecomeActiveNotification}},
        {"memory warning", [&] { host.memoryWarning(); }, {MemoryWarningNotification, "memory"}},
    };
    take();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.step);
        row.act();
        EXPECT_EQ(take(), row.expected);
    }
}

TEST_F(ApplicationLife, PushRegistrationAnswersLaterAndFailsWithoutInjectedToken)
{
    auto& application = Application::shared();
    application.launch();
    take();
    application.registerForRemoteNotificationTypes(RemoteNotificationType::Alert);
    EXPECT_EQ(take(), Events{}); // never inside the call
    host.advance(0);
    EXPECT_EQ(take(), Events{"no token"});
    application.injectDeviceToken({1, 2, 3});
    application.registerForRemoteNotificationTypes(RemoteNotificationType::Alert);
    application.injectDeviceToken({});
    host.advance(0);
    EXPECT_EQ(take(), Events{"token 3"});
}

TEST_F(ApplicationLife, OnlyWebURLsGoToTheDesktopOpener)
{
    struct Row {
        const char* url;
        bool opens;
    } rows[] = {
        {"http://example.com/a?b=1", true},
        {"HTTPS://example.com/", true},
        {"file:///etc/passwd", false},
        {"javascript:alert(1)", false},
        {"tel:10086", false},
        {"zmr://home/feeds", false},
        {"ftp://example.com/x", false},
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
