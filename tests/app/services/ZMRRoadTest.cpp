#include "AppServerProcess.h"
#include "ListTestSupport.h"
#include "RoadTestSupport.h"

#include "app/services/ZMRAuthTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/db/KRDownlinkService.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/PropertyList.h"
#include "tools/testserver/TestServer.h"

namespace {

class ZMRRoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        registerAuthTestClasses();
        KRDownlinkService::resetSharedCache();
        busRecord() = &bus;
        ASSERT_TRUE(server.isRunning());
    }
    void TearDown() override
    {
        shell.reset();
        busRecord() = nullptr;
        KRDownlinkService::resetSharedCache();
    }
    void makeShell(const std::string& url, double timeout = 5)
    {
        shell = ZMRShell::create(roadConfig(url, timeout), nullptr);
        recorder->shell = shell;
    }

    std::shared_ptr<ZMRRegisterTask> registration(const char* account, const char* password, const char* nick)
    {
        auto task = std::make_shared<ZMRRegisterTask>();
        task->setAccount(account);
        task->setPassword(password);
        task->setNick(nick);
        return task;
    }
    std::shared_ptr<ZMRLoginTask> login(const char* account, const char* password)
    {
        auto task = std::make_shared<ZMRLoginTask>();
        task->setAccount(account);
        task->setPassword(password);
        return task;
    }

    TemporaryHome home;
    BusRecord bus;
    AppServerProcess server;
    std::shared_ptr<ZMRShell> shell;
    std::shared_ptr<UplinkRecorder> recorder = std::make_shared<UplinkRecorder>();
};

}

TEST_F(ZMRRoad, RegisterSignOutSignInAndCheckAgainstTheServer)
{
    makeShell(server.url());
    ASSERT_TRUE(sendAndWait(shell, proto::IZMRRegisterTask(), registration("ann", "secret1", "Annie"), recorder));
    ASSERT_TRUE(recorder->errors.empty()) << recorder->errors[0].code;
    pf::Value firstUid = shell->uid();
    EXPECT_TRUE(firstUid.isNumber());
    auto firstToken = shell->token();
    ASSERT_TRUE(firstToken);
    EXPECT_EQ(shell->account(), "ann");
    EXPECT_EQ(shell->nick(), "Annie");
    EXPECT_FALSE(pf::UserDefaults::standard().objectForKey("device-did").isNil());
    EXPECT_NEAR(shell->timestamp(), pf::Date::now().seconds, 5);

    // The server forgets the token on logout: the old sign-in no longer checks.
    shell->logout(false);
    EXPECT_TRUE(shell->uid().isNil());
    runMainFor(0.3);
    shell->setAuth(firstUid, firstToken);
    ASSERT_TRUE(sendAndWait(shell, proto::IZMRAuthTask(), std::make_shared<ZMRAuthTask>(), recorder));
    ASSERT_EQ(recorder->errors.size(), 1u);
    EXPECT_EQ(recorder->errors[0].code, 15362);
    shell->setAuth(pf::Value(), std::nullopt);
    runMainFor(0.3);

    ASSERT_TRUE(sendAndWait(shell, proto::IZMRLoginTask(), login("ann", "secret1"), recorder));
    ASSERT_EQ(recorder->errors.size(), 1u);
    EXPECT_EQ(shell->uid(), firstUid);
    EXPECT_NE(shell->token(), firstToken);

    // The check on start, in a new process: the stored sign-in still holds.
    pf::UserDefaults::resetStandard();
    makeShell(server.url());
    EXPECT_EQ(shell->uid(), firstUid);
    ASSERT_TRUE(sendAndWait(shell, proto::IZMRAuthTask(), std::make_shared<ZMRAuthTask>(), recorder));
    EXPECT_EQ(recorder->errors.size(), 1u);
    EXPECT_EQ(recorder->results.size(), 3u);
    EXPECT_EQ(shell->uid(), firstUid);
    EXPECT_GE(bus.count("IZMRCoinTask"), 3u);
}

