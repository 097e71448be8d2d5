#include "SocialTestSupport.h"

#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"

namespace {

class ZMRPublish : public SocialBus {
protected:
    std::shared_ptr<ZMRPublishTask> post(std::vector<std::pair<int, int>> photos)
    {
        auto task = std::make_shared<ZMRPublishTask>();
        task->setBody("晚饭");
        auto images = pf::Array::create();
        for (auto [width, height] : photos)
            images->add(pf::Value(pf::Image::create(*pf::Bitmap::create(width, height))));
        task->setImages(images);
        return send(proto::IZMRPublishTask(), task);
    }
    std::vector<std::string> ownItems() const { return ::ownItems(*lastRequest()->body()); }
};

}

TEST_F(ZMRPublish, APostWithoutPhotosIsSentAtOnceWithItsItems)
{
    auto task = std::make_shared<ZMRPublishTask>();
    task->setBody("a & b");
    task->setTagObjects(pf::Array::create({pf::Dictionary::create({{"tag", "早餐"}}), pf::Dictionary::create({{"tag", "咖啡"}})}));
    task->setClassifyObjects(pf::Array::create({pf::Dictionary::create({{"cid", 4294967296LL}}), pf::Dictionary::create({{"cid", 7}})}));
    task->setLatitude(31.5);
    task->setLongitude(-121.25);
    task->setPayMoney(12.5);
    task->setExpendMoney(20);
    task->setToVoxly(true);
    task->setToZZ(true);
    send(proto::IZMRPublishTask(), task);
    EXPECT_TRUE(uploads.uploads.empty());
    ASSERT_EQ(api.requests.size(), 1u);
    EXPECT_EQ(ownItems(), (std::vector<std::string>{"config=config_zmr", "taskType=ZMRPublishTask", "zmr-body=a & b",
                                                     "zmr-tags=早餐,咖啡", "zmr-cids=4294967296,7", "zmr-latitude=31.500000",
                                                     "zmr-longitude=-121.250000", "zmr-payMoney=12.500000",
                                                     "zmr-expendMoney=20.000000", "zmr-toVoxly=1", "zmr-toZZ=1"}));
}

TEST_F(ZMRPublish, ThePostIsSentOnceAfterTheLastUploadWithImagesInPhotoOrder)
{
    post({{1280, 960}, {320, 240}, {640, 480}});
    ASSERT_EQ(uploads.uploads.size(), 3u);
    EXPECT_TRUE(api.requests.empty());
    endUpload(2, R"({"uri":"u3"})");
    endUpload(0, R"({"uri":"u1"})");
    EXPECT_TRUE(api.requests.empty());
    endUpload(1, R"({"uri":"u2","extra":1})");
    ASSERT_EQ(api.requests.size(), 1u);
    auto items = ownItems();
    EXPECT_EQ(items[5], R"(zmr-images=[{"uri":"u1","width":"640.000000","height":"480.000000"},)"
                        R"({"uri":"u2","width":"320.000000","height":"240.000000"},)"
                        R"({"uri":"u3","width":"640.000000","height":"480.000000"}])");
    // A repeated outcome of a finished post changes nothing.
    endUpload(1, R"({"uri":"u2"})");
    endUpload(0, nullptr);
    EXPECT_EQ(api.requests.size(), 1u);
    EXPECT_TRUE(recorder->events.empty());

    auto request = lastRequest();
    shell->setAuth(pf::Value(5), "t5");
    recorder->events.clear();
    respond(R"({"error-code":0,"publish-results":{"pid":1001}})", request);
    respond(R"({"error-code":15363,"error":"重复发布"})", request);
    respondWith(pf::Value(), pf::Error{"KRAPIService", -2, "x"}, request);
    EXPECT_EQ(recorder->events,
              (std::vector<std::string>{"success IZMRPublishTask uid=5", "fail IZMRPublishTask", "fail IZMRPublishTask"}));
    EXPECT_EQ(recorder->errors[0], (pf::Error{"ZMRPublishService", 15363, "重复发布"}));
    EXPECT_EQ(recorder->errors[1], (pf::Error{"ZMRPublishService", ZMRNotAnsweredCode, "x"}));
}

TEST_F(ZMRPublish, TheFirstBadUploadEndsThePostWithOneFailure)
{
    struct Row {
        const char* answer; // null: a transport failure
        pf::Error error;
    } rows[] = {
        {nullptr, {"KRHttpService", -3, "timed out"}},
        {R"({"error-code":4,"error":"图片为空"})", {"ZMRPublishService", 0, "上传图片失败"}},
        {R"({"uri":""})", {"ZMRPublishService", 0, "上传图片失败"}},
        {R"({"uri":12})", {"ZMRPublishService", 0, "上传图片失败"}},
        {R"({"uri":null})", {"ZMRPublishService", 0, "上传图片失败"}},
        {R"(["uri"])", {"ZMRPublishService", 0, "上传图片失败"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.answer ? row.answer : "transport");
        uploads.uploads.clear();
        recorder->events.clear();
        recorder->errors.clear();
        post({{10, 10}, {10, 10}, {10, 10}});
        ASSERT_EQ(uploads.uploads.size(), 3u);
        endUpload(0, R"({"uri":"u1"})");
        endUpload(1, row.answer);
        endUpload(2, nullptr);
        ASSERT_EQ(recorder->errors.size(), 1u);
        EXPECT_EQ(recorder->errors[0], row.error);
        EXPECT_EQ(recorder->events, std::vector<std::string>{"fail IZMRPublishTask"});
    }
    EXPECT_TRUE(api.requests.empty());
}

TEST_F(ZMRPublish, CancellingWithdrawsTheUploadsAndNothingIsSent)
{
    auto task = post({{10, 10}, {10, 10}});
    ASSERT_EQ(uploads.uploads.size(), 2u);
    endUpload(0, R"({"uri":"u1"})");
    EXPECT_TRUE(shell->cancelHandle(proto::IZMRPublishTask(), task));
    ASSERT_EQ(uploads.cancels.size(), 1u);
    EXPECT_EQ(uploads.cancels[0], uploads.uploads[1]);
    ASSERT_EQ(api.cancels.size(), 1u);
    EXPECT_EQ(api.cancels[0]->task(), task);

    // Withdrawing every task of the source does the same.
    post({{10, 10}, {10, 10}});
    ASSERT_EQ(uploads.uploads.size(), 4u);
    shell->cancelHandleForSource(source.get());
    for (std::size_t i : {2u, 3u})
        EXPECT_NE(std::find(uploads.cancels.begin(), uploads.cancels.end(), uploads.uploads[i]), uploads.cancels.end()) << i;

    endUpload(1, R"({"uri":"u2"})");
    endUpload(2, R"({"uri":"u3"})");
    endUpload(3, R"({"uri":"u4"})");
    pf::RunLoop::main().runUntilIdle();
    EXPECT_TRUE(api.requests.empty());
    EXPECT_TRUE(recorder->events.empty());
}
