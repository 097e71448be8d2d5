#include "platform/foundation/AppRegistry.h"
#include "platform/foundation/ApplicationNotifications.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URLInbox.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace pf;

namespace {

class Recorder final : public ApplicationDelegate {
public:
    bool applicationDidFinishLaunchingWithOptions(Application&, const Value&) override
    {
        steps.push_back("launched");
        return true;
    }
    void applicationWillEnterForeground(Application&) override { steps.push_back("delegate: will-enter-foreground"); }
    bool applicationOpenURL(Application& application, const URL& url, const std::string& source, const Value&) override
    {
        steps.push_back("open " + url.absoluteString() + " from " + source
                        + (application.applicationState() == ApplicationState::Active ? " (active)" : ""));
        return true;
    }
    std::vector<std::string> steps;
};

// A device folder of its own, and a recorder of the delegate calls and
// life-cycle notifications.
class AppSwitch : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zmr-switch-XXXXXX";
        m_root = mkdtemp(pattern);
        setenv("ZMR_DEVICE_DIR", (m_root + "/device").c_str(), 1);
        recorder = std::make_shared<Recorder>();
        Application::shared().setDelegate(recorder);
        const std::pair<const char*, const char*> names[] = {
            {ApplicationWillResignActiveNotification, "will-resign-active"},
            {ApplicationDidEnterBackgroundNotification, "did-enter-background"},
            {ApplicationWillEnterForegroundNotification, "will-enter-foreground"},
            {ApplicationDidBecomeActiveNotification, "did-become-active"},
        };
        for (const auto& [name, step] : names)
            NotificationCenter::defaultCenter().addObserver(name, m_owner, [this, step = step](const Notification&) {
                recorder->steps.push_back(step);
            });
    }
    void TearDown() override
    {
        Application::shared().stopReceivingURLs();
        RunLoop::main().runUntilIdle();
        Application::shared().setDelegate({});
        unsetenv("ZMR_DEVICE_DIR");
        std::filesystem::remove_all(m_root);
    }
    // Leaves the application active, whatever an earlier test left it in.
    void makeActive()
    {
        Application::shared().launch();
        RunLoop::main().runUntilIdle();
        recorder->steps.clear();
    }
    std::shared_ptr<Recorder> recorder;
    std::shared_ptr<int> m_owner = std::make_shared<int>(0);
    std::string m_root;
};

// A peer program with a pipe on its standard input (closed to end it) and
// one on its standard output, read line by line.
class PeerProcess {
public:
    explicit PeerProcess(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), ZMR_APP_SWITCH_PEER);
        int input[2], output[2];
        if (pipe(input) != 0 || pipe(output) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        for (int fd : {input[0], input[1], output[0], output[1]})
            posix_spawn_file_actions_addclose(&actions, fd);
        std::vector<char*> argv;
        for (auto& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(input[0]);
        close(output[1]);
        m_input = input[1];
        m_output = output[0];
    }
    ~PeerProcess()
    {
        end();
        if (m_output >= 0)
            close(m_output);
    }
    // Waits (at most 30 s) until a line equal to `line` has come.
    bool waitFor(const std::string& line)
    {
        return waitUntil([&] { return std::find(m_lines.begin(), m_lines.end(), line) != m_lines.end(); });
    }
    // Waits (at most 30 s) until `condition` holds, reading lines meanwhile.
    bool waitUntil(const std::function<bool()>& condition)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        for (;;) {
            if (condition())
                return true;
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || m_output < 0)
                return false;
            pollfd fd{m_output, POLLIN, 0};
            if (poll(&fd, 1, static_cast<int>(left.count())) <= 0)
                continue;
            char buffer[4096];
            ssize_t n = read(m_output, buffer, sizeof buffer);
            if (n <= 0) {
                close(m_output);
                m_output = -1;
                continue;
            }
            m_pending.append(buffer, static_cast<std::size_t>(n));
            for (std::size_t end; (end = m_pending.find('\n')) != std::string::npos; m_pending.erase(0, end + 1))
                m_lines.push_back(m_pending.substr(0, end));
        }
    }
    // The lines that came so far whose text starts with `prefix`, without it.
    std::vector<std::string> linesOf(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const auto& line : m_lines)
            if (line.compare(0, prefix.size(), prefix) == 0)
                out.push_back(line.substr(prefix.size()));
        return out;
    }
    // Closes its input, which ends it (and any peer it started), and reaps it.
    void end()
    {
        if (m_input >= 0)
            close(m_input);
        m_input = -1;
        if (m_pid > 0) {
            int status = 0;
            while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
            }
            m_pid = -1;
        }
    }

private:
    pid_t m_pid = -1;
    int m_input = -1, m_output = -1;
    std::string m_pending;
    std::vector<std::string> m_lines;
};

std::vector<std::string> after(const std::vector<std::string>& steps, const std::string& first)
{
    auto start = std::find(steps.begin(), steps.end(), first);
    return {start, steps.end()};
}

std::vector<std::string> firstOf(std::vector<std::string> steps, std::size_t count)
{
    steps.resize(std::min(count, steps.size()));
    return steps;
}

}