TEST_F(ZMRRoad, ServerRefusalsReachTheDelegateWithTheirCodeAndText)
{
    makeShell(server.url());
    ASSERT_TRUE(sendAndWait(shell, proto::IZMRRegisterTask(), registration("bo", "secret2", "Bobby"), recorder));
    pf::Value uid = shell->uid();
    auto token = shell->token();
    struct Row {
        std::shared_ptr<KRUplinkTask> task;
        const pf::Protocol* type;
        pf::Error error;
    } rows[] = {
        {login("bo", "wrong-pass"), proto::IZMRLoginTask(), {"ZMRAuthService", 257, "登录名或密码错误"}},
        {login("nobody", "secret2"), proto::IZMRLoginTask(), {"ZMRAuthService", 257, "登录名或密码错误"}},
        {registration("bo", "secret3", "Other"), proto::IZMRRegisterTask(), {"ZMRAuthService", 264, "登录名已存在，请尝试其他登录名"}},
        {registration("cy", "secret3", "Bobby"), proto::IZMRRegisterTask(), {"ZMRAuthService", 265, "昵称已存在，请尝试其他昵称"}},
        {registration("cy", "short", "Cyndi"), proto::IZMRRegisterTask(), {"ZMRAuthService", 15361, "密码长度不小于6位"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.error.code);
        recorder->errors.clear();
        ASSERT_TRUE(sendAndWait(shell, row.type, row.task, recorder));
        ASSERT_EQ(recorder->errors.size(), 1u);
        EXPECT_EQ(recorder->errors[0], row.error);
        EXPECT_EQ(shell->uid(), uid);
        EXPECT_EQ(shell->token(), token);
    }
}

TEST_F(ZMRRoad, AnHtmlErrorPageIsAFailureThatStoresNothing)
{
    zmr::TestServer html;
    ASSERT_TRUE(html.isRunning());
    makeShell(html.url("/status?code=502"));
    ASSERT_TRUE(sendAndWait(shell, proto::IZMRLoginTask(), login("ann", "secret1"), recorder));
    ASSERT_EQ(recorder->errors.size(), 1u);
    EXPECT_EQ(recorder->errors[0], (pf::Error{"ZMRAuthService", 0, "http status 502"}));
    EXPECT_TRUE(shell->uid().isNil());
    EXPECT_FALSE(shell->token());
    EXPECT_TRUE(pf::UserDefaults::standard().objectForKey("device-did").isNil());
    EXPECT_TRUE(pf::UserDefaults::standard().objectForKey("timestamp").isNil());
    EXPECT_EQ(html.count("/status"), 1u);
}

TEST_F(ZMRRoad, AStoppedOrKilledServerTimesOutAndLeavesTheUserAsTheyWere)
{
    makeShell(server.url(), 1.0);
    ASSERT_TRUE(sendAndWait(shell, proto::IZMRRegisterTask(), registration("dee", "secret4", "Deedee"), recorder));
    pf::Value uid = shell->uid();
    auto token = shell->token();
    std::string nick = shell->nick().value_or("");

    server.freeze();
    auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(sendAndWait(shell, proto::IZMRLoginTask(), login("dee", "secret4"), recorder));
    double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ASSERT_EQ(recorder->errors.size(), 1u);
    EXPECT_EQ(recorder->errors[0].domain, "ZMRAuthService");
    EXPECT_EQ(recorder->errors[0].code, 0);
    EXPECT_FALSE(recorder->errors[0].description.empty()) << "the transport's reason travels along";
    EXPECT_GE(waited, 0.9);

    server.kill();
    ASSERT_TRUE(sendAndWait(shell, proto::IZMRAuthTask(), std::make_shared<ZMRAuthTask>(), recorder));
    EXPECT_EQ(recorder->errors.size(), 2u);
    EXPECT_EQ(shell->uid(), uid);
    EXPECT_EQ(shell->token(), token);
    EXPECT_EQ(shell->nick(), nick);
}

TEST_F(ZMRRoad, PagedListShowsTheCachedFirstPageBeforeTheFreshOne)
{
    makeShell(server.url());
    ASSERT_TRUE(sendAndWait(shell, proto::IZMRRegisterTask(), registration("eve", "secret5", "Evening"), recorder));
    auto makeList = [&] {
        auto list = std::make_shared<RecordingDataSource>();
        list->setContext(shell);
        list->setSource(list);
        list->setTaskType("ZMRFeedsTask");
        list->setAllowCached(true);
        return list;
    };
    auto pids = [](const pf::Value& page) {
        std::vector<long long> out;
        if (auto items = dataForKeyPath(page, "list").array()) {
            for (const pf::Value& item : *items)
                out.push_back(dataForKeyPath(item, "pid").longLongValue());
        }
        return out;
    };

    auto first = makeList();
    first->reloadData();
    ASSERT_TRUE(runMainUntil([&] { return !first->events.empty(); }));
    EXPECT_EQ(first->events, std::vector<std::string>{"loaded"});
    EXPECT_EQ(pids(first->data[0]).size(), 20u);
    EXPECT_EQ(pids(first->data[0]).front(), 1);
    first->loadMoreData();
    ASSERT_TRUE(runMainUntil([&] { return first->events.size() == 2; }));
    EXPECT_EQ(pids(first->data[1]).front(), 21);
    first->loadMoreData();
    ASSERT_TRUE(runMainUntil([&] { return first->events.size() == 3; }));
    EXPECT_EQ(pids(first->data[2]).size(), 5u);
    EXPECT_EQ(dataForKeyPath(first->data[2], "total").longLongValue(), 45);
    KRDownlinkService::dispatchQueue()->sync([] {});

    // The next start shows the stored first page at once, then the fresh one.
    auto second = makeList();
    second->reloadData();
    ASSERT_TRUE(runMainUntil([&] { return second->events.size() == 2; }));
    EXPECT_EQ(second->events, (std::vector<std::string>{"cache", "loaded"}));
    EXPECT_EQ(pids(second->data[0]), pids(first->data[0]));
    EXPECT_EQ(pids(second->data[1]), pids(first->data[0]));

    // An unknown list is the server's refusal, with its code and text.
    auto unknown = makeList();
    unknown->setTaskType("ZMRNoSuchList");
    unknown->reloadData();
    ASSERT_TRUE(runMainUntil([&] { return !unknown->errors.empty(); }));
    EXPECT_EQ(unknown->errors[0].domain, "ZMRDownlinkService");
    EXPECT_EQ(unknown->errors[0].code, 2);
}

TEST_F(ZMRRoad, ZZSignInThenVoxlyBindKeepsTheUserAndStoresBothTokens)
{
    makeShell(server.url());
    auto zz = std::make_shared<ZMRZZLoginTask>();
    zz->setToken("zz-token-1");
    zz->setExpires_in(7200.5);
    ASSERT_TRUE(sendAndWait(shell, proto::IZMRZZLoginTask(), zz, recorder));
    ASSERT_TRUE(recorder->errors.empty());
    pf::Value uid = shell->uid();
    auto token = shell->token();
    EXPECT_EQ(shell->zzToken(), "zz-token-1");
    EXPECT_FALSE(shell->voxlyToken());

    auto bind = std::make_shared<ZMRVoxlyBindTask>();
    bind->setToken("vx-token-1");
    ASSERT_TRUE(sendAndWait(shell, proto::IZMRVoxlyBindTask(), bind, recorder));
    ASSERT_TRUE(recorder->errors.empty());
    EXPECT_EQ(shell->voxlyToken(), "vx-token-1");
    EXPECT_EQ(shell->zzToken(), "zz-token-1");
    EXPECT_EQ(shell->uid(), uid);
    EXPECT_EQ(shell->token(), token);

    // The same ZZ identity signs in as the same user.
    shell->setAuth(pf::Value(), std::nullopt);
    auto again = std::make_shared<ZMRZZLoginTask>();
    again->setToken("zz-token-1");
    ASSERT_TRUE(sendAndWait(shell, proto::IZMRZZLoginTask(), again, recorder));
    EXPECT_EQ(shell->uid(), uid);
    EXPECT_EQ(shell->voxlyToken(), "vx-token-1");
}

TEST_F(ZMRRoad, TheShippedConfigurationResolvesSignsInAndLoadsTheFeed)
{
    const char* source = std::getenv("ZMR_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    auto read = pf::readPropertyListFile(std::string(source) + "/resources/cfg.plist");
    ASSERT_TRUE(read && read->dictionary());
    pf::DictionaryRef config = read->dictionary();
    pf::ArrayRef services = config->array("services");
    ASSERT_TRUE(services && !services->empty());
    for (const pf::Value& entry : *services) {
        std::string cls = entry.dictionary()->string("class").value_or("(none)");
        EXPECT_NE(pf::Class::named(cls), nullptr) << cls;
        if (auto types = entry.dictionary()->array("taskTypes")) {
            for (const pf::Value& type : *types)
                EXPECT_NE(pf::Protocol::named(type.stringOr("")), nullptr) << cls << " " << type.stringOr("");
        }
        if (cls == "KRAPIService")
            entry.dictionary()->set("url", server.url());
    }

    shell = ZMRShell::create(config, nullptr);
    recorder->shell = shell;
    ASSERT_TRUE(sendAndWait(shell, proto::IZMRRegisterTask(), registration("cfg", "secret6", "Config"), recorder));
    ASSERT_TRUE(recorder->errors.empty()) << recorder->errors[0].description;
    EXPECT_FALSE(shell->uid().isNil());
    auto feed = std::make_shared<RecordingDataSource>();
    feed->setContext(shell);
    feed->setSource(feed);
    feed->setTaskType("ZMRFeedsTask");
    feed->reloadData();
    ASSERT_TRUE(runMainUntil([&] { return !feed->events.empty(); }));
    EXPECT_EQ(feed->events, std::vector<std::string>{"loaded"});
    EXPECT_FALSE(dataForKeyPath(feed->data[0], "list").array()->empty());
}
