#include "CallLayerTestSupport.h"

#include "platform/controls/BarItem.h"
#include "platform/controls/Label.h"
#include "platform/foundation/ApplicationNotifications.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Reachability.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "sdk/zz/APIResponse.h"
#include "sdk/zz/CorvanaOAuth.h"
#include "sdk/zz/SetUserHeaderImageUiKit.h"
#include "sdk/zz/UINotifyView.h"
#include "platform/controls/Toolbar.h"

#include <gtest/gtest.h>

#include <cairo.h>
#include <map>
#include <random>

namespace {

pf::ImageRef picture(int width, int height, bool noise = false)
{
    auto bitmap = pf::Bitmap::create(width, height, 1);
    if (!bitmap)
        return nullptr;
    (*bitmap)->fill(pf::Color::rgb(0.2, 0.5, 0.8));
    if (noise) {
        std::mt19937 random(7);
        auto* pixels = cairo_image_surface_get_data((*bitmap)->surface());
        int stride = cairo_image_surface_get_stride((*bitmap)->surface());
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width * 4; x++)
                pixels[y * stride + x] = (x % 4 == 3) ? 255 : static_cast<unsigned char>(random());
        cairo_surface_mark_dirty((*bitmap)->surface());
    }
    return pf::Image::create(*bitmap);
}

struct Uploader : setHeadImageDelegate {
    std::vector<int> cancelled;
    std::vector<pf::Size> cut;
    int answer = 5;
    int didFinishedSetUserLocalPic(SetHeadImageViewController&, const pf::ImageRef& image, const std::string&) override
    {
        cut.push_back(pf::Size { static_cast<double>(image->pixelWidth()), static_cast<double>(image->pixelHeight()) });
        return answer;
    }
    void didCancelled(int seq) override { cancelled.push_back(seq); }
};

struct HeardFace : CorvanaSessionDelegate {
    std::vector<std::shared_ptr<APIResponse>> answers;
    void setUserHeadpicResponse(const Response& response) override { answers.push_back(response); }
    std::vector<std::shared_ptr<SetHeadImageViewController>> closed;
    void corvanaOAuthDoCloseViewController(CorvanaOAuth&, const std::shared_ptr<SetHeadImageViewController>& screen) override
    {
        closed.push_back(screen);
    }
};

class Portrait : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.emplace();
        appWindow = pf::Window::create();
        appWindow->makeKeyAndVisible();
    }
    void TearDown() override
    {
        kit.reset();
        pf::Application::shared().setStatusBarHidden(false);
        appWindow = nullptr;
        pf::Screen::main().removeAllWindows();
        pf::setReachabilityTargetProvider({});
        host.reset();
    }
    std::shared_ptr<SetHeadImageViewController> show(const pf::ImageRef& image, const std::optional<std::string>& nick)
    {
        kit = std::make_unique<SetUserHeaderImageUiKit>("101452831");
        EXPECT_TRUE(kit->popSetHeadImageViewWnd(uploader, image, "", nick));
        auto screen = kit->screen();
        // The picture arrives once the screen is up.
        EXPECT_TRUE(pf::RunLoop::main().runUntil([&] {
            host->advance(0.02);
            return screen && screen->image();
        }, pf::Seconds(30)));
        return screen;
    }

    std::optional<pf::HeadlessHost> host;
    pf::WindowRef appWindow;
    std::unique_ptr<SetUserHeaderImageUiKit> kit;
    std::shared_ptr<Uploader> uploader = std::make_shared<Uploader>();
};

}

TEST(PortraitText, DisplaySizesAndNicknames)
{
    struct Size {
        double w, h, dw, dh;
    } sizes[] = { { 640, 960, 320, 480 }, { 3000, 2000, 480, 320 }, { 320, 320, 320, 320 } };
    for (const auto& row : sizes) {
        pf::Size shown = SetHeadImageViewController::ajustDisplaySize(pf::Size { row.w, row.h });
        EXPECT_DOUBLE_EQ(shown.width, row.dw);
        EXPECT_DOUBLE_EQ(shown.height, row.dh);
    }
    struct Nick {
        std::string in, out;
    } nicks[] = {
        { "abcdefghijklmnopqrstuvwxyz", "abcdefghijklmnopqrstuvw…" },
        { "一二三四五六七八九十一二", "一二三四五六七八九十一二" },
        { "一二三四五六七八九十一二三", "一二三四五六七八九十一…" },
        { "éé", "éé" },
        { "", "" },
    };
    for (const auto& row : nicks)
        EXPECT_EQ(SetHeadImageViewController::stringByCVOSDKTruncateWithDotAtLimit(24, row.in), row.out) << row.in;
}

