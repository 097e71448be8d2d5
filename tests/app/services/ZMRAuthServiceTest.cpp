#include "AuthTestSupport.h"

#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRAuthTasks.h"
#include "app/services/ZMRTaskTypes.h"

#include <cmath>

namespace {

using ZMRAuth = AuthBus;

template <class T> std::shared_ptr<T> tokenTask(const char* token, double expires)
{
    auto task = std::make_shared<T>();
    if (token)
        task->setToken(token);
    task->setExpires_in(expires);
    return task;
}

}

TEST_F(ZMRAuth, EachTaskSendsItsServerNameAndItems)
{
    struct Row {
        const pf::Protocol* type;
        pf::ObjectRef task;
        std::vector<std::string> items;
    } rows[] = {
        {proto::IZMRVoxlyLoginTask(), tokenTask<ZMRVoxlyLoginTask>("v", 90.9),
         {"config=config_zmr", "taskType=ZMRVoxlyLoginTask", "zmr-token=v", "zmr-expires_in=90"}},
        {proto::IZMRZZLoginTask(), tokenTask<ZMRZZLoginTask>(nullptr, NAN),
         {"config=config_zmr", "taskType=ZMRZZLoginTask", "zmr-token=", "zmr-expires_in=0"}},
        {proto::IZMRZZBindTask(), tokenTask<ZMRZZBindTask>("z", 1e12),
         {"config=config_zmr", "taskType=ZMRZZBindTask", "zmr-etoken=z", "zmr-expires_in=2147483647"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type->name());
        auto task = std::dynamic_pointer_cast<KRUplinkTask>(row.task);
        task->setSource(source);
        ASSERT_TRUE(shell->handle(row.type, row.task, 5));
        auto request = lastRequest();
        EXPECT_EQ(ownItems(*request->body()), row.items);
        EXPECT_EQ(request->taskType(), row.type);
        EXPECT_EQ(request->task(), row.task);
        EXPECT_EQ(request->source(), source);
        EXPECT_EQ(request->apiKey(), "url");
    }
    EXPECT_FALSE(shell->handle(proto::IZMRCoinTask(), std::make_shared<ZMRCoinTask>(), 0));
}

TEST_F(ZMRAuth, SuccessfulSignInUpdatesTheContextBeforeTheDelegateHears)
{
    auto login = std::make_shared<ZMRLoginTask>();
    login->setAccount("ann");
    send(proto::IZMRLoginTask(), login);
    respond(R"({"error-code":0,"auth":10001,"auth-token":"t1","user":{"account":"ann","nick":"Annie"},
                "auth-bind":{"voxly":{"token":"vx"}}})");
    EXPECT_EQ(recorder->events, (std::vector<std::string>{ZMRUserInfoChangedNotification, ZMRUserChangedNotification,
                                                          "success IZMRLoginTask uid=10001"}));
    EXPECT_EQ(shell->token(), "t1");
    EXPECT_EQ(shell->account(), "ann");
    EXPECT_EQ(shell->nick(), "Annie");
    EXPECT_EQ(shell->voxlyToken(), "vx");
    EXPECT_EQ(bus.types, (std::vector<std::string>{"IZMRConcernTask", "IZMRCoinTask"}));
}

