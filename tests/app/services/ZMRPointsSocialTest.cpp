#include "SocialTestSupport.h"

#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRLikeService.h"
#include "app/services/ZMRPrizeService.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"

namespace {

using ZMRPoints = SocialBus;
using ZMRLikes = SocialBus;

}

TEST_F(ZMRPoints, PrizeRequestsCarryOnlyTheSetDeliveryFieldsInTheirOrder)
{
    auto task = std::make_shared<ZMRPrizeBuyTask>();
    task->setProductId(4294967296LL);
    task->setOther("o");
    task->setPhone("138");
    task->setAddress("a");
    task->setName("n");
    send(proto::IZMRPrizeBuyTask(), task);
    EXPECT_EQ(ownItems(*lastRequest()->body()),
              (std::vector<std::string>{"config=config_zmr", "taskType=ZMRPrizeBuyTask", "zmr-productId=4294967296",
                                        R"(zmr-body={"address":"a","name":"n","phone":"138","other":"o"})"}));
}

TEST_F(ZMRPoints, BalanceAndExchangeAreStoredAndAnnouncedBeforeTheDelegateHears)
{
    shell->setAuth(pf::Value(5), "t5");
    shell->setIntegral(300);
    struct Row {
        const pf::Protocol* type;
        const char* answer;
        long long integral;
        std::vector<std::string> events;
    } rows[] = {
        {proto::IZMRCoinTask(), R"({"error-code":0,"coin-results":"120"})", 120,
         {ZMRUserInfoChangedNotification, "success IZMRCoinTask uid=5"}},
        {proto::IZMRCoinTask(), R"({"error-code":0,"coin-results":0})", 0,
         {ZMRUserInfoChangedNotification, "success IZMRCoinTask uid=5"}},
        {proto::IZMRPrizeBuyTask(), R"({"error-code":0,"coin-results":9007199254740993})", 9007199254740993LL,
         {ZMRUserInfoChangedNotification, ZMRPrizeExchangedNotification, "success IZMRPrizeBuyTask uid=5"}},
        {proto::IZMRPrizeBuyTask(), R"({"error-code":0})", 9007199254740993LL,
         {ZMRPrizeExchangedNotification, "success IZMRPrizeBuyTask uid=5"}},
        {proto::IZMRCoinTask(), R"({"error-code":0,"coin-results":null})", 9007199254740993LL, {"success IZMRCoinTask uid=5"}},
        {proto::IZMRPrizeBuyTask(), R"({"error-code":14339,"error":"积分不足","coin-results":1})", 9007199254740993LL,
         {"fail IZMRPrizeBuyTask"}},
        {proto::IZMRCoinTask(), R"({"error-code":2,"error":{"x":1}})", 9007199254740993LL, {"fail IZMRCoinTask"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.answer);
        recorder->events.clear();
        recorder->errors.clear();
        if (row.type == proto::IZMRCoinTask())
            send(row.type, std::make_shared<ZMRCoinTask>());
        else
            send(row.type, std::make_shared<ZMRPrizeBuyTask>());
        respond(row.answer);
        EXPECT_EQ(recorder->events, row.events);
        EXPECT_EQ(shell->integral(), row.integral);
    }
    EXPECT_EQ(recorder->errors[0], (pf::Error{"ZMRCoinService", 2, ""}));

    // A transport failure is a failure, never an empty success.
    recorder->errors.clear();
    send(proto::IZMRPrizeBuyTask(), std::make_shared<ZMRPrizeBuyTask>());
    respondWith(pf::Value(), pf::Error{"KRHttpService", -3, "timed out"});
    ASSERT_EQ(recorder->errors.size(), 1u);
    EXPECT_EQ(recorder->errors[0], (pf::Error{"ZMRPrizeService", ZMRNotAnsweredCode, "timed out"}));
}

TEST_F(ZMRLikes, OnlyASuccessfulLikePostsAndItPostsFirst)
{
    shell->setAuth(pf::Value(5), "t5");
    struct Row {
        const pf::Protocol* type;
        std::shared_ptr<KRUplinkTask> task;
        pf::Value results;
        std::optional<pf::Error> transport;
        std::vector<std::string> events;
    } rows[] = {
        {proto::IZMRLikeTask(), std::make_shared<ZMRLikeTask>(), KRJSON::decodeText(R"({"error-code":0})"), std::nullopt,
         {ZMRLikeChangedNotification, "success IZMRLikeTask uid=5"}},
        {proto::IZMRUnLikeTask(), std::make_shared<ZMRUnLikeTask>(), KRJSON::decodeText(R"({"error-code":0})"), std::nullopt,
         {ZMRLikeChangedNotification, "success IZMRUnLikeTask uid=5"}},
        {proto::IZMRLikeTask(), std::make_shared<ZMRLikeTask>(), KRJSON::decodeText(R"({"error-code":3,"error":"no"})"),
         std::nullopt, {"fail IZMRLikeTask"}},
        {proto::IZMRUnLikeTask(), std::make_shared<ZMRUnLikeTask>(), pf::Value(), pf::Error{"KRAPIService", -2, "x"},
         {"fail IZMRUnLikeTask"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type->name());
        recorder->events.clear();
        recorder->errors.clear();
        send(row.type, row.task);
        respondWith(row.results, row.transport);
        EXPECT_EQ(recorder->events, row.events);
    }
    EXPECT_EQ(recorder->errors[0], (pf::Error{"ZMRLikeService", ZMRNotAnsweredCode, "x"}));

    auto other = std::make_shared<KRAPIResponseTask>();
    other->setTaskType(proto::IZMRFollowTask());
    other->setResultsData(KRJSON::decodeText(R"({"error-code":0,"coin-results":1})"));
    EXPECT_FALSE(shell->handle(proto::IKRAPIResponseTask(), other, 0));
}
