#include "platform/foundation/AppRegistry.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URLInbox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <chrono>
#include <poll.h>
#include <thread>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace pf;

namespace {

// Each test its own device folder, as the registry and sockets live there.
class AppSwitching : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zmr-apps-XXXXXX";
        m_root = mkdtemp(pattern);
        m_device = m_root + "/device";
        setenv("ZMR_DEVICE_DIR", m_device.c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("ZMR_DEVICE_DIR");
        std::filesystem::remove_all(m_root);
    }
    static InstalledApp app(const std::string& id, std::vector<std::string> schemes)
    {
        return {id, std::move(schemes), {"/bin/true", "--flag", "two words"}};
    }
    std::string entryPath(const std::string& id) const { return m_device + "/apps/" + id + ".json"; }
    std::string m_root, m_device;
};

}

TEST_F(AppSwitching, EntriesAnswerTheirSchemesIgnoringCase)
{
    auto info = Dictionary::create({
        {"CFBundleIdentifier", "com.example.zz"},
        {"CFBundleURLTypes",
         Array::create({Dictionary::create({{"CFBundleURLSchemes", Array::create({"mzzOpensdkSSoLogin", "mzz", "bad scheme"})}}),
                        Dictionary::create({{"CFBundleURLName", "no schemes"}}), "not a dictionary"})},
    });
    auto zz = InstalledApp::fromInfoDictionary(*info, {"/bin/true"});
    EXPECT_EQ(zz.urlSchemes, (std::vector<std::string>{"mzzOpensdkSSoLogin", "mzz"}));
    ASSERT_FALSE(AppRegistry::registerApp(zz));
    ASSERT_FALSE(AppRegistry::registerApp(app("com.example.plaza", {"mplazaopensdkapiV2"})));

    struct stat st;
    ASSERT_EQ(stat(m_device.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(stat((m_device + "/apps").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    struct Row {
        const char* scheme;
        const char* app;
    } rows[] = {
        {"mzzopensdkssologin", "com.example.zz"}, {"MZZ", "com.example.zz"},
        {"mplazaopensdkapiv2", "com.example.plaza"}, {"mzzopensdkapiV2", nullptr}, {"", nullptr},
    };
    for (const auto& row : rows) {
        auto found = AppRegistry::appForScheme(row.scheme);
        EXPECT_EQ(found ? found->bundleIdentifier : std::string(), row.app ? row.app : "") << row.scheme;
    }
    auto plaza = AppRegistry::appForScheme("mplazaopensdkapiV2");
    ASSERT_TRUE(plaza);
    EXPECT_EQ(plaza->command, (std::vector<std::string>{"/bin/true", "--flag", "two words"}));

    const InstalledApp refused[] = {
        app("", {"a"}), app("../escape", {"a"}), app(".hidden", {"a"}), app("com.example.x", {"1digit"}),
        {"com.example.x", {"a"}, {}}, {"com.example.x", {"a"}, {"relative/program"}},
    };
    for (const auto& bad : refused)
        EXPECT_TRUE(AppRegistry::registerApp(bad)) << bad.bundleIdentifier;
}

TEST_F(AppSwitching, EntriesThatCannotBeTrustedAreSkipped)
{
    ASSERT_FALSE(AppRegistry::registerApp(app("com.example.good", {"good"})));
    struct Row {
        const char* id;
        std::string text;
        mode_t mode;
    } rows[] = {
        {"com.example.writable", R"({"bundleIdentifier":"com.example.writable","urlSchemes":["w"],"command":["/bin/true"]})", 0666},
        {"com.example.groupw", R"({"bundleIdentifier":"com.example.groupw","urlSchemes":["g"],"command":["/bin/true"]})", 0620},
        {"com.example.missing", R"({"bundleIdentifier":"com.example.missing","urlSchemes":["m"],"command":["/nowhere/prog"]})", 0600},
        {"com.example.liar", R"({"bundleIdentifier":"com.example.good","urlSchemes":["l"],"command":["/bin/true"]})", 0600},
        {"com.example.shapes", R"({"bundleIdentifier":"com.example.shapes","urlSchemes":"s","command":["/bin/true"]})", 0600},
        {"com.example.junk", "{not json", 0600},
        {"com.example.huge", std::string(AppRegistry::kMaxEntrySize + 1, ' '), 0600},
    };
    for (const auto& row : rows) {
        std::ofstream(entryPath(row.id)) << row.text;
        chmod(entryPath(row.id).c_str(), row.mode);
    }
    // A program others may rewrite could be made anything.
    std::string program = m_root + "/program";
    std::filesystem::copy_file("/bin/true", program);
    for (auto [id, mode] : {std::pair{"com.example.gwprog", 0775}, std::pair{"com.example.owprog", 0757}}) {
        std::ofstream(entryPath(id)) << R"({"bundleIdentifier":")" << id << R"(","urlSchemes":["p"],"command":[")"
                                     << program << R"("]})";
        chmod(entryPath(id).c_str(), 0600);
        chmod(program.c_str(), mode_t(mode));
    }
    // A link to a good entry is not an entry either.
    std::filesystem::create_symlink(entryPath("com.example.good"), entryPath("com.example.link"));

    auto apps = AppRegistry::installedApps();
    ASSERT_EQ(apps.size(), 1u);
    EXPECT_EQ(apps[0].bundleIdentifier, "com.example.good");
    for (const char* scheme : {"w", "g", "m", "l", "s", "p"})
        EXPECT_FALSE(AppRegistry::appForScheme(scheme)) << scheme;
}

