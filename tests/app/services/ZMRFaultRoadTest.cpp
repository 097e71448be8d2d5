#include "ListTestSupport.h"
#include "SocialTestSupport.h"
#include "StoreTestSupport.h"

#include "app/screens/feed/ZMRFeedLikeTask.h"
#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRMessage.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "platform/graphics/Bitmap.h"
#include "tools/testserver/FaultServer.h"

#include <functional>

namespace {

const std::string unknown = "网络异常，无法确认是否已提交成功，请先查看，再决定是否重新提交";

// Every write and read of the application against a gateway that answers
// each request it has read with its own HTML error page.
class ZMRGatewayFaultRoad : public RoadBus {
protected:
    void SetUp() override
    {
        RoadBus::SetUp();
        gateway.setReply(502, "<html><head><title>502 Bad Gateway</title></head><body>bad gateway</body></html>");
        uploads.setReply(200, R"({"uri":"http://127.0.0.1:9/portrait.jpg"})");
        auto config = socialRoadConfig(gateway.url("/api"), uploads.url("/upload"));
        addStoreServices(config);
        startShell(config);
        shell->setAuth(pf::Value(7LL), std::string("token-7"));
    }
    // The message the person reads after sending `task`, and how many
    // requests of that server task reached the gateway.
    std::pair<std::string, std::size_t> send(const pf::Protocol* type, const std::shared_ptr<KRUplinkTask>& task,
                                             const char* serverTask)
    {
        std::string part = std::string("taskType=") + serverTask;
        std::size_t before = gateway.count("/api", part);
        recorder->clear();
        EXPECT_TRUE(sendAndWait(shell, type, task, recorder));
        std::string message = recorder->errors.empty() ? "(success)" : ZMRMessage(recorder->errors[0]);
        return {message, gateway.count("/api", part) - before};
    }

    zmr::FaultServer gateway;
    zmr::FaultServer uploads;
};

}

TEST_F(ZMRGatewayFaultRoad, AWriteAnsweredByAnErrorPageMayHaveBeenStoredAReadSaysTheServerFailed)
{
    auto portrait = pf::Bitmap::create(8, 8);
    ASSERT_TRUE(portrait);
    struct Row {
        const char* name;
        const pf::Protocol* type;
        std::function<std::shared_ptr<KRUplinkTask>()> make;
        const char* serverTask;
        std::string message;
    } rows[] = {
        {"ledger", proto::IZMRBooksCreateTask(), [] {
             auto task = std::make_shared<ZMRBooksCreateTask>();
             task->setPayMoney(12.5);
             return task;
         }, "ZMRBooksCreateTask", unknown},
        {"post", proto::IZMRPublishTask(), [] {
             auto task = std::make_shared<ZMRPublishTask>();
             task->setBody("买到了");
             return task;
         }, "ZMRPublishTask", unknown},
        {"comment", proto::IZMRCommentTask(), [] {
             auto task = std::make_shared<ZMRCommentTask>();
             task->setPublishId(3);
             task->setBody("好便宜");
             return task;
         }, "ZMRCommentTask", unknown},
        {"reply", proto::IZMRCommentTask(), [] {
             auto task = std::make_shared<ZMRCommentTask>();
             task->setCommentId(9);
             task->setBody("谢谢");
             return task;
         }, "ZMRCommentTask", unknown},
        {"follow", proto::IZMRFollowTask(), [] {
             auto task = std::make_shared<ZMRFollowTask>();
             task->setTuid(8);
             return task;
         }, "ZMRFollowTask", unknown},
        {"unfollow", proto::IZMRUnFollowTask(), [] {
             auto task = std::make_shared<ZMRUnFollowTask>();
             task->setTuid(8);
             return task;
         }, "ZMRUnFollowTask", unknown},
        {"nickname", proto::IZMRUpdateUserTask(), [] {
             auto task = std::make_shared<ZMRUpdateUserTask>();
             task->setNick("新昵称");
             return task;
         }, "ZMRUpdateUserTask", unknown},
        // The picture is stored; the profile that names it met the gateway.
        {"portrait", proto::IZMRUpdateUserTask(), [&] {
             auto task = std::make_shared<ZMRUpdateUserTask>();
             task->setLogoImage(*portrait);
             return task;
         }, "ZMRUpdateUserTask", unknown},
        {"exchange", proto::IZMRPrizeBuyTask(), [] {
             auto task = std::make_shared<ZMRPrizeBuyTask>();
             task->setProductId(1);
             task->setName("Pia");
             return task;
         }, "ZMRPrizeBuyTask", unknown},
        {"sign-up", proto::IZMRRegisterTask(), [] { return registration("ann", "secret1", "Annie"); }, "ZMRRegisterTask",
         unknown},
        // Repeating these is harmless: the server failed, nothing more.
        {"sign-in", proto::IZMRLoginTask(), [] { return login("ann", "secret1"); }, "ZMRLoginTask",
         "服务器出错（502），请稍后重试"},
        {"month of the ledger", proto::IZMRBooksSearchTask(), [] {
             auto task = std::make_shared<ZMRBooksSearchTask>();
             task->setStartTime(0);
             task->setEndTime(86400);
             return task;
         }, "ZMRBooksSearchTask", "服务器出错（502），请稍后重试"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto [message, reached] = send(row.type, row.make(), row.serverTask);
        EXPECT_EQ(message, row.message);
        EXPECT_EQ(reached, 1u);
    }

    // A like whose result is unknown stays shown; the server may keep it.
    auto entry = pf::Dictionary::create({{"pid", 3}, {"liked", false}, {"likedCount", 4}});
    recorder->clear();
    ZMRToggleLike(entry, *shell, recorder);
    ASSERT_TRUE(runMainUntil([&] { return !recorder->errors.empty(); }));
    EXPECT_EQ(ZMRMessage(recorder->errors[0]), unknown);
    EXPECT_EQ(entry->get("liked"), pf::Value(true));
    EXPECT_EQ(entry->get("likedCount").longLongValue(), 5);

    // A list page: the same failure reaches the list with its status.
    auto list = makeDataSource(shell, "ZMRFeedsTask", false);
    list->reloadData();
    ASSERT_TRUE(runMainUntil([&] { return !list->errors.empty(); }));
    EXPECT_EQ(ZMRMessage(list->errors[0]), "服务器出错（502），请稍后重试");
}
