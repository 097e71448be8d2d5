#include "framework/core/IKRUIViewController.h"
#include "framework/core/KRService.h"
#include "framework/core/KRServiceContainer.h"
#include "framework/core/KRShell.h"
#include "framework/core/KRTask.h"
#include "framework/core/KRTaskTypes.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/PropertyList.h"

#include <gtest/gtest.h>

namespace {

// What the test doubles did, in order.
std::vector<std::string> g_calls;

const pf::Protocol* TestBaseTask() { return pf::Protocol::define("ITestBaseTask", {proto::IKRTask()}); }
const pf::Protocol* TestDerivedTask() { return pf::Protocol::define("ITestDerivedTask", {TestBaseTask()}); }
const pf::Protocol* TestOtherTask() { return pf::Protocol::define("ITestOtherTask", {proto::IKRTask()}); }

// A service that records what it is asked and answers as its configuration says.
class RecordingService : public KRService {
public:
    RecordingService() { g_calls.push_back("create"); }
    bool handle(const pf::Protocol* taskType, const pf::ObjectRef&, int priority) override
    {
        g_calls.push_back(name() + ".handle " + taskType->name() + " " + std::to_string(priority));
        return answer("accept");
    }
    bool cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef&) override
    {
        g_calls.push_back(name() + ".cancel " + taskType->name());
        return answer("accept");
    }
    bool cancelHandleForSource(const pf::Object*) override
    {
        g_calls.push_back(name() + ".cancelSource");
        return answer("acceptSource");
    }
    void didReceiveMemoryWarning() override { g_calls.push_back(name() + ".memory"); }
    void setContext(std::weak_ptr<IKRServiceContext> context) override
    {
        g_calls.push_back(std::string("setContext") + (config() ? " after config" : ""));
        KRService::setContext(std::move(context));
    }

private:
    std::string name() const { return config() ? config()->string("name").value_or("?") : "?"; }
    bool answer(const char* key) const { return config() && config()->get(key).boolValue(); }
};

class NotAService : public pf::Object {};

class TestScreen : public pf::Object, public IKRUIViewController, public IKRNibLoadable {
public:
    void initWithNibName(const std::optional<std::string>& nib, const std::shared_ptr<pf::Bundle>&) override
    {
        g_calls.push_back("nib " + nib.value_or("none"));
    }
    void setContext(std::weak_ptr<IKRUIContext> context) override
    {
        m_context = std::move(context);
        g_calls.push_back("setContext");
    }
    const std::string& alias() const override { return m_alias; }
    void setAlias(const std::string& alias) override
    {
        m_alias = alias;
        g_calls.push_back("setAlias " + alias);
    }
    void setBasePath(const std::string& basePath) override { g_calls.push_back("setBasePath " + basePath); }
    void setScheme(const pf::Value& scheme) override { g_calls.push_back("setScheme " + scheme.description()); }
    void setUrl(const pf::URL& url) override { g_calls.push_back("setUrl " + url.absoluteString()); }
    void setConfig(pf::DictionaryRef config) override
    {
        g_calls.push_back("setConfig " + config->string("title").value_or(""));
    }
    bool isDisplaced() const override { return displaced; }
    std::string loadUrl(const pf::URL& url, const std::string& basePath, bool) override
    {
        g_calls.push_back("loadUrl " + url.absoluteString() + " " + basePath);
        return basePath + m_alias;
    }
    bool openUrl(const pf::URL&, bool) override { return false; }
    bool canOpenUrl(const pf::URL&) override { return false; }
    std::shared_ptr<IKRUIContext> context() const override { return m_context.lock(); }
    std::shared_ptr<IKRUIViewController> parentController() const override { return nullptr; }
    void setParentController(const std::shared_ptr<IKRUIViewController>&) override {}
    std::shared_ptr<IKRUIViewController> topController() override { return nullptr; }
    const pf::DictionaryRef& config() const override { return m_config; }
    const std::string& basePath() const override { return m_alias; }
    const std::optional<pf::URL>& url() const override { return m_url; }
    const std::string& scheme() const override { return m_alias; }

    bool displaced = true;

private:
    std::weak_ptr<IKRUIContext> m_context;
    std::string m_alias;
    pf::DictionaryRef m_config;
    std::optional<pf::URL> m_url;
};

class PadScreen : public TestScreen {};