TEST_F(AppSwitching, ADeviceFolderOpenToOthersRefusesTheRegistry)
{
    // Folders of ours that others may only read are narrowed, not refused.
    createDirectories(m_device + "/apps");
    chmod(m_device.c_str(), 0755);
    chmod((m_device + "/apps").c_str(), 0751);
    ASSERT_TRUE(AppRegistry::directory().ok());
    struct stat st;
    for (const std::string& dir : {m_device, m_device + "/apps"}) {
        ASSERT_EQ(stat(dir.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u) << dir;
    }

    setLogLevel(LogLevel::Error);
    testing::internal::CaptureStderr();
    chmod(m_device.c_str(), 0777);
    EXPECT_FALSE(AppRegistry::directory().ok());
    EXPECT_TRUE(AppRegistry::registerApp(app("com.example.good", {"good"})));
    EXPECT_TRUE(AppRegistry::installedApps().empty());
    chmod(m_device.c_str(), 0700);
    chmod((m_device + "/apps").c_str(), 0757);
    EXPECT_FALSE(AppRegistry::directory().ok());
    std::string said = testing::internal::GetCapturedStderr();
    setLogLevel(LogLevel::Info);
    auto first = said.find("app registry is refused");
    EXPECT_NE(first, std::string::npos) << said;
    EXPECT_EQ(said.find("app registry is refused", first + 1), std::string::npos) << "said more than once: " << said;
}

TEST_F(AppSwitching, MessagesAreReadStrictly)
{
    auto receiver = app("com.example.receiver", {"peer", "corvana101"});
    const std::string big(URLInbox::kMaxURLLength, 'a');
    struct Row {
        std::string message;
        bool taken;
    } rows[] = {
        {R"({"url":"peer://x","source":"com.example.sender"})" "\n", true},
        {R"({"source":"","url":"PEER://host/p?q=1#f"})" "\n", true},
        {R"({"url":"corvana101://pzapp/a/b/0?generalpastboard=1","source":"s"})" "\n", true},
        {R"({"url":"peer://x","source":"com.example.sender"})", false},            // no line end
        {R"({"url":"peer://x","source":"a"})" "\n\n", false},                       // two lines
        {R"({"url":"peer://x"})" "\n", false},                                      // no source
        {R"({"url":"peer://x","source":"a","extra":1})" "\n", false},
        {R"({"url":"peer://x","url":"peer://y","source":"a"})" "\n", false},        // a key twice
        {R"({"url":["peer://x"],"source":"a"})" "\n", false},
        {R"({"url":"peer://x","source":{"a":1}})" "\n", false},
        {R"({"url":"other://x","source":"a"})" "\n", false},                       // not our scheme
        {R"({"url":"peer://has space","source":"a"})" "\n", false},
        {R"({"url":"no scheme","source":"a"})" "\n", false},
        {R"({"url":"peer://h:x1://p","source":"a"})" "\n", false},                // reads back as another URL
        {R"({"url":"peer://x","source":"../../etc"})" "\n", false},
        {"[\"peer://x\",\"a\"]\n", false},
        {"{\"url\":\"peer://\xff\",\"source\":\"a\"}\n", false},
        {"{\"url\":\"peer://x/" + big + "\",\"source\":\"a\"}\n", false},
        {std::string(URLInbox::kMaxMessageSize + 1, ' '), false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(URLInbox::parseMessage(row.message, receiver).has_value(), row.taken) << row.message.substr(0, 80);

    auto sent = URL::create("peer://x/p?a=%22q%22&b='c'");
    ASSERT_TRUE(sent);
    auto text = URLInbox::message(*sent, "com.example.sender");
    ASSERT_TRUE(text);
    auto back = URLInbox::parseMessage(*text, receiver);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->url.absoluteString(), sent->absoluteString());
    EXPECT_EQ(back->sourceApplication, "com.example.sender");
    auto huge = URL::create("peer://x/" + big);
    ASSERT_TRUE(huge);
    EXPECT_FALSE(URLInbox::message(*huge, "s"));
}

TEST_F(AppSwitching, TheInboxDeliversOnTheMainQueueAndReplacesAStaleSocket)
{
    auto receiver = app("com.example.receiver", {"peer"});
    ASSERT_FALSE(AppRegistry::registerApp(receiver));
    auto message = URLInbox::message(*URL::create("peer://x"), "com.example.sender");
    EXPECT_EQ(URLInbox::send(receiver.bundleIdentifier, *message), URLInbox::Delivery::NotRunning);

    // A socket nobody listens on any more, as a crashed process leaves it.
    std::string path = m_device + "/apps/com.example.receiver.socket";
    {
        int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        close(fd);
    }
    EXPECT_EQ(URLInbox::send(receiver.bundleIdentifier, *message), URLInbox::Delivery::NotRunning);

    std::vector<std::string> received;
    auto inbox = URLInbox::open(receiver, [&](const IncomingURL& incoming) {
        EXPECT_TRUE(RunLoop::main().isMainThread());
        received.push_back(incoming.url.absoluteString() + " from " + incoming.sourceApplication);
    });
    ASSERT_TRUE(inbox.ok()) << inbox.error().description;
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_FALSE(URLInbox::open(receiver, [](const IncomingURL&) {}).ok()) << "a second listener while one lives";

    EXPECT_EQ(URLInbox::send(receiver.bundleIdentifier, *message), URLInbox::Delivery::Delivered);
    EXPECT_EQ(URLInbox::send(receiver.bundleIdentifier, "{\"url\":\"other://x\",\"source\":\"a\"}\n"),
              URLInbox::Delivery::Failed);
    EXPECT_TRUE(received.empty()) << "never inside the call that read it";
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return !received.empty(); }, Seconds(5)));
    EXPECT_EQ(received, (std::vector<std::string>{"peer://x from com.example.sender"}));

    inbox.value().reset();
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(URLInbox::send(receiver.bundleIdentifier, *message), URLInbox::Delivery::NotRunning);
}

// A connection to the inbox that sends nothing, or `message` a byte at a
// time until the inbox closes it.
int connectToInbox(const std::string& socketPath)
{
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

TEST_F(AppSwitching, SlowSendersHoldNoOneUpAndAnUnansweredURLNeverArrives)
{
    auto receiver = app("com.example.receiver", {"peer"});
    std::vector<std::string> received;
    auto inbox = URLInbox::open(receiver, [&](const IncomingURL& incoming) { received.push_back(incoming.url.absoluteString()); });
    ASSERT_TRUE(inbox.ok()) << inbox.error().description;
    std::string path = m_device + "/apps/com.example.receiver.socket";

    std::vector<int> silent;
    for (int i = 0; i < 8; ++i) {
        silent.push_back(connectToInbox(path));
        ASSERT_GE(silent.back(), 0);
    }
    // One byte every 100 ms: the whole line would take 3.5 s, longer than
    // any sender waits.
    std::atomic<int> dripped{0};
    std::atomic<bool> dripFinished{false}, dripCut{false};
    std::thread drip([&] {
        int fd = connectToInbox(path);
        std::string line = *URLInbox::message(*URL::create("peer://drip"), "");
        for (char c : line) {
            if (::send(fd, &c, 1, MSG_NOSIGNAL) != 1) {
                dripCut = true;
                break;
            }
            ++dripped;
            poll(nullptr, 0, 100);
        }
        close(fd);
        dripFinished = true;
    });
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return dripped >= 3; }, Seconds(5)));

    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(URLInbox::send(receiver.bundleIdentifier, *URLInbox::message(*URL::create("peer://real"), "")),
              URLInbox::Delivery::Delivered);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1)) << "waited on the slow ones";

    ASSERT_TRUE(RunLoop::main().runUntil([&] { return dripFinished.load(); }, Seconds(10)));
    drip.join();
    EXPECT_TRUE(dripCut) << "the dripping sender was never cut off";
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(received, (std::vector<std::string>{"peer://real"}));
    // Silent ones were closed at their deadline too.
    char byte;
    for (int fd : silent) {
        EXPECT_EQ(recv(fd, &byte, 1, 0), 0);
        close(fd);
    }
}

// Standard error turned into a pipe for the test's life: read line by line,
// or left unread and full, as by a parent that never reads its child's
// errors.
class StandardErrorPipe {
public:
    enum class Reader { Reads, Full };
    explicit StandardErrorPipe(Reader reader)
    {
        int fds[2];
        EXPECT_EQ(pipe(fds), 0);
        m_read = fds[0];
        m_saved = dup(STDERR_FILENO);
        if (reader == Reader::Full) {
            // A description of its own that does not block fills the pipe;
            // the one standard error gets still blocks.
            int filler = open(("/proc/self/fd/" + std::to_string(fds[1])).c_str(), O_WRONLY | O_NONBLOCK);
            std::string chunk(4096, 'x');
            while (write(filler, chunk.data(), chunk.size()) > 0) {
            }
            close(filler);
        }
        dup2(fds[1], STDERR_FILENO);
        close(fds[1]);
        if (reader == Reader::Reads)
            m_thread = std::thread([this] { readLines(); });
    }
    ~StandardErrorPipe()
    {
        dup2(m_saved, STDERR_FILENO);
        close(m_saved);
        // Drains what is left, so a writer still blocked on the pipe goes on.
        if (!m_thread.joinable())
            m_thread = std::thread([this] { readLines(); });
        m_thread.join();
        close(m_read);
    }
    std::vector<std::string> lines()
    {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }

private:
    void readLines()
    {
        std::string pending;
        char buffer[4096];
        for (ssize_t n; (n = read(m_read, buffer, sizeof buffer)) > 0;) {
            pending.append(buffer, size_t(n));
            for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
                std::lock_guard lock(m_mutex);
                m_lines.push_back(pending.substr(0, end));
            }
        }
    }

    int m_read = -1, m_saved = -1;
    std::thread m_thread;
    std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

// Connections that say nothing and close, for `duration`; answers how
// many. Never waits for an inbox that stopped taking them.
int floodInbox(const std::string& socketPath, std::chrono::milliseconds duration)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    int made = 0;
    for (auto end = std::chrono::steady_clock::now() + duration; std::chrono::steady_clock::now() < end;) {
        int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            ++made;
        close(fd);
    }
    return made;
}

TEST_F(AppSwitching, AFloodOfConnectionsIsLoggedOnceASecondAndAFullLogStopsNoDelivery)
{
    auto receiver = app("com.example.receiver", {"peer"});
    std::string path = m_device + "/apps/com.example.receiver.socket";
    std::vector<std::string> received;
    auto take = [&](const IncomingURL& incoming) { received.push_back(incoming.url.absoluteString()); };
    // What the lines say was closed, one for a line without a number.
    auto closedIn = [](const std::string& line) {
        int count = 1;
        std::sscanf(line.c_str(), "URL inbox: closed %d connections", &count);
        return count;
    };
    {
        StandardErrorPipe log(StandardErrorPipe::Reader::Reads);
        auto inbox = URLInbox::open(receiver, take);
        ASSERT_TRUE(inbox.ok()) << inbox.error().description;
        auto started = std::chrono::steady_clock::now();
        int flooded = floodInbox(path, std::chrono::milliseconds(2500));
        ASSERT_GT(flooded, 100);
        auto reported = [&] {
            int closed = 0;
            for (const auto& line : log.lines())
                closed += line.rfind("URL inbox: ", 0) == 0 ? closedIn(line) : 0;
            return closed;
        };
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return reported() >= flooded; }, Seconds(5)));
        EXPECT_EQ(reported(), flooded);
        // A line at the first drop, then at most one a second until all were told.
        auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        EXPECT_LE(log.lines().size(), size_t(seconds) + 1) << flooded << " connections in " << seconds << " s";
    }
    {
        auto inbox = URLInbox::open(receiver, take);
        ASSERT_TRUE(inbox.ok()) << inbox.error().description;
        std::atomic<int> delivery{-1};
        std::thread sender;
        {
            StandardErrorPipe log(StandardErrorPipe::Reader::Full);
            floodInbox(path, std::chrono::milliseconds(300));
            sender = std::thread([&] {
                auto message = URLInbox::message(*URL::create("peer://after"), "");
                delivery = int(URLInbox::send(receiver.bundleIdentifier, *message));
            });
            RunLoop::main().runUntil([&] { return !received.empty(); }, Seconds(5));
        } // the pipe is read to its end: whatever waits on it goes on
        sender.join();
        EXPECT_EQ(delivery, int(URLInbox::Delivery::Delivered));
        EXPECT_EQ(received, (std::vector<std::string>{"peer://after"}));
    }
}

TEST_F(AppSwitching, LongDevicePathsStillCarrySockets)
{
    std::string deep = m_root + "/" + std::string(60, 'd') + "/" + std::string(60, 'e');
    setenv("ZMR_DEVICE_DIR", deep.c_str(), 1);
    auto receiver = app("com.example.receiver", {"peer"});
    bool got = false;
    auto inbox = URLInbox::open(receiver, [&](const IncomingURL&) { got = true; });
    ASSERT_TRUE(inbox.ok()) << inbox.error().description;
    EXPECT_TRUE(std::filesystem::exists(deep + "/apps/com.example.receiver.socket"));
    EXPECT_EQ(URLInbox::send(receiver.bundleIdentifier, *URLInbox::message(*URL::create("peer://x"), "")),
              URLInbox::Delivery::Delivered);
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return got; }, Seconds(5)));
}

TEST(ShippedInfoDictionary, RegistersTheCallbackSchemesOfItsOwnKeys)
{
    const char* source = std::getenv("ZMR_SOURCE_DIR");
    Bundle bundle(std::string(source ? source : ".") + "/resources");
    auto info = bundle.infoDictionary();
    for (const char* key : {"CFBundleIdentifier", "CFBundleDisplayName", "CFBundleShortVersionString"})
        EXPECT_FALSE(info->string(key).value_or("").empty()) << key;
    auto app = InstalledApp::fromInfoDictionary(*info, {});
    EXPECT_TRUE(AppRegistry::isValidBundleIdentifier(app.bundleIdentifier));
    auto entry = [&](const char* group, const char* key) {
        auto dict = info->dictionary(group);
        return dict ? dict->string(key).value_or("") : std::string();
    };
    // The peers answer "corvana" + ZZ app id, "vx" + Voxly app key and the
    // Natter app id itself; the shell routes them by those prefixes.
    const std::string schemes[] = {"corvana" + entry("ZZ", "appid"), "vx" + entry("Voxly", "appkey"), entry("Natter", "appid")};
    for (const auto& scheme : schemes)
        EXPECT_TRUE(app.answersScheme(scheme)) << scheme;
    EXPECT_EQ(entry("Natter", "appid").rfind("nt", 0), 0u);
    EXPECT_TRUE(URL::create(entry("Voxly", "redirectUrl")));
}
