#include "ListTestSupport.h"
#include "RoadTestSupport.h"

#include "app/DemoSession.h"
#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRAuthTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/db/KRDownlinkService.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/PropertyList.h"
#include "tools/voxlyweb/VoxlyWebServer.h"
#include "tools/zzserver/ZZServer.h"

namespace {

class ZMRRoad : public RoadBus {
protected:
    void makeShell(const std::string& url, double timeout = 5) { startShell(roadConfig(url, timeout)); }
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
    EXPECT_EQ(shell->nick(), "Annie");
    EXPECT_FALSE(pf::UserDefaults::standard().objectForKey("device-did").isNil());

    // The server forgets the token on logout: the old sign-in no longer
    // checks, once the logout has landed.
    shell->logout(false);
    EXPECT_TRUE(shell->uid().isNil());
    long long refusal = 0;
    for (int attempt = 0; attempt < 100 && refusal != 15362; ++attempt) {
        shell->setAuth(firstUid, firstToken);
        recorder->clear();
        ASSERT_TRUE(sendAndWait(shell, proto::IZMRAuthTask(), std::make_shared<ZMRAuthTask>(), recorder));
        refusal = recorder->errors.empty() ? 0 : recorder->errors[0].code;
    }
    EXPECT_EQ(refusal, 15362);
    shell->setAuth(pf::Value(), std::nullopt);