void registerDoubles()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    TestDerivedTask();
    TestOtherTask();
    pf::ClassBuilder<RecordingService>("TestRecordingService").superclass<KRService>().commit();
    pf::ClassBuilder<NotAService>("TestNotAService").commit();
    pf::ClassBuilder<TestScreen>("TestScreen").adopts(proto::IKRUIViewController()).commit();
    pf::ClassBuilder<PadScreen>("TestPadScreen").superclass<TestScreen>().commit();
}

pf::DictionaryRef plist(const std::string& body)
{
    auto parsed = pf::parsePropertyList("<plist>" + body + "</plist>");
    EXPECT_TRUE(parsed) << (parsed ? "" : parsed.error().description);
    return parsed ? parsed->dictionary() : nullptr;
}

std::string service(const std::string& name, const std::string& types, const std::string& extra = "")
{
    return "<dict><key>class</key><string>TestRecordingService</string><key>name</key><string>" + name
           + "</string><key>taskTypes</key><array>" + types + "</array>" + extra + "</dict>";
}

std::string type(const std::string& name) { return "<string>" + name + "</string>"; }

std::shared_ptr<KRShell> shellWith(const std::string& services)
{
    return KRShell::create(plist("<dict><key>services</key><array>" + services + "</array></dict>"), nullptr);
}

class KRShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        registerDoubles();
        g_calls.clear();
        pf::DeviceProfile::setCurrent(pf::DeviceProfile{});
    }
    pf::ObjectRef task = std::make_shared<KRTask>();
};

}

TEST_F(KRShellTest, FirstAcceptingServiceOwnsTheTaskAfterObserversSawIt)
{
    const std::string yes = "<key>accept</key><true/>";
    auto shell = shellWith(service("observer", type("ITestBaseTask")) + service("unrelated", type("ITestOtherTask"))
                           + service("owner", type("ITestBaseTask"), yes) + service("late", type("ITestBaseTask"), yes));
    EXPECT_TRUE(shell->handle(TestBaseTask(), task, 7));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"create", "setContext", "observer.handle ITestBaseTask 7", "create",
                                                 "setContext", "owner.handle ITestBaseTask 7"}));
    // Containers that do not list the type never create their service.
    EXPECT_FALSE(shell->serviceContainers()[1]->hasInstance());
    EXPECT_FALSE(shell->serviceContainers()[3]->hasInstance());

    g_calls.clear();
    EXPECT_FALSE(shell->handle(TestOtherTask(), task, 0));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"create", "setContext", "unrelated.handle ITestOtherTask 0"}));
    EXPECT_FALSE(shell->handle(proto::IKRCrashTask(), task, 0));

    g_calls.clear();
    EXPECT_TRUE(shell->cancelHandle(TestBaseTask(), task));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"observer.cancel ITestBaseTask", "owner.cancel ITestBaseTask"}));
}

TEST_F(KRShellTest, InheritMatchesDerivedTaskTypesOnly)
{
    const std::string yes = "<key>accept</key><true/>";
    auto shell = shellWith(service("exact", type("ITestBaseTask"), yes)
                           + service("inheriting", type("ITestBaseTask"), yes + "<key>inherit</key><true/>"));
    EXPECT_TRUE(shell->handle(TestDerivedTask(), task, 0));
    EXPECT_EQ(g_calls.back(), "inheriting.handle ITestDerivedTask 0");
    EXPECT_FALSE(shell->serviceContainers()[0]->hasInstance());

    // The conformance results are cached per task type, yet follow changed rules.
    shell->serviceContainers()[0]->addTaskType(TestDerivedTask());
    g_calls.clear();
    EXPECT_TRUE(shell->handle(TestDerivedTask(), task, 0));
    EXPECT_EQ(g_calls.back(), "exact.handle ITestDerivedTask 0");
}

TEST_F(KRShellTest, CancelBySourceCreatesServicesInOrderUntilOneAnswers)
{
    auto shell = shellWith(service("a", "") + service("b", "") + service("c", "", "<key>acceptSource</key><true/>")
                           + service("d", ""));
    EXPECT_TRUE(shell->cancelHandleForSource(task.get()));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"create", "setContext", "a.cancelSource", "create", "setContext",
                                                 "b.cancelSource", "create", "setContext", "c.cancelSource"}));
    EXPECT_FALSE(shell->serviceContainers()[3]->hasInstance());

    // A memory warning reaches the created services only.
    g_calls.clear();
    shell->didReceiveMemoryWarning();
    EXPECT_EQ(g_calls, (std::vector<std::string>{"a.memory", "b.memory", "c.memory"}));
}

