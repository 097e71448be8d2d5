#include "SocialTestSupport.h"

#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRAuthTasks.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/KRDataOutlet.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageCodec.h"
#include "platform/net/HttpConnection.h"

namespace {

class ZMRSocialRoad : public RoadBus {
protected:
    void SetUp() override
    {
        RoadBus::SetUp();
        if (HasFatalFailure())
            return;
        std::string api = server.url();
        startShell(socialRoadConfig(api, api.substr(0, api.size() - 4) + "/upload"));
        // The sign-in sends its own points request; let it land first.
        waitForPoints = true;
    }
    // Sends and waits; the outcome's error, if any.
    std::optional<pf::Error> run(const pf::Protocol* type, const std::shared_ptr<KRUplinkTask>& task)
    {
        recorder->clear();
        EXPECT_TRUE(sendAndWait(shell, type, task, recorder));
        if (recorder->errors.empty())
            return std::nullopt;
        return recorder->errors[0];
    }

    static pf::BitmapRef picture(int width, int height, pf::Color colour)
    {
        auto bitmap = pf::Bitmap::create(width, height);
        (*bitmap)->fill(colour);
        return *bitmap;
    }
    // The picture served at an address, decoded.
    static pf::BitmapRef download(const std::string& uri)
    {
        auto fetched = pf::HttpConnection::sendSynchronousRequest(pf::HttpRequest(uri));
        if (!fetched || fetched->response.statusCode() != 200)
            return nullptr;
        auto decoded = pf::decodeImage(fetched->body.data(), fetched->body.size());
        return decoded ? *decoded : nullptr;
    }
};

}

TEST_F(ZMRSocialRoad, LikesAndCommentsOnAPost)
{
    signUp("lia", "Liana");
    auto like = std::make_shared<ZMRLikeTask>();
    like->setPid(3);
    auto unlike = std::make_shared<ZMRUnLikeTask>();
    unlike->setPid(3);
    // The seeded post has likes of others; un-liking what was never liked changes nothing.
    EXPECT_FALSE(run(proto::IZMRUnLikeTask(), unlike));
    long long others = dataForKeyPath(recorder->results[0], "likeCount").longLongValue();
    // Liking twice counts once.
    std::pair<std::shared_ptr<KRUplinkTask>, long long> steps[] = {{like, others + 1}, {like, others + 1}, {unlike, others}};
    for (auto [task, likes] : steps) {
        EXPECT_FALSE(run(task == like ? proto::IZMRLikeTask() : proto::IZMRUnLikeTask(), task));
        EXPECT_EQ(dataForKeyPath(recorder->results[0], "likeCount").longLongValue(), likes);
    }

    auto comment = [](long long pid, long long cid, const char* body) {
        auto task = std::make_shared<ZMRCommentTask>();
        task->setPublishId(pid);
        task->setCommentId(cid);
        if (body)
            task->setBody(body);
        return task;
    };
    EXPECT_FALSE(run(proto::IZMRCommentTask(), comment(3, 0, "好便宜")));
    long long cid = dataForKeyPath(recorder->results[0], "comment-results.cid").longLongValue();
    EXPECT_GT(cid, 0);
    EXPECT_FALSE(run(proto::IZMRCommentTask(), comment(0, cid, "谢谢")));
    EXPECT_EQ(dataForKeyPath(recorder->results[0], "comment-results.pid").longLongValue(), 3);
    EXPECT_EQ(run(proto::IZMRCommentTask(), comment(3, 0, nullptr)).value_or(pf::Error{}).domain, "ZMRCommentService");

    shell->setAuth(pf::Value(), std::nullopt);
    EXPECT_EQ(run(proto::IZMRLikeTask(), like), (pf::Error{"ZMRLikeService", 15362, "登录凭证验证失败，请重新登录"}));
}

