// A program started by another application: its launch options, checked as
// strictly as socket messages, and its registry entry.

#include "platform/foundation/AppRegistry.h"
#include "platform/foundation/URLInbox.h"
#include "platform/host/ApplicationMain.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace pf;

namespace {

class Opened final : public ApplicationDelegate {
public:
    bool applicationOpenURL(Application& application, const URL& url, const std::string& source, const Value&) override
    {
        seen.push_back(url.absoluteString() + " from " + source
                       + (application.applicationState() == ApplicationState::Active ? " (active)" : ""));
        return true;
    }
    std::vector<std::string> seen;
};

TEST(ApplicationMainLaunch, AProgramStartedWithAURLGetsItBeforeBecomingActive)
{
    char pattern[] = "/tmp/zmr-main-XXXXXX";
    std::string root = mkdtemp(pattern);
    setenv("ZMR_DEVICE_DIR", (root + "/device").c_str(), 1);
    const std::string huge = "corvana1://x/" + std::string(URLInbox::kMaxURLLength, 'a');
    struct Row {
        std::vector<std::string> arguments;
        int status;
        std::vector<std::string> seen;
    } rows[] = {
        {{"--open-url", "corvana1://pzapp/a?b=1", "--source-application", "com.example.zz"}, 0,
         {"corvana1://pzapp/a?b=1 from com.example.zz"}},
        {{"--open-url", "vx9://response?id=1"}, 0, {"vx9://response?id=1 from "}},
        {{"--open-url", "not a url", "--source-application", "com.example.zz"}, 2, {}},
        {{"--open-url", "corvana1://x", "--source-application", "../evil"}, 2, {}},
        {{"--open-url", huge}, 2, {}},
        {{"--open-url"}, 2, {}},
    };
    for (const auto& row : rows) {
        auto delegate = std::make_shared<Opened>();
        std::vector<std::string> arguments = {"program", "--headless"};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        std::vector<char*> argv;
        for (auto& argument : arguments)
            argv.push_back(argument.data());
        int status = ApplicationMain(static_cast<int>(argv.size()), argv.data(),
                                     [&](std::vector<std::string>&) { return delegate; });
        EXPECT_EQ(status, row.status) << row.arguments[0];
        EXPECT_EQ(delegate->seen, row.seen);
    }
    // The program wrote its entry from the bundle's information dictionary.
    auto self = AppRegistry::appForScheme("CORVANA101452831");
    ASSERT_TRUE(self);
    EXPECT_EQ(self->bundleIdentifier, "com.zomaru.app");
    EXPECT_FALSE(std::filesystem::exists(root + "/device/apps/com.zomaru.app.socket")) << "removed at the end";
    Application::shared().setDelegate({});
    unsetenv("ZMR_DEVICE_DIR");
    std::filesystem::remove_all(root);
}

TEST(ApplicationMainShot, AShotEndsNonZeroSaysWhyAndWritesNothingForARefusedURLOrAnUnwritableFile)
{
    char pattern[] = "/tmp/zmr-shot-XXXXXX";
    std::string root = mkdtemp(pattern);
    setenv("ZMR_DEVICE_DIR", (root + "/device").c_str(), 1);
    const std::string shot = root + "/shot.png";
    struct Row {
        std::vector<std::string> arguments;
        int status;
        std::string said;
        bool written; // the shot file exists afterwards
    } rows[] = {
        {{"--shot", shot}, 0, "", true},
        // The default delegate takes no URL in its root screen: no picture
        // of some other screen is left behind.
        {{"--shot", shot, "--url", "zomaru:///nosuch"}, 1, "program: no screenshot written", false},
        {{"--headless", "--url", "zomaru:///nosuch"}, 0, "program: --url zomaru:///nosuch: the program has no screens",
         false},
        {{"--shot", root + "/missing/shot.png"}, 1,
         "cannot write the screenshot: " + root + "/missing/shot.png: No such file or directory", false},
    };
    for (const auto& row : rows) {
        std::filesystem::remove(shot);
        auto delegate = std::make_shared<ApplicationDelegate>();
        std::vector<std::string> arguments = {"program"};
        arguments.insert(arguments.end(), row.arguments.begin(), row.arguments.end());
        std::vector<char*> argv;
        for (auto& argument : arguments)
            argv.push_back(argument.data());
        testing::internal::CaptureStderr();
        int status = ApplicationMain(static_cast<int>(argv.size()), argv.data(),
                                     [&](std::vector<std::string>&) { return delegate; });
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(status, row.status) << row.arguments.back();
        EXPECT_NE(said.find(row.said), std::string::npos) << said;
        EXPECT_EQ(std::filesystem::exists(shot), row.written) << row.arguments.back();
    }
    Application::shared().setDelegate({});
    unsetenv("ZMR_DEVICE_DIR");
    std::filesystem::remove_all(root);
}

}