TEST_F(KRShellTest, ConfigurationMistakesAreSkipped)
{
    auto shell = shellWith(R"(
        <dict><key>class</key><string>NoSuchService</string></dict>
        <dict><key>class</key><string>TestNotAService</string></dict>
        <dict><key>class</key><string>TestRecordingService</string><key>disabled</key><true/></dict>
        <dict><key>name</key><string>no class</string></dict>
        <string>not an entry</string>
        <dict><key>class</key><integer>5</integer></dict>
        <dict><key>class</key><string>TestRecordingService</string><key>name</key><string>kept</string>
              <key>disabled</key><string>YES</string><key>inherit</key><string>YES</string>
              <key>taskTypes</key><array><string>INoSuchTask</string><integer>3</integer><string>ITestBaseTask</string></array></dict>
        <dict><key>class</key><string>TestRecordingService</string><key>taskTypes</key><string>ITestBaseTask</string></dict>)");
    ASSERT_EQ(shell->serviceContainers().size(), 2u);
    const auto& kept = shell->serviceContainers()[0];
    EXPECT_FALSE(kept->isInherit()); // text is not a Boolean
    EXPECT_EQ(kept->taskTypes(), (std::vector<const pf::Protocol*>{TestBaseTask()}));
    EXPECT_TRUE(shell->serviceContainers()[1]->taskTypes().empty());

    for (const char* body : {"<dict><key>services</key><string>x</string></dict>", "<array/>", "<dict/>"})
        EXPECT_TRUE(KRShell::create(plist(body), nullptr)->serviceContainers().empty()) << body;
}

TEST_F(KRShellTest, PlatformKeysFollowTheDevice)
{
    struct Row {
        const char* device;
        std::vector<std::string> keys;
    } rows[] = {
        {"iPhone5,7.0", {"iPhone5_iOS7", "iPhone5", "iPhone", "iOS7"}},
        {"iPhone5,6.1", {"iPhone5", "iPhone"}},
        {"iPhone,7.1", {"iPhone", "iOS7"}},
        {"iPad,6.0", {"iPad"}},
        {"iPad,7.0", {"iPad_iOS7", "iPad", "iOS7"}},
    };
    for (const Row& r : rows) {
        pf::DeviceProfile::setCurrent(*pf::DeviceProfile::parse(r.device));
        auto shell = KRShell::create(nullptr, nullptr);
        EXPECT_EQ(shell->platformKeys(), r.keys) << r.device;
    }
}

TEST_F(KRShellTest, ControllersAreMadeWithSettersInOrderFromTheVariant)
{
    pf::DeviceProfile::setCurrent(*pf::DeviceProfile::parse("iPad,7.0"));
    auto shell = KRShell::create(plist(R"(<dict><key>ui</key><dict>
        <key>home</key><dict><key>class</key><string>TestScreen</string><key>view</key><string>HomeView</string>
            <key>title</key><string>Home</string><key>scheme</key><string>nav</string>
            <key>iPad</key><dict><key>class</key><string>TestPadScreen</string></dict></dict>
        <key>plain</key><dict><key>class</key><string>TestScreen</string><key>view</key><string>PlainView</string></dict>
        <key>bad</key><dict><key>class</key><string>TestRecordingService</string></dict>
        <key>board</key><dict><key>storyboard</key><string>Main</string></dict>
        </dict></dict>)"),
                                 nullptr);
    auto home = shell->getViewController(*pf::URL::create("nav:/home/detail"), "/");
    ASSERT_TRUE(home);
    EXPECT_TRUE(std::dynamic_pointer_cast<PadScreen>(home));
    // The variant names no "view", so no interface file is loaded.
    EXPECT_EQ(g_calls, (std::vector<std::string>{"nib none", "setContext", "setAlias home", "setBasePath /",
                                                 "setScheme nav", "setUrl nav:/home/detail", "setConfig Home"}));
    g_calls.clear();
    EXPECT_TRUE(shell->getViewController(*pf::URL::create("/plain"), "/"));
    EXPECT_EQ(g_calls.front(), "nib PlainView");
    EXPECT_FALSE(shell->getViewController(*pf::URL::create("/bad"), "/"));
    EXPECT_FALSE(shell->getViewController(*pf::URL::create("/board"), "/"));
    EXPECT_FALSE(shell->getViewController(*pf::URL::create("/missing"), "/"));
    EXPECT_FALSE(shell->getViewController(*pf::URL::create("/home"), "/home"));
}