TEST_F(ZMRSocialRoad, APostWithTwoPhotosEarnsPointsThatBuyAPrizeOnce)
{
    signUp("pia", "Piapia");
    EXPECT_FALSE(run(proto::IZMRCoinTask(), std::make_shared<ZMRCoinTask>()));
    EXPECT_EQ(shell->integral(), 0);
    auto prize = [](long long productId) {
        auto task = std::make_shared<ZMRPrizeBuyTask>();
        task->setProductId(productId);
        task->setName("Pia");
        task->setPhone("13800000000");
        task->setAddress("1 Harbour Road");
        return task;
    };
    EXPECT_EQ(run(proto::IZMRPrizeBuyTask(), prize(1)), (pf::Error{"ZMRPrizeService", 14339, "积分不足"}));

    auto post = std::make_shared<ZMRPublishTask>();
    post->setBody("两张照片");
    post->setImages(pf::Array::create({pf::Value(pf::Image::create(picture(1280, 960, pf::Color::rgb(1, 0, 0)))),
                                       pf::Value(pf::Image::create(picture(300, 200, pf::Color::rgb(0, 0, 1))))}));
    post->setPayMoney(12.5);
    EXPECT_FALSE(run(proto::IZMRPublishTask(), post));
    auto images = dataForKeyPath(recorder->results[0], "publish-results.images").array();
    ASSERT_TRUE(images);
    ASSERT_EQ(images->count(), 2u);
    struct Expected {
        int width, height;
        pf::Rgba8 colour;
    } expected[] = {{640, 480, {255, 0, 0, 255}}, {300, 200, {0, 0, 255, 255}}};
    for (std::size_t i = 0; i < 2; ++i) {
        auto served = download(dataForKeyPath(images->at(i), "uri").stringValue().value_or(""));
        ASSERT_NE(served, nullptr) << i;
        EXPECT_EQ(served->pixelWidth(), expected[i].width);
        EXPECT_EQ(served->pixelHeight(), expected[i].height);
        EXPECT_TRUE(served->pixel(expected[i].width / 2, expected[i].height / 2).near(expected[i].colour, 8)) << i;
    }

    EXPECT_FALSE(run(proto::IZMRCoinTask(), std::make_shared<ZMRCoinTask>()));
    EXPECT_EQ(shell->integral(), 100);
    EXPECT_FALSE(run(proto::IZMRPrizeBuyTask(), prize(1)));
    EXPECT_EQ(shell->integral(), 0);
    EXPECT_EQ(run(proto::IZMRPrizeBuyTask(), prize(1)), (pf::Error{"ZMRPrizeService", 15366, "已兑换过此奖品"}));
    EXPECT_EQ(run(proto::IZMRPrizeBuyTask(), prize(99)), (pf::Error{"ZMRPrizeService", 13572, "奖品已下架"}));
    EXPECT_EQ(shell->integral(), 0);
}

TEST_F(ZMRSocialRoad, AProfileWithANewPortraitIsStoredAndTheNicknameChanges)
{
    signUp("taken", "Takenick");
    shell->setAuth(pf::Value(), std::nullopt);
    signUp("rui", "Ruirui");
    auto profile = std::make_shared<ZMRUpdateUserTask>();
    profile->setNick("Ruby Rui");
    profile->setAge(28);
    profile->setJob("baker");
    profile->setLogoImage(picture(800, 600, pf::Color::rgb(0, 1, 0)));
    EXPECT_FALSE(run(proto::IZMRUpdateUserTask(), profile));
    EXPECT_EQ(shell->nick(), "Ruby Rui");
    auto logo = dataForKeyPath(shell->userInfo(), "logo").stringValue();
    ASSERT_TRUE(logo);
    EXPECT_EQ(profile->logo(), logo);
    EXPECT_EQ(dataForKeyPath(shell->userInfo(), "job").stringValue(), "baker");
    auto served = download(*logo);
    ASSERT_NE(served, nullptr);
    EXPECT_EQ(served->pixelWidth(), 160);
    EXPECT_EQ(served->pixelHeight(), 120);

    auto clash = std::make_shared<ZMRUpdateUserTask>();
    clash->setNick("Takenick");
    clash->setLogo(*logo);
    EXPECT_EQ(run(proto::IZMRUpdateUserTask(), clash), (pf::Error{"ZMRUserService", 15365, "昵称已存在，请尝试其他昵称"}));
    EXPECT_EQ(shell->nick(), "Ruby Rui");
}