TEST_F(AppSwitch, IncomingURLsComeBetweenForegroundAndActiveInEveryState)
{
    Application& application = Application::shared();
    auto options = Value(Dictionary::create({{LaunchOptionsURLKey, "a://launch"}, {LaunchOptionsSourceApplicationKey, "com.example.b"}}));
    ASSERT_TRUE(application.launch(options));
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(recorder->steps, (std::vector<std::string>{"launched", "open a://launch from com.example.b", "did-become-active"}));

    recorder->steps.clear();
    application.receiveURL(*URL::create("a://while-active"), "com.example.b");
    application.enterBackground();
    application.receiveURL(*URL::create("a://y"), "com.example.b");
    application.enterBackground();
    application.enterForeground(); // a window that regains focus
    EXPECT_EQ(recorder->steps, (std::vector<std::string>{
                                   "open a://while-active from com.example.b (active)",
                                   "will-resign-active",
                                   "did-enter-background",
                                   "will-enter-foreground",
                                   "delegate: will-enter-foreground",
                                   "open a://y from com.example.b",
                                   "did-become-active",
                                   "will-resign-active",
                                   "did-enter-background",
                                   "will-enter-foreground",
                                   "delegate: will-enter-foreground",
                                   "did-become-active",
                               }));
}

TEST_F(AppSwitch, SchemesOpenThroughTheRegistryAndTheSenderStepsBack)
{
    makeActive();
    Application& application = Application::shared();
    ASSERT_FALSE(application.startReceivingURLs({"com.example.a", {"a"}, {"/bin/true"}}));
    ASSERT_FALSE(AppRegistry::registerApp({"com.example.sleeper", {"mzzopensdkapiV2"}, {"/bin/true"}}));

    struct Row {
        const char* url;
        bool canOpen;
    } rows[] = {
        {"mzzopensdkapiV2://zzapp", true}, {"MZZOPENSDKAPIV2://", true}, {"mzzOpensdkSSoLogin://zzapp", false},
        {"https://example.com/", true}, {"A://y", true}, {"nobody://x", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(application.canOpenURL(*URL::create(row.url)), row.canOpen) << row.url;

    EXPECT_FALSE(application.openURL(*URL::create("nobody://x")));
    EXPECT_FALSE(application.openURL(*URL::create("a://x/" + std::string(URLInbox::kMaxURLLength, 'y'))));
    RunLoop::main().runUntilIdle();
    EXPECT_TRUE(recorder->steps.empty()) << "refusals leave the application in front";

    // To itself through its own socket: out, then back in with the URL.
    ASSERT_TRUE(application.openURL(*URL::create("a://y?z=1")));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return !after(recorder->steps, "did-become-active").empty(); }, Seconds(20)));
    EXPECT_EQ(recorder->steps, (std::vector<std::string>{"will-resign-active", "did-enter-background", "will-enter-foreground",
                                                         "delegate: will-enter-foreground", "open a://y?z=1 from com.example.a",
                                                         "did-become-active"}));
    // A program that is not running is started (here one that ends at once).
    recorder->steps.clear();
    EXPECT_TRUE(application.openURL(*URL::create("mzzopensdkapiV2://zzapp")));
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(recorder->steps, (std::vector<std::string>{"will-resign-active", "did-enter-background"}));
}

TEST(AppSwitchProcesses, TwoApplicationsSwitchByURLAndBack)
{
    char pattern[] = "/tmp/zmr-peers-XXXXXX";
    std::string root = mkdtemp(pattern);
    setenv("ZMR_DEVICE_DIR", (root + "/device").c_str(), 1);
    {
        // B runs already: the URL reaches it through its socket.
        PeerProcess b({"--id", "com.example.b", "--scheme", "peer", "--answer", "a://y"});
        ASSERT_TRUE(b.waitFor("com.example.b: did-become-active"));
        PeerProcess a({"--id", "com.example.a", "--scheme", "a", "--open", "peer://x"});
        ASSERT_TRUE(b.waitFor("com.example.b: answered a://y"));
        ASSERT_TRUE(a.waitUntil([&] { return after(a.linesOf("com.example.a: "), "opened peer://x").size() >= 6; }));
        EXPECT_EQ(firstOf(b.linesOf("com.example.b: "), 4),
                  (std::vector<std::string>{"launched", "did-become-active", "open peer://x from com.example.a", "answered a://y"}));
        EXPECT_EQ(after(a.linesOf("com.example.a: "), "opened peer://x"),
                  (std::vector<std::string>{"opened peer://x", "will-resign-active", "did-enter-background", "will-enter-foreground",
                                            "open a://y from com.example.b", "did-become-active"}));
        a.end();
        b.end();
        EXPECT_TRUE(b.waitFor("com.example.b: ended"));
    }
    {
        // B is installed but not running: A starts it with the URL, and B's
        // lines come through A's output, which it inherits.
        PeerProcess a({"--id", "com.example.a", "--scheme", "a", "--open", "peer://x"});
        ASSERT_TRUE(a.waitFor("com.example.b: answered a://y"));
        ASSERT_TRUE(a.waitUntil([&] { return after(a.linesOf("com.example.a: "), "opened peer://x").size() >= 6; }));
        EXPECT_EQ(after(a.linesOf("com.example.a: "), "opened peer://x"),
                  (std::vector<std::string>{"opened peer://x", "will-resign-active", "did-enter-background", "will-enter-foreground",
                                            "open a://y from com.example.b", "did-become-active"}));
        EXPECT_EQ(firstOf(a.linesOf("com.example.b: "), 4),
                  (std::vector<std::string>{"launched", "open peer://x from com.example.a", "did-become-active", "answered a://y"}));
        a.end();
        // B ends when its inherited input closes; its socket goes with it.
        ASSERT_TRUE(a.waitFor("com.example.b: ended"));
    }
    unsetenv("ZMR_DEVICE_DIR");
    std::filesystem::remove_all(root);
}