TEST_F(KRShellTest, CachedControllersAreReusedOnlyWhenDisplaced)
{
    auto shell = KRShell::create(plist(R"(<dict><key>url</key><string>tab:/main</string><key>ui</key><dict>
        <key>main</key><dict><key>class</key><string>TestScreen</string><key>cached</key><true/></dict>
        </dict></dict>)"),
                                 nullptr);
    auto first = std::dynamic_pointer_cast<TestScreen>(shell->getViewController(*pf::URL::create("/main"), "/"));
    ASSERT_TRUE(first);
    first->displaced = false;
    auto second = std::dynamic_pointer_cast<TestScreen>(shell->getViewController(*pf::URL::create("/main"), "/"));
    EXPECT_NE(first, second);
    EXPECT_EQ(shell->viewControllers().size(), 2u);

    g_calls.clear();
    auto reused = shell->getViewController(*pf::URL::create("/main/x"), "/");
    EXPECT_EQ(reused, second);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"setBasePath /", "setUrl /main/x"}));

    // A memory warning drops the displaced ones and keeps the shown one.
    shell->didReceiveMemoryWarning();
    EXPECT_EQ(shell->viewControllers().size(), 1u);
    EXPECT_EQ(shell->viewControllers()[0], first);

    g_calls.clear();
    auto root = shell->rootViewController();
    ASSERT_TRUE(root);
    EXPECT_EQ(g_calls.back(), "loadUrl tab:/main /");
    EXPECT_EQ(shell->rootViewController(), root);
}

TEST_F(KRShellTest, ResultsHandBackIsOneShot)
{
    auto shell = KRShell::create(nullptr, nullptr);
    shell->setResultsData(1); // nothing waits: nothing happens
    std::vector<int> got;
    shell->waitResultsData([&](const pf::Value& v) {
        got.push_back(v.intValue());
        // Waiting again from inside the running callback is dropped with it.
        shell->waitResultsData([&](const pf::Value& w) { got.push_back(100 + w.intValue()); });
    });
    shell->setResultsData(2);
    shell->setResultsData(3);
    EXPECT_EQ(got, (std::vector<int>{2}));
}

namespace {
class Listener : public pf::Object, public IKRUplinkTaskDelegate {
public:
    void krUploadTaskDidSuccessResults(const pf::ObjectRef&, const pf::Value&, const pf::Protocol*) override { ++calls; }
    int calls = 0;
};
}

TEST(KRTaskReferences, ReleasedSourcesAndDelegatesAreNeverCalled)
{
    auto task = std::make_shared<KRUplinkTask>();
    auto source = std::make_shared<pf::Object>();
    auto listener = std::make_shared<Listener>();
    task->setSource(source);
    task->setDelegate(listener);
    if (auto d = task->delegate())
        d->krUploadTaskDidSuccessResults(task, {}, nullptr);
    EXPECT_EQ(listener->calls, 1);

    const pf::Object* address = source.get();
    source.reset();
    listener.reset();
    EXPECT_FALSE(task->source());
    EXPECT_FALSE(task->delegate());
    // Still comparable by identity, for a source withdrawing its tasks as it goes.
    EXPECT_EQ(task->sourceIdentity(), address);
}

namespace {
// Adds a service and dispatches again from inside its own handling, which
// invalidates the matching results the outer walk is using.
class ReentrantService : public KRService {
public:
    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int) override
    {
        auto shell = std::dynamic_pointer_cast<KRShell>(context());
        if (++depth == 1 && shell) {
            auto added = shell->addService(pf::Class::named("TestRecordingService"));
            added->setConfig(pf::Dictionary::create({{"name", "added"}}));
            added->addTaskType(TestOtherTask());
            shell->handle(TestOtherTask(), task, 1);
            shell->handle(taskType, task, 2);
        }
        return false;
    }
    int depth = 0;
};
}

TEST_F(KRShellTest, ServicesAddedDuringADispatchJoinLaterWalks)
{
    pf::ClassBuilder<ReentrantService>("TestReentrantService").superclass<KRService>().commit();
    auto shell = shellWith("<dict><key>class</key><string>TestReentrantService</string><key>taskTypes</key><array>"
                           + type("ITestBaseTask") + "</array></dict>" + service("tail", type("ITestBaseTask")));
    EXPECT_FALSE(shell->handle(TestBaseTask(), task, 0));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"create", "setContext", "added.handle ITestOtherTask 1", "create",
                                                 "setContext", "tail.handle ITestBaseTask 2", "tail.handle ITestBaseTask 0"}));
}
