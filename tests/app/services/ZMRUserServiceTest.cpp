#include "SocialTestSupport.h"

#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/KRDataOutlet.h"
#include "platform/graphics/Bitmap.h"

namespace {

class ZMRUser : public SocialBus {
protected:
    std::shared_ptr<ZMRUpdateUserTask> update(bool withImage, const char* logo = nullptr)
    {
        auto task = std::make_shared<ZMRUpdateUserTask>();
        task->setNick("Annie");
        task->setAge(31);
        task->setCity("上海");
        if (logo)
            task->setLogo(logo);
        if (withImage)
            task->setLogoImage(*pf::Bitmap::create(640, 480));
        return task;
    }
};

}

TEST_F(ZMRUser, AGivenLogoOrNoPortraitSendsTheProfileAtOnce)
{
    send(proto::IZMRUpdateUserTask(), update(true, "http://x/1"));
    EXPECT_TRUE(uploads.uploads.empty());
    ASSERT_EQ(api.requests.size(), 1u);
    EXPECT_EQ(ownItems(*lastRequest()->body()), (std::vector<std::string>{"config=config_zmr", "taskType=ZMRUpdateUserTask", "zmr-nick=Annie",
                                                                  "zmr-age=31", "zmr-logo=http://x/1", "zmr-constellation=",
                                                                  "zmr-job=", "zmr-city=上海"}));
}

TEST_F(ZMRUser, APickedPortraitIsUploadedFirstAndOnlyAStoredImageIsSent)
{
    // The caller need not keep the update while its portrait uploads.
    std::weak_ptr<ZMRUpdateUserTask> task = send(proto::IZMRUpdateUserTask(), update(true));
    ASSERT_EQ(uploads.uploads.size(), 1u);
    EXPECT_TRUE(api.requests.empty());
    endUpload(uploads.uploads.size() - 1, R"({"error-code":0,"uri":"http://x/images/7"})");
    ASSERT_EQ(api.requests.size(), 1u);
    EXPECT_EQ(ownItems(*lastRequest()->body())[4], "zmr-logo=http://x/images/7");
    ASSERT_TRUE(task.lock());
    EXPECT_EQ(task.lock()->logo(), "http://x/images/7");

    struct Row {
        const char* answer; // null: a transport failure
        pf::Error error;
    } rows[] = {
        {nullptr, {"KRHttpService", -3, "timed out"}},
        {R"({"error-code":4,"error":"图片为空"})", {"ZMRUserService", 0, "上传头像失败"}},
        {R"({"uri":""})", {"ZMRUserService", 0, "上传头像失败"}},
        {R"({"uri":5})", {"ZMRUserService", 0, "上传头像失败"}},
        {R"({"uri":["a"]})", {"ZMRUserService", 0, "上传头像失败"}},
        {R"(["uri"])", {"ZMRUserService", 0, "上传头像失败"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.answer ? row.answer : "transport");
        recorder->events.clear();
        recorder->errors.clear();
        auto failing = send(proto::IZMRUpdateUserTask(), update(true));
        endUpload(uploads.uploads.size() - 1, row.answer);
        ASSERT_EQ(recorder->errors.size(), 1u);
        EXPECT_EQ(recorder->errors[0], row.error);
        EXPECT_EQ(recorder->events, std::vector<std::string>{"fail IZMRUpdateUserTask"});
        EXPECT_FALSE(failing->logo());
    }
    EXPECT_EQ(api.requests.size(), 1u);

    // Cancelling the update withdraws its upload; a late answer sends nothing.
    auto cancelled = send(proto::IZMRUpdateUserTask(), update(true));
    EXPECT_TRUE(shell->cancelHandle(proto::IZMRUpdateUserTask(), cancelled));
    ASSERT_EQ(uploads.cancels.size(), 1u);
    EXPECT_EQ(uploads.cancels[0], uploads.uploads.back());
    endUpload(uploads.uploads.size() - 1, R"({"uri":"late"})");
    EXPECT_EQ(api.requests.size(), 1u);
}

TEST_F(ZMRUser, OnlyASuccessfulAnswerChangesTheUserBeforeTheDelegateHears)
{
    shell->setAuth(pf::Value(5), "t5");
    shell->setNick("Old");
    struct Row {
        const char* answer;
        std::optional<std::string> nick;
        std::vector<std::string> events;
    } rows[] = {
        {R"({"error-code":0,"user-results":{"uid":5,"nick":"Annie","city":"上海"}})", "Annie",
         {ZMRUserInfoChangedNotification, "success IZMRUpdateUserTask uid=5"}},
        {R"({"error-code":0})", "Annie", {"success IZMRUpdateUserTask uid=5"}},
        {R"({"error-code":15365,"error":"昵称已存在，请尝试其他昵称","user-results":{"nick":"X"}})", "Annie",
         {"fail IZMRUpdateUserTask"}},
        {R"({"error-code":0,"user-results":{"nick":7}})", "7",
         {ZMRUserInfoChangedNotification, "success IZMRUpdateUserTask uid=5"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.answer);
        send(proto::IZMRUpdateUserTask(), update(false));
        auto request = lastRequest();
        recorder->events.clear();
        respond(row.answer, request);
        EXPECT_EQ(recorder->events, row.events);
        EXPECT_EQ(shell->nick(), row.nick);
    }
    EXPECT_EQ(dataForKeyPath(shell->userInfo(), "nick"), pf::Value(7));
    EXPECT_EQ(recorder->errors[0], (pf::Error{"ZMRUserService", 15365, "昵称已存在，请尝试其他昵称"}));
}
