#include "platform/foundation/Collections.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/UserDefaults.h"

#include <gtest/gtest.h>

#include <optional>
#include <pwd.h>
#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

using namespace pf;

namespace {

class TempHome : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zmr-home-XXXXXX";
        m_home = mkdtemp(pattern);
        setHomeDirectory(m_home);
        UserDefaults::resetStandard();
    }
    void TearDown() override
    {
        UserDefaults::resetStandard();
        std::filesystem::remove_all(m_home);
    }
    std::string m_home;
};

void writeText(const std::string& path, const std::string& text)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << text;
}

}

using UserDefaultsTest = TempHome;

TEST_F(UserDefaultsTest, ValuesSurviveARestartWithTheirKinds)
{
    auto info = Dictionary::create({{"nick", "Bo"}, {"empty", Value::null()}, {"tags", Array::create({1, 2.5, true})}});
    {
        UserDefaults& defaults = UserDefaults::standard();
        defaults.setObject(Value(42LL), "uid");
        defaults.setObject(Value(info), "userInfo");
        defaults.setObject(Value(Date{1400000000.5}), "timestamp");
        defaults.setObject(Value::data(Bytes{0, 1, 255}), "blob");
        defaults.setObject(Value(12345678901234LL), "concernVersion");
        EXPECT_TRUE(defaults.synchronize());
    }
    UserDefaults::resetStandard();
    UserDefaults& again = UserDefaults::standard();
    EXPECT_EQ(again.integerForKey("uid"), 42);
    EXPECT_EQ(again.objectForKey("userInfo"), Value(info));
    EXPECT_TRUE(again.objectForKey("userInfo").dictionary()->get("empty").isNull());
    EXPECT_EQ(again.objectForKey("userInfo").dictionary()->array("tags")->at(2).number()->type, NumberType::Bool);
    EXPECT_EQ(again.objectForKey("timestamp").date()->seconds, 1400000000.5);
    EXPECT_EQ(*again.objectForKey("blob").data(), (Bytes{0, 1, 255}));
    EXPECT_EQ(again.integerForKey("concernVersion"), 12345678901234LL);
    again.removeObjectForKey("uid");
    EXPECT_TRUE(again.objectForKey("uid").isNil());
}

TEST_F(UserDefaultsTest, CorruptFileIsMovedAsideAndTheStoreStartsEmpty)
{
    std::string path = m_home + "/Library/Preferences/defaults.json";
    for (const std::string& text : {std::string("{\"uid\": 4"), std::string("[1,2]"), std::string(100000, '[')}) {
        writeText(path, text);
        ::testing::internal::CaptureStderr();
        UserDefaults defaults(path);
        std::string log = ::testing::internal::GetCapturedStderr();
        EXPECT_TRUE(defaults.objectForKey("uid").isNil());
        EXPECT_NE(log.find("could not be read"), std::string::npos);
        EXPECT_TRUE(fileExists(path + ".corrupt"));
        defaults.setObject("x", "k");
        EXPECT_TRUE(defaults.synchronize());
        EXPECT_EQ(UserDefaults(path).stringForKey("k"), "x");
    }
}

TEST_F(UserDefaultsTest, AnInterruptedWriteLeavesTheOldFileWhole)
{
    std::string path = m_home + "/Library/Preferences/defaults.json";
    {
        UserDefaults defaults(path);
        defaults.setObject("first", "k");
        ASSERT_TRUE(defaults.synchronize());
    }
    // A process that died while writing leaves only its temporary file.
    writeText(path + ".tmp.99999", "{\"k\": \"sec");
    EXPECT_EQ(UserDefaults(path).stringForKey("k"), "first");

    // An unwritable place fails the write and says so.
    UserDefaults nowhere("/proc/zmr-no-such-dir/defaults.json");
    nowhere.setObject("v", "k");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(nowhere.synchronize());
    EXPECT_FALSE(::testing::internal::GetCapturedStderr().empty());
}

TEST(UncaughtException, IsReportedOnceWithItsTypeAndReasonThenTheProcessEnds)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto crash = [] {
        setUncaughtExceptionHandler([](const std::shared_ptr<Exception>& e) {
            std::fprintf(stderr, "handled %s: %s (%zu frames)\n", e->name().c_str(), e->reason().value_or("-").c_str(),
                         e->callStackSymbols().size());
        });
        RunLoop::main().post([] { throw std::out_of_range("index 7"); });
        RunLoop::main().runUntilIdle();
    };
    EXPECT_DEATH(crash(), "handled std::out_of_range: index 7 \\([1-9][0-9]* frames\\)");

    auto queueCrash = [] {
        setUncaughtExceptionHandler([](const std::shared_ptr<Exception>& e) {
            std::fprintf(stderr, "queue %s\n", e->name().c_str());
        });
        auto queue = DispatchQueue::create("crash");
        queue->async([] { throw 5; });
        queue->sync([] {});
    };
    EXPECT_DEATH(queueCrash(), "queue int");
}

TEST(HomeDirectory, FallsBackToTheAccountHomeAndNeverToASharedFolder)
{
    struct Saved {
        const char* name;
        std::optional<std::string> value;
    } saved[] = {{"ZMR_HOME", {}}, {"HOME", {}}};
    for (auto& s : saved)
        if (const char* v = std::getenv(s.name))
            s.value = v;
    struct passwd* account = getpwuid(getuid());
    ASSERT_NE(account, nullptr);
    struct Row {
        const char* zmrHome;
        const char* home;
        std::string expected;
    } rows[] = {
        {"/data/z", "/home/u", "/data/z"},
        {"data/z", "/home/u", std::filesystem::current_path().string() + "/data/z"},
        {"./data/../z", "/home/u", std::filesystem::current_path().string() + "/z"},
        {nullptr, "/home/u", "/home/u/.zomaru"},
        {"", "", std::string(account->pw_dir) + "/.zomaru"},
        {nullptr, nullptr, std::string(account->pw_dir) + "/.zomaru"},
    };
    for (const auto& row : rows) {
        row.zmrHome ? setenv("ZMR_HOME", row.zmrHome, 1) : unsetenv("ZMR_HOME");
        row.home ? setenv("HOME", row.home, 1) : unsetenv("HOME");
        EXPECT_EQ(defaultHomeDirectory(), row.expected);
    }
    for (auto& s : saved)
        s.value ? setenv(s.name, s.value->c_str(), 1) : unsetenv(s.name);
}

TEST(HomeDirectory, PreparingSaysWhenNothingCanBeKept)
{
    std::string saved = homeDirectory();
    std::string base = saved + "/prepare-" + std::to_string(getpid());
    ASSERT_TRUE(createDirectories(base));
    ASSERT_FALSE(writeFileAtomically(base + "/file", "x"));
    struct Row {
        std::string home;
        bool writable;
    } rows[] = {
        {base + "/new/home", true},
        {base + "/file/home", false}, // below a plain file
        {"/proc/zomaru-home", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.home);
        setHomeDirectory(row.home);
        auto failure = prepareHomeDirectory();
        EXPECT_EQ(!failure, row.writable);
        EXPECT_EQ(homeDirectoryIsUnwritable(), !row.writable) << "stores inside say nothing more";
        if (failure)
            EXPECT_NE(failure->description.find(row.home), std::string::npos) << failure->description;
        else
            EXPECT_TRUE(std::filesystem::is_empty(row.home)); // the probe is gone
    }
    setHomeDirectory(saved);
    std::filesystem::remove_all(base);
}