    ASSERT_TRUE(sendAndWait(shell, proto::IZMRLoginTask(), login("ann", "secret1"), recorder));
    ASSERT_EQ(recorder->errors.size(), 1u);
    EXPECT_EQ(shell->uid(), firstUid);
    EXPECT_NE(shell->token(), firstToken);
}

TEST_F(ZMRRoad, ServerRefusalsReachTheDelegateWithTheirCodeAndText)
{
    makeShell(server.url());
    signUp("bo", "Bobby");
    pf::Value uid = shell->uid();
    auto token = shell->token();
    struct Row {
        std::shared_ptr<KRUplinkTask> task;
        const pf::Protocol* type;
        pf::Error error;
    } rows[] = {
        {login("bo", "wrong-pass"), proto::IZMRLoginTask(), {"ZMRAuthService", 257, "登录名或密码错误"}},
        {login("nobody", "secret1"), proto::IZMRLoginTask(), {"ZMRAuthService", 257, "登录名或密码错误"}},
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

TEST_F(ZMRRoad, AStoppedOrKilledServerTimesOutAndLeavesTheUserAsTheyWere)
{
    makeShell(server.url(), 1.0);
    signUp("dee", "Deedee");
    pf::Value uid = shell->uid();
    auto token = shell->token();
    std::string nick = shell->nick().value_or("");

    server.freeze();
    auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(sendAndWait(shell, proto::IZMRLoginTask(), login("dee", "secret1"), recorder));
    double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ASSERT_EQ(recorder->errors.size(), 1u);
    EXPECT_EQ(recorder->errors[0].domain, "ZMRAuthService");
    // A sign-in changes nothing on the server: a timed-out one is simply
    // not answered, never "result unknown".
    EXPECT_EQ(recorder->errors[0].code, ZMRNotAnsweredCode);
    EXPECT_FALSE(recorder->errors[0].description.empty()) << "the transport's reason travels along";
    EXPECT_GE(waited, 0.9);

    server.kill();
    ASSERT_TRUE(sendAndWait(shell, proto::IZMRAuthTask(), std::make_shared<ZMRAuthTask>(), recorder));
    ASSERT_EQ(recorder->errors.size(), 2u);
    EXPECT_EQ(recorder->errors[1].code, ZMRNotAnsweredCode);
    EXPECT_EQ(shell->uid(), uid);
    EXPECT_EQ(shell->token(), token);
    EXPECT_EQ(shell->nick(), nick);
}

TEST_F(ZMRRoad, ADemoStartWhoseStoredSignInTheServerRefusesSignsInAfresh)
{
    makeShell(server.url(), 2.0);
    const DemoAccount demo{"dana", "secret9", "Dana"};
    // A sign-in stored against another server's database.
    shell->setAuth(pf::Value(987654), std::string("stale-token"));
    shell->setNick(std::string("Someone"));
    EXPECT_EQ(runDemoSession(shell, demo, 10), 0);
    EXPECT_EQ(shell->account(), "dana");
    EXPECT_EQ(shell->nick(), "Dana");
    pf::Value uid = shell->uid();
    EXPECT_EQ(runDemoSession(shell, demo, 10), 0) << "the stored sign-in now checks";
    EXPECT_EQ(shell->uid(), uid);

    // No answer at all is not a refusal: the start ends as before.
    server.kill();
    EXPECT_EQ(runDemoSession(shell, demo, 10), 1);
    EXPECT_EQ(shell->uid(), uid);
}

// Each road to a provider brings a token of its own for the same person:
// the account is the person's, whichever token comes.
TEST_F(ZMRRoad, ZZSignInThenVoxlyBindKeepsTheUserAndStoresBothTokens)
{
    makeShell(server.url());
    const std::string pageToken = zmr::ZZServer::tokenFor("101452831");
    auto zz = std::make_shared<ZMRZZLoginTask>();
    zz->setToken(pageToken);
    zz->setExpires_in(7200.5);
    ASSERT_TRUE(sendAndWait(shell, proto::IZMRZZLoginTask(), zz, recorder));
    ASSERT_TRUE(recorder->errors.empty());
    pf::Value uid = shell->uid();
    auto token = shell->token();
    EXPECT_EQ(shell->zzToken(), pageToken);
    EXPECT_FALSE(shell->voxlyToken());

    const std::string firstGrant = zmr::VoxlyWebServer::freshToken();
    auto bind = std::make_shared<ZMRVoxlyBindTask>();
    bind->setToken(firstGrant);
    ASSERT_TRUE(sendAndWait(shell, proto::IZMRVoxlyBindTask(), bind, recorder));
    ASSERT_TRUE(recorder->errors.empty());
    EXPECT_EQ(shell->voxlyToken(), firstGrant);
    EXPECT_EQ(shell->zzToken(), pageToken);
    EXPECT_EQ(shell->uid(), uid);
    EXPECT_EQ(shell->token(), token);

    // Signed out, the person comes back by the ZZ app, whose token differs.
    shell->setAuth(pf::Value(), std::nullopt);
    zz->setToken(zmr::ZZServer::appTokenFor("101452831"));
    recorder->clear();
    ASSERT_TRUE(sendAndWait(shell, proto::IZMRZZLoginTask(), zz, recorder));
    ASSERT_TRUE(recorder->errors.empty());
    EXPECT_EQ(shell->uid(), uid);
    EXPECT_EQ(shell->voxlyToken(), firstGrant);
}

TEST_F(ZMRRoad, TheShippedConfigurationSignsInAndShowsTheCachedFirstPageFirst)
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

    startShell(config);
    signUp("eve");
    auto makeList = [&] { return makeDataSource(shell, "ZMRFeedsTask"); };
    auto list = [](const pf::Value& page) { return dataForKeyPath(page, "list").array(); };
    auto first = makeList();
    first->reloadData();
    ASSERT_TRUE(runMainUntil([&] { return !first->events.empty(); }));
    EXPECT_EQ(first->events, std::vector<std::string>{"loaded"});
    ASSERT_TRUE(list(first->data[0]));
    EXPECT_EQ(list(first->data[0])->count(), 20u);
    KRDownlinkService::dispatchQueue()->sync([] {});

    // The next start shows the stored first page at once, then the fresh one.
    auto second = makeList();
    second->reloadData();
    ASSERT_TRUE(runMainUntil([&] { return second->events.size() == 2; }));
    EXPECT_EQ(second->events, (std::vector<std::string>{"cache", "loaded"}));
    EXPECT_EQ(second->data[0], first->data[0]);
}
