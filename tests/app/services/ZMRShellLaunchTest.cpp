// The shell as application delegate against a recording bus: which tasks the
// start-up and the return to the foreground send for each stored user, and
// push messages.

#include "ServicesTestSupport.h"

#include "app/services/ZMRShell.h"
#include "framework/core/IKRUIViewController.h"
#include "framework/core/KRJSON.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/PropertyList.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

namespace {

using Types = std::vector<std::string>;

class ShellLaunch : public testing::Test {
protected:
    void SetUp() override
    {
        registerServicesTestClasses();
        busRecord() = &record;
    }
    void TearDown() override
    {
        busRecord() = nullptr;
        pf::Application::shared().setDelegate({});
        if (shell && shell->window())
            shell->window()->setHidden(true);
    }
    void launch()
    {
        auto entry = serviceEntry("TestRecordingService", {"IKRTask"});
        entry->set("inherit", true);
        const char* source = std::getenv("ZMR_SOURCE_DIR");
        std::string resources = std::string(source ? source : ".") + "/resources";
        auto bundle = std::make_shared<pf::Bundle>(resources);
        auto config = busConfig({pf::Value(entry)});
        // The shipped screens and start pages, over the recording bus.
        auto shipped = pf::readPropertyListFile(resources + "/cfg.plist");
        ASSERT_TRUE(shipped && shipped->dictionary());
        for (const char* key : {"ui", "url", "url-anonymous", "url-nick", "url-auth"})
            config->set(key, shipped->dictionary()->get(key));
        shell = ZMRShell::create(config, bundle);
        pf::Application::shared().setDelegate(shell);
        ASSERT_TRUE(pf::Application::shared().launch());
        host.advance(0);
    }
    // The shell's own task types as recorded, in order.
    Types sent() const
    {
        Types types;
        for (const std::string& type : record.types)
            if (type.rfind("IZMR", 0) == 0)
                types.push_back(type);
        return types;
    }
    std::size_t shownAlerts()
    {
        std::size_t count = 0;
        for (const auto& window : host.screen().windows())
            count += window->windowLevel() >= pf::WindowLevel::Alert && !window->isHidden();
        return count;
    }

    TemporaryHome home;
    BusRecord record;
    pf::HeadlessHost host;
    std::shared_ptr<ZMRShell> shell;
};

TEST_F(ShellLaunch, StartUpAndForegroundTasksFollowTheStoredUser)
{
    struct Row {
        pf::Value uid;
        std::optional<std::string> nick;
        Types atLaunch;
        Types inForeground;
        const char* startPage; // the shipped configuration's
    } rows[] = {
        {pf::Value(), std::nullopt, {"IZMRClassifyTask"}, {"IZMRClassifyTask"}, "root:///root/login"},
        {pf::Value(7), std::nullopt, {"IZMRClassifyTask"}, {"IZMRAuthTask", "IZMRConcernTask", "IZMRCoinTask", "IZMRClassifyTask"},
         "root:///root/nick"},
        // The home screen asks for the first page of its feed.
        {pf::Value(7), std::string("小明"), {"IZMRClassifyTask", "IZMRAuthTask", "IZMRConcernTask", "IZMRCoinTask", "IZMRDownlinkTask"},
         {"IZMRAuthTask", "IZMRConcernTask", "IZMRCoinTask", "IZMRClassifyTask"}, "root:///root/fold/center/home"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.nick.value_or(row.uid.description()));
        pf::UserDefaults::standard().setObject(row.uid, "uid");
        pf::UserDefaults::standard().setObject(row.nick ? pf::Value(*row.nick) : pf::Value(), "nick");
        record = {};
        launch();
        EXPECT_EQ(sent(), row.atLaunch);
        auto root = shell->rootViewController();
        auto top = root ? root->topController() : nullptr;
        ASSERT_TRUE(top && top->url());
        EXPECT_EQ(top->url()->absoluteString(), row.startPage);
        record = {};
        host.enterBackground();
        host.enterForeground();
        EXPECT_EQ(sent(), row.inForeground);
        ASSERT_TRUE(shell->window());
        shell->window()->setHidden(true);
    }
}

TEST_F(ShellLaunch, PushMessagesShowTheirTextAndRefreshPointsOnlyForCoin)
{
    launch();
    struct Row {
        const char* payload;
        const char* toast; // nullptr: no toast
        bool refreshes;
    } rows[] = {
        {R"({"aps":{"alert":"积分到账"},"data":{"type":"coin"}})", "积分到账", true},
        {R"({"aps":{"alert":{"body":"十个积分","title":"t"}},"data":{"type":"coin"}})", "十个积分", true},
        {R"({"aps":{"alert":["a"]},"data":{"type":"coin"}})", nullptr, true},
        {R"({"aps":{"alert":"hi"},"data":{"type":"like"}})", nullptr, false},
        {R"({"aps":{"alert":"hi"},"data":"coin"})", nullptr, false},
        {R"(["coin"])", nullptr, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.payload);
        record = {};
        host.receiveRemoteNotification(KRJSON::decodeText(row.payload));
        EXPECT_EQ(shownAlerts(), row.toast ? 1u : 0u);
        if (row.toast) {
            EXPECT_TRUE(host.findViewWithText(row.toast));
        }
        EXPECT_EQ(sent(), row.refreshes ? Types{"IZMRCoinTask"} : Types{});
        host.advance(2); // the toast closes after 1.8 s
        EXPECT_EQ(shownAlerts(), 0u);
    }
}

}