TEST_F(Portrait, AScreenOfThePictureUnderTheFrame)
{
    auto screen = show(picture(640, 960), std::string("小明"));
    ASSERT_TRUE(screen);
    EXPECT_DOUBLE_EQ(screen->scrollView()->minimumZoomScale(), 0.5);
    EXPECT_DOUBLE_EQ(screen->scrollView()->maximumZoomScale(), 1.0);
    EXPECT_DOUBLE_EQ(screen->scrollView()->zoomScale(), 0.5);
    EXPECT_EQ(screen->nickLabel()->text(), "小明");
    EXPECT_EQ(pf::Application::shared().keyWindow(), kit->window());
    // "取消" and "选取" sit at the toolbar's edges, 60 points wide.
    std::map<std::string, pf::Rect> items;
    screen->toolbar()->layoutIfNeeded();
    for (const auto& view : screen->toolbar()->subviews())
        items[view->textContent()] = view->frame();
    double W = screen->toolbar()->bounds().width();
    EXPECT_EQ(items["取消"], pf::Rect(pf::Toolbar::kEdgeMargin, 5.5, 60, 44));
    EXPECT_EQ(items["选取"], pf::Rect(W - pf::Toolbar::kEdgeMargin - 60, 5.5, 60, 44));

    auto big = std::make_shared<SetHeadImageViewController>("1", "", uploader);
    big->setImage(picture(3000, 2000));
    EXPECT_EQ(big->image()->pixelWidth(), 2048);
    EXPECT_EQ(big->image()->pixelHeight(), 1365);
    big->setImage(picture(0, 10));
    EXPECT_EQ(big->image()->pixelWidth(), 2048) << "a picture with a zero side is refused";
    kit->doClose();
    EXPECT_FALSE(kit->window());
    EXPECT_EQ(pf::Application::shared().keyWindow(), appWindow);
}

TEST_F(Portrait, TheStatusBarIsHiddenWhileTheScreenShowsThenAsBefore)
{
    auto& application = pf::Application::shared();
    auto presenter = std::make_shared<pf::ViewController>();
    appWindow->setRootViewController(presenter);
    for (bool hiddenBefore : { false, true }) {
        for (bool ownWindow : { true, false }) {
            SCOPED_TRACE(std::string(hiddenBefore ? "hidden" : "shown") + " before, "
                         + (ownWindow ? "own window" : "presented"));
            application.setStatusBarHidden(hiddenBefore);
            if (ownWindow) {
                auto screen = show(picture(640, 960), std::nullopt);
                EXPECT_TRUE(application.isStatusBarHidden());
                screen->cancelBtnClick();
                kit->doClose();
            } else {
                auto screen = kit->getHeadImageViewController(uploader, picture(640, 960), "", std::nullopt);
                presenter->presentModalViewController(screen, false);
                EXPECT_TRUE(application.isStatusBarHidden());
                presenter->dismissModalViewControllerAnimated(false);
                ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return !presenter->modalViewController(); },
                                                         pf::Seconds(30)));
            }
            EXPECT_EQ(application.isStatusBarHidden(), hiddenBefore);
        }
    }
}

TEST_F(Portrait, ChoosingBeforeThePictureArrivesCanBeDoneAgain)
{
    pf::setReachabilityTargetProvider([](const pf::ReachabilityTarget&) { return 1u << 1; });
    auto screen = std::make_shared<SetHeadImageViewController>("101452831", "", uploader);
    appWindow->setRootViewController(screen);
    screen->selectBtnClick();
    EXPECT_FALSE(screen->selectBtn()->isEnabled());
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return screen->selectBtn()->isEnabled(); }, pf::Seconds(10)));
    EXPECT_FALSE(screen->isSetUserPic());
    EXPECT_EQ(screen->selectBtn()->title(), "选取");
    EXPECT_TRUE(uploader->cut.empty());
}

TEST_F(Portrait, CancelAndLowMemoryCloseAtOnce)
{
    auto screen = show(picture(640, 960), std::nullopt);
    screen->cancelBtnClick();
    host->memoryWarning();
    EXPECT_EQ(uploader->cancelled, (std::vector<int> { -1, -1 }));
    EXPECT_TRUE(uploader->cut.empty());
}

