#include "AppServerProcess.h"
#include "SocialTestSupport.h"

#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRAuthTasks.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/db/KRDownlinkService.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageCodec.h"
#include "platform/net/HttpConnection.h"

namespace {

class ZMRSocialRoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        registerAuthTestClasses();
        KRDownlinkService::resetSharedCache();
        ASSERT_TRUE(server.isRunning());
        std::string api = server.url();
        uploadUrl = api.substr(0, api.size() - 4) + "/upload";
        shell = ZMRShell::create(socialRoadConfig(api, uploadUrl), nullptr);
        recorder->shell = shell;
    }
    void TearDown() override
    {
        shell.reset();
        KRDownlinkService::resetSharedCache();
    }

    void signUp(const char* account, const char* nick)
    {
        auto task = std::make_shared<ZMRRegisterTask>();
        task->setAccount(account);
        task->setPassword("secret1");
        task->setNick(nick);
        ASSERT_TRUE(sendAndWait(shell, proto::IZMRRegisterTask(), task, recorder));
        ASSERT_TRUE(recorder->errors.empty());
        ASSERT_TRUE(shell->uid().isNumber());
        // The sign-in sends its own points request; let it land first.
        runMainUntil([&] { return recorder->results.size() + recorder->errors.size() >= 1; });
        runMainFor(0.3);
        reset();
    }
    void reset()
    {
        recorder->events.clear();
        recorder->errors.clear();
        recorder->results.clear();
    }
    // Sends and waits; the outcome's error, if any.
    std::optional<pf::Error> run(const pf::Protocol* type, const std::shared_ptr<KRUplinkTask>& task)
    {
        reset();
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

    TemporaryHome home;
    AppServerProcess server;
    std::string uploadUrl;
    std::shared_ptr<ZMRShell> shell;
    std::shared_ptr<UplinkRecorder> recorder = std::make_shared<UplinkRecorder>();
};

}

TEST_F(ZMRSocialRoad, LikesAndCommentsOnAPost)
{
    signUp("lia", "Liana");
    auto like = std::make_shared<ZMRLikeTask>();
    like->setPid(3);
    EXPECT_FALSE(run(proto::IZMRLikeTask(), like));
    EXPECT_EQ(dataForKeyPath(recorder->results[0], "likeCount").longLongValue(), 1);
    // Liking twice counts once.
    EXPECT_FALSE(run(proto::IZMRLikeTask(), like));
    EXPECT_EQ(dataForKeyPath(recorder->results[0], "likeCount").longLongValue(), 1);
    auto unlike = std::make_shared<ZMRUnLikeTask>();
    unlike->setPid(3);
    EXPECT_FALSE(run(proto::IZMRUnLikeTask(), unlike));
    EXPECT_EQ(dataForKeyPath(recorder->results[0], "likeCount").longLongValue(), 0);

    auto comment = std::make_shared<ZMRCommentTask>();
    comment->setPublishId(3);
    comment->setBody("好便宜");
    EXPECT_FALSE(run(proto::IZMRCommentTask(), comment));
    long long cid = dataForKeyPath(recorder->results[0], "comment-results.cid").longLongValue();
    EXPECT_GT(cid, 0);
    auto reply = std::make_shared<ZMRCommentTask>();
    reply->setCommentId(cid);
    reply->setBody("谢谢");
    EXPECT_FALSE(run(proto::IZMRCommentTask(), reply));
    EXPECT_EQ(dataForKeyPath(recorder->results[0], "comment-results.pid").longLongValue(), 3);
    auto empty = std::make_shared<ZMRCommentTask>();
    empty->setPublishId(3);
    auto error = run(proto::IZMRCommentTask(), empty);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain, "ZMRCommentService");

    shell->setAuth(pf::Value(), std::nullopt);
    error = run(proto::IZMRLikeTask(), like);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, (pf::Error{"ZMRLikeService", 15362, "登录凭证验证失败，请重新登录"}));
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
        EXPECT_EQ(dataForKeyPath(images->at(i), "width").stringValue(), std::to_string(expected[i].width) + ".000000");
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
    runMainFor(0.2);
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
    EXPECT_EQ(dataForKeyPath(shell->userInfo(), "age").longLongValue(), 28);
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