TEST_F(ZMRAuth, FailuresReachTheDelegateAndChangeNothing)
{
    shell->setAuth(pf::Value(5), "t5");
    shell->setAccount("old");
    bus = {};
    struct Row {
        const pf::Protocol* type;
        pf::Value results;
        std::optional<pf::Error> transport;
        pf::Error expected;
    } rows[] = {
        {proto::IZMRLoginTask(), KRJSON::decodeText(R"({"error-code":257,"error":"登录名或密码错误","auth":9,"auth-token":"x"})"),
         std::nullopt, {"ZMRAuthService", 257, "登录名或密码错误"}},
        // No session: the server failed a sign-in; a sign-up it may have made.
        {proto::IZMRLoginTask(), KRJSON::decodeText(R"({"error-code":0,"auth":9})"), std::nullopt,
         {"ZMRAuthService", ZMRServerFailedCode, ""}},
        {proto::IZMRRegisterTask(), KRJSON::decodeText(R"({"error-code":0,"auth":null,"auth-token":"x"})"), std::nullopt,
         {"ZMRAuthService", ZMRResultUnknownCode, ""}},
        {proto::IZMRZZLoginTask(), KRJSON::decodeText(R"({"auth":9,"auth-token":null,"user":{"account":"x"}})"), std::nullopt,
         {"ZMRAuthService", ZMRServerFailedCode, ""}},
        {proto::IZMRAuthTask(), pf::Value(), pf::Error{"KRHttpService", -3, "timed out"}, {"ZMRAuthService", ZMRNotAnsweredCode, "timed out"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type->name() + " " + row.results.description());
        auto task = std::static_pointer_cast<KRUplinkTask>(pf::Class::named(row.type->name().substr(1))->create());
        send(row.type, task);
        recorder->errors.clear();
        respondWith(row.results, row.transport);
        ASSERT_EQ(recorder->errors.size(), 1u);
        EXPECT_EQ(recorder->errors[0], row.expected);
        EXPECT_EQ(shell->uid(), pf::Value(5));
        EXPECT_EQ(shell->token(), "t5");
        EXPECT_EQ(shell->account(), "old");
    }
    EXPECT_TRUE(bus.types.empty());
}

TEST_F(ZMRAuth, CheckAndBindKeepTheSignInWithoutANewToken)
{
    shell->setAuth(pf::Value(5), "t5");
    shell->setZzToken("zz-old");
    send(proto::IZMRVoxlyBindTask(), tokenTask<ZMRVoxlyBindTask>("vx", 10));
    bus = {};
    respond(R"({"error-code":0,"auth":5,"user":{"account":"five","nick":"Fiver"},"auth-bind":{"voxly":{"token":"vx"}}})");
    EXPECT_EQ(shell->voxlyToken(), "vx");
    EXPECT_FALSE(shell->zzToken());
    EXPECT_EQ(shell->nick(), "Fiver");
    EXPECT_EQ(shell->token(), "t5");
    EXPECT_TRUE(bus.types.empty());

    // A check answered without "auth" stores nothing and is still a success.
    recorder->events.clear();
    send(proto::IZMRAuthTask(), std::make_shared<ZMRAuthTask>());
    respond(R"({"error-code":0,"user":{"nick":"nobody"}})");
    EXPECT_EQ(recorder->events, std::vector<std::string>{"success IZMRAuthTask uid=5"});
    EXPECT_EQ(shell->nick(), "Fiver");
}

TEST_F(ZMRAuth, LogoutCarriesTheLeavingUserAndItsAnswerGoesNowhere)
{
    shell->setAuth(pf::Value(8), "t8");
    shell->logout(false);
    auto request = lastRequest();
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->taskType(), proto::IZMRLogoutTask());
    auto items = formItems(*request->body());
    EXPECT_NE(std::find(items.begin(), items.end(), "auth-uid=8"), items.end());
    EXPECT_NE(std::find(items.begin(), items.end(), "auth-token=t8"), items.end());
    // Offered twice for decoration: the second time nobody is signed in.
    EXPECT_EQ(std::count(items.begin(), items.end(), "device-type=1"), 2);

    auto logout = std::dynamic_pointer_cast<ZMRLogoutTask>(request->task());
    logout->setDelegate(recorder);
    recorder->events.clear();
    respond(R"({"error-code":0,"auth":8,"auth-token":"again"})");
    respond(R"({"error-code":15362})");
    EXPECT_TRUE(recorder->events.empty());
    EXPECT_TRUE(shell->uid().isNil());
}

TEST_F(ZMRAuth, CancelWithdrawsTheRequestAndAnswersOfOtherTypesAreLeftForOthers)
{
    auto login = send(proto::IZMRLoginTask(), std::make_shared<ZMRLoginTask>());
    EXPECT_TRUE(shell->cancelHandle(proto::IZMRLoginTask(), login));
    ASSERT_EQ(api.cancels.size(), 1u);
    EXPECT_EQ(api.cancels[0]->task(), login);
    EXPECT_EQ(api.cancels[0]->taskType(), proto::IZMRLoginTask());

    auto response = std::make_shared<KRAPIResponseTask>();
    response->setTaskType(proto::IZMRCoinTask());
    response->setResultsData(KRJSON::decodeText(R"({"error-code":0,"auth":1,"auth-token":"x"})"));
    EXPECT_FALSE(shell->handle(proto::IKRAPIResponseTask(), response, 0));
    EXPECT_TRUE(shell->uid().isNil());
}