TEST_F(Portrait, ChoosingWithoutNetworkOffersARetry)
{
    pf::setReachabilityTargetProvider([](const pf::ReachabilityTarget&) { return 0u; });
    auto screen = show(picture(640, 960), std::nullopt);
    screen->selectBtnClick();
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return screen->notify() != nullptr; }, pf::Seconds(30)));
    EXPECT_EQ(screen->notify()->text(), "网络有问题，检查一下网络再重试:)");
    EXPECT_EQ(screen->selectBtn()->title(), "重试");
    EXPECT_TRUE(screen->selectBtn()->isEnabled());
    EXPECT_TRUE(uploader->cut.empty());
}

TEST_F(Portrait, ASuccessShowsTheToastAndClosesAfterIt)
{
    pf::setReachabilityTargetProvider([](const pf::ReachabilityTarget&) { return 1u << 1; });
    auto screen = show(picture(640, 960), std::nullopt);
    screen->selectBtnClick();
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return !uploader->cut.empty(); }, pf::Seconds(30)));
    EXPECT_NEAR(uploader->cut[0].width, 636, 1) << "the square under the frame";
    EXPECT_EQ(screen->seq(), 5);
    // An earlier screen's answer arriving now is not this upload's: its
    // success must not hide this upload's outcome.
    auto earlier = std::make_shared<APIResponse>();
    earlier->setSeq(4);
    earlier->setJsonResponse(pf::Dictionary::create({ { "ret", 0 } }));
    EXPECT_TRUE(kit->setViewControllerResponse(earlier));
    EXPECT_FALSE(screen->notify());
    EXPECT_EQ(screen->seq(), 5);
    EXPECT_TRUE(screen->isSetUserPic());
    auto answer = std::make_shared<APIResponse>();
    answer->setSeq(5);
    answer->setJsonResponse(pf::Dictionary::create({ { "ret", 0 } }));
    EXPECT_TRUE(kit->setViewControllerResponse(answer));
    ASSERT_TRUE(screen->notify());
    EXPECT_EQ(screen->notify()->text(), "设置成功");
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] {
        host->advance(0.05);
        return !uploader->cancelled.empty();
    }, pf::Seconds(30)));
    EXPECT_EQ(uploader->cancelled, std::vector<int> { -1 });

    auto refused = std::make_shared<APIResponse>();
    refused->setSeq(5);
    refused->setJsonResponse(pf::Dictionary::create({ { "ret", 100030 } }));
    screen->setUserHeadPicResponse(refused);
    EXPECT_FALSE(screen->notify()) << "an answer with no upload of this screen's in flight is not this screen's";
    screen->selectBtnClick();
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return uploader->cut.size() == 2; }, pf::Seconds(30)));
    screen->setUserHeadPicResponse(refused);
    ASSERT_TRUE(screen->notify());
    EXPECT_EQ(screen->notify()->text(), "设置出错了，请重新登录再尝试下呢:)");
    EXPECT_EQ(screen->selectBtn()->title(), "重试");
}

TEST(PortraitUpload, PngUpToItsLimitElseJpeg)
{
    auto small = CorvanaOAuth::portraitUploadData(picture(100, 100));
    ASSERT_TRUE(small);
    EXPECT_LE(small->size(), 102400u);
    EXPECT_EQ((*small)[1], 'P') << "PNG";
    auto noisy = CorvanaOAuth::portraitUploadData(picture(400, 400, true));
    ASSERT_TRUE(noisy);
    EXPECT_EQ((*noisy)[0], 0xFF) << "JPEG";
    EXPECT_EQ((*noisy)[1], 0xD8);
}

TEST(PortraitUpload, TheSessionUploadsAndRefusesOversizedPictures)
{
    ZZServerFixture zz;
    auto heard = std::make_shared<HeardFace>();
    auto session = std::make_shared<CorvanaOAuth>("101452831", heard);
    EXPECT_FALSE(session->setUserHeadpic(picture(10, 10), std::nullopt)) << "no session";
    session->setAccessToken(std::string("tok"));
    session->setOpenId(std::string("oid"));
    session->setExpirationDate(pf::Date { pf::Date::now().seconds + 3600 });
    EXPECT_TRUE(session->setUserHeadpic(picture(0, 10), std::nullopt));
    ASSERT_EQ(heard->answers.size(), 1u);
    EXPECT_EQ(heard->answers[0]->retCode(), 1);
    EXPECT_EQ(heard->answers[0]->detailRetCode(), 65536);

    // The answer reaches a screen handed out but not presented, whose view
    // never loaded: it stays as it was, and the delegate still hears.
    std::shared_ptr<SetHeadImageViewController> handedOut;
    EXPECT_TRUE(session->setUserHeadpic(picture(64, 64), std::nullopt, &handedOut));
    ASSERT_TRUE(handedOut);
    SetHeadImageViewController screen("101452831", "", {});
    int seq = session->didFinishedSetUserLocalPic(screen, picture(64, 64), "");
    EXPECT_GT(seq, 0);
    ASSERT_TRUE(ZZServerFixture::waitFor([&] { return heard->answers.size() == 2; }));
    EXPECT_EQ(heard->answers[1]->retCode(), 0);
    EXPECT_FALSE(handedOut->isViewLoaded());
    EXPECT_FALSE(handedOut->notify());
    auto sent = zz.server.received("/user/set_user_face");
    ASSERT_EQ(sent.size(), 1u);
    bool picture = false;
    for (const auto& part : sent[0].parts)
        picture = picture || (part.name == "picture" && part.content.size() > 8 && part.content[1] == 'P');
    EXPECT_TRUE(picture) << "the PNG as a part";
    EXPECT_EQ(session->liveRequestCount(), 0u);

    // A screen handed out is given back to its presenter to dismiss once done.
    std::shared_ptr<SetHeadImageViewController> toDismiss;
    EXPECT_TRUE(session->setUserHeadpic(::picture(64, 64), std::string("face"), &toDismiss));
    ASSERT_TRUE(toDismiss);
    session->didCancelled(-1);
    ASSERT_TRUE(ZZServerFixture::waitFor([&] { return !heard->closed.empty(); }));
    EXPECT_EQ(heard->closed, std::vector<std::shared_ptr<SetHeadImageViewController>> { toDismiss });
    EXPECT_FALSE(session->setUserHeaderImageKit()->headImageViewController()) << "the kit let it go";
}

TEST_F(Portrait, ANewToastTakesOverTheOldOnesRemoval)
{
    pf::setReachabilityTargetProvider([](const pf::ReachabilityTarget&) { return 1u << 1; });
    auto screen = show(picture(640, 960), std::nullopt);
    screen->selectBtnClick();
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return !uploader->cut.empty(); }, pf::Seconds(30)));
    screen->showNotify(nullptr, "网络有问题，检查一下网络再重试:)");
    auto success = std::make_shared<APIResponse>();
    success->setSeq(5);
    success->setJsonResponse(pf::Dictionary::create({ { "ret", 0 } }));
    screen->setUserHeadPicResponse(success);
    bool later = false;
    auto marker = pf::RunLoop::main().scheduleTimer(pf::Seconds(1.6), false, [&] { later = true; });
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] {
        host->advance(0.05);
        return later;
    }, pf::Seconds(30)));
    EXPECT_FALSE(screen->notify());
    EXPECT_EQ(uploader->cancelled, std::vector<int> { -1 }) << "the delegate hears once that the screen is done";
}

TEST_F(Portrait, TheToastsCornersAndBorderFollowItsSettings)
{
    appWindow->setBackgroundColor(pf::Color::whiteColor());
    auto toast = UINotifyView::notifyViewWithImage(nullptr, "");
    toast->setCurrentOpacity(1);
    toast->setFrame({ 20, 100, 280, 45 });
    appWindow->addSubview(toast);
    auto frame = host->render();
    ASSERT_TRUE(frame);
    EXPECT_TRUE(frame.value()->pixelAtPoint({ 21, 101 }).near({ 255, 255, 255, 255 }, 10)) << "a rounded corner";
    EXPECT_TRUE(frame.value()->pixelAtPoint({ 160, 100.5 }).near({ 0, 0, 0, 255 }, 10)) << "a clear border";
    // The box behind the picture and text takes the settings.
    const auto& box = toast->subviews().at(0);
    EXPECT_EQ(box->cornerRadius(), 10);
    toast->setRoundness(0);
    toast->setBorderColor(pf::Color::rgb(1, 0, 0));
    EXPECT_EQ(toast->roundness(), 0);
    EXPECT_EQ(box->cornerRadius(), 0);
    EXPECT_EQ(box->borderColor(), pf::Color::rgb(1, 0, 0));
    EXPECT_EQ(box->borderWidth(), 1);
    EXPECT_FALSE(toast->bordered());
    toast->setBordered(true);
    EXPECT_TRUE(toast->bordered());
}

TEST_F(Portrait, EachStepIsReported)
{
    ZZServerFixture zz;
    auto reports = [&] {
        std::vector<std::string> actions;
        for (const auto& seen : zz.server.received(zmr::ZZServer::reportPath))
            actions.push_back(seen.param("nValue").value_or("?") + (seen.param("elt") ? "+elt" : "")
                              + (seen.param("strValue") == "101452831" ? "" : " without the app id"));
        return actions;
    };
    // Each report is a request of its own: waiting for each keeps their order.
    auto step = [&](const std::function<void()>& action) {
        std::size_t before = zz.server.received(zmr::ZZServer::reportPath).size();
        action();
        return ZZServerFixture::waitFor([&] {
            return zz.server.received(zmr::ZZServer::reportPath).size() > before;
        });
    };
    auto success = std::make_shared<APIResponse>();
    success->setSeq(5);
    success->setJsonResponse(pf::Dictionary::create({ { "ret", 0 } }));
    auto failure = std::make_shared<APIResponse>();
    failure->setSeq(5);
    failure->setRetCode(1);

    std::shared_ptr<SetHeadImageViewController> screen;
    ASSERT_TRUE(step([&] { screen = show(picture(640, 960), std::string("nick")); }));
    ASSERT_TRUE(step([&] { host->drag({ 160, 300 }, { 160, 350 }); }));
    pf::setReachabilityTargetProvider([](const pf::ReachabilityTarget&) { return 0u; });
    ASSERT_TRUE(step([&] { screen->selectBtnClick(); }));
    ASSERT_TRUE(ZZServerFixture::waitFor([&] { return screen->selectBtn()->isEnabled(); }));
    pf::setReachabilityTargetProvider([](const pf::ReachabilityTarget&) { return 1u << 1; });
    ASSERT_TRUE(step([&] { screen->selectBtnClick(); })); // now "重试"
    ASSERT_TRUE(ZZServerFixture::waitFor([&] { return !uploader->cut.empty(); }));
    ASSERT_TRUE(step([&] { screen->setUserHeadPicResponse(failure); }));
    ASSERT_TRUE(step([&] { screen->selectBtnClick(); })); // "重试" again
    ASSERT_TRUE(ZZServerFixture::waitFor([&] { return uploader->cut.size() == 2; }));
    ASSERT_TRUE(step([&] { screen->setUserHeadPicResponse(success); }));
    ASSERT_TRUE(step([&] { screen->cancelBtnClick(); }));
    ASSERT_TRUE(step([&] { kit->doClose(); }));
    ASSERT_TRUE(step([&] { show(picture(64, 64), std::nullopt); }));
    ASSERT_TRUE(step([&] { kit->doClose(); }));
    EXPECT_EQ(reports(), (std::vector<std::string> { "10653", "10654", "10655+elt", "10657", "10660", "10657", "10658",
                                                     "10656+elt", "10659", "10653", "10661" }));
}

TEST_F(Portrait, BackInTheApplicationOnlyAnUnansweredChoiceIsMadeAgain)
{
    pf::setReachabilityTargetProvider([](const pf::ReachabilityTarget&) { return 1u << 1; });
    auto becameActive = [] { pf::NotificationCenter::defaultCenter().post(pf::ApplicationDidBecomeActiveNotification); };
    auto settle = [&] {
        bool later = false;
        auto marker = pf::RunLoop::main().scheduleTimer(pf::Seconds(0.2), false, [&] { later = true; });
        return pf::RunLoop::main().runUntil([&] { return later; }, pf::Seconds(30));
    };
    auto screen = show(picture(640, 960), std::nullopt);
    screen->selectBtnClick();
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return uploader->cut.size() == 1; }, pf::Seconds(30)));
    becameActive();
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return uploader->cut.size() == 2; }, pf::Seconds(30)))
        << "the unanswered choice is made again";

    // Refused twice (both squares): nothing is under way any more.
    uploader->answer = -1;
    auto failure = std::make_shared<APIResponse>();
    failure->setSeq(5);
    failure->setRetCode(1);
    screen->setUserHeadPicResponse(failure);
    screen->selectBtnClick();
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return uploader->cut.size() == 4; }, pf::Seconds(30)));
    EXPECT_TRUE(screen->selectBtn()->isEnabled());
    becameActive();
    ASSERT_TRUE(settle());
    EXPECT_EQ(uploader->cut.size(), 4u) << "a refused choice is not made again";

    // A picture with a zero side opens no screen.
    auto other = std::make_unique<SetUserHeaderImageUiKit>("101452831");
    EXPECT_FALSE(other->popSetHeadImageViewWnd(uploader, picture(0, 10), "", std::nullopt));
    EXPECT_FALSE(other->getHeadImageViewController(uploader, picture(10, 0), "", std::nullopt));
}
