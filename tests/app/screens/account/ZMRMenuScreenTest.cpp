// The side menu on the fixture: the signed-in user's portrait, nickname and
// points, following user-information changes, and the sign-out sheet.

#include "tests/app/screens/AppScreenTest.h"

#include "app/screens/account/ZMRLoginViewController.h"
#include "app/screens/account/ZMRMenuViewController.h"
#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/ui/KRFoldViewController.h"
#include "framework/ui/KRImageView.h"
#include "platform/controls/NavigationController.h"
#include "platform/foundation/Collections.h"

namespace {

class MenuScreen : public AppScreenTest {
protected:
    std::shared_ptr<KRFoldViewController> fold() const
    {
        auto root = std::dynamic_pointer_cast<pf::NavigationController>(shell->rootViewController());
        return std::dynamic_pointer_cast<KRFoldViewController>(root ? root->topViewController() : nullptr);
    }
    // Opens the drawer's side, as the home screen's menu button does.
    std::shared_ptr<ZMRMenuViewController> openMenu()
    {
        auto drawer = fold();
        EXPECT_TRUE(drawer) << "the signed-in start page is the drawer";
        if (!drawer)
            return nullptr;
        drawer->focusLeft(false);
        EXPECT_TRUE(settle());
        return std::dynamic_pointer_cast<ZMRMenuViewController>(drawer->leftViewController());
    }
    long long demoUid() const { return shell->uid().longLongValue(); }
};

TEST_F(MenuScreen, ShowsThePortraitNicknameAndPointsAndFollowsACoinTask)
{
    auto menu = openMenu();
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->url()->absoluteString(), "root:///menu");
    EXPECT_TRUE(textFrame("演示用户"));
    std::string shown = "积分 " + std::to_string(shell->integral());
    EXPECT_TRUE(textFrame(shown)) << shown;

    auto portrait = menu->imageView();
    ASSERT_TRUE(portrait);
    auto logo = shell->userInfo().dictionary() ? shell->userInfo().dictionary()->get("logo").stringValue() : std::nullopt;
    ASSERT_TRUE(logo) << "the sign-in check stores the user with a portrait";
    EXPECT_EQ(portrait->src().value_or(""), *logo);
    ASSERT_TRUE(waitFor([&] { return portrait->isLoaded() && portrait->image(); }));
    EXPECT_NE(portrait->image(), portrait->defaultImage()) << "the user's own portrait, not the placeholder";
    pf::Rect frame = portrait->convertRectToView(portrait->bounds(), nullptr);
    EXPECT_FALSE(pixelIs({frame.midX(), frame.midY()}, pf::Color::rgb(0x3d / 255.0, 0x34 / 255.0, 0x31 / 255.0)))
        << "the portrait covers the menu's background";

    // Points earned elsewhere arrive with the next coin task.
    ASSERT_TRUE(store->addPoints(demoUid(), 40));
    long long points = store->points(demoUid());
    shell->handle(proto::IZMRCoinTask(), std::make_shared<ZMRCoinTask>(), 0);
    std::string updated = "积分 " + std::to_string(points);
    EXPECT_TRUE(waitFor([&] { return textFrame(updated).has_value(); })) << updated;
    EXPECT_TRUE(portrait->isLoaded() && portrait->image()) << "the portrait is sent again";
}

TEST_F(MenuScreen, TheSheetCancelsOrSignsOutToTheSignInScreen)
{
    ASSERT_TRUE(openMenu());
    ASSERT_TRUE(tapText("注销"));
    ASSERT_TRUE(viewWithText("取消"));
    EXPECT_TRUE(tapText("取消"));
    EXPECT_FALSE(viewWithText("取消"));
    EXPECT_TRUE(shell->uid().isNumber()) << "cancelling keeps the sign-in";
    EXPECT_TRUE(fold());

    ASSERT_TRUE(tapText("注销")); // the menu's entry
    ASSERT_TRUE(tapText("注销")); // the sheet's button, in front
    EXPECT_FALSE(shell->uid().isNumber());
    EXPECT_TRUE(topController<ZMRLoginViewController>())
        << "signed out, the anonymous start page shows";
}

// The entry "首页" closes the drawer onto the home screen.
TEST_F(MenuScreen, TheHomeEntryShowsTheCentreAgain)
{
    ASSERT_TRUE(openMenu());
    auto drawer = fold();
    auto centre = drawer->centerViewController()->view();
    EXPECT_GT(centre->frame().x(), 0);
    ASSERT_TRUE(tapText("首页"));
    EXPECT_EQ(centre->frame().x(), 0);
    auto top = shell->rootViewController()->topController();
    ASSERT_TRUE(top);
    EXPECT_EQ(top->alias(), "home");
}

TEST_F(MenuScreen, ReleasingTheMenuWithdrawsThePortraitsDownload)
{
    // The home feed may have shown the user's portrait already: a new one
    // that nothing has fetched yet.
    auto info = shell->userInfo().dictionary();
    ASSERT_TRUE(info);
    auto changed = pf::Dictionary::create();
    for (const auto& key : info->keys())
        changed->set(key, info->get(key));
    changed->set("logo", pf::Value(origin() + "/images/portrait-unseen.png"));
    ASSERT_TRUE(store->addGeneratedImage("portrait-unseen.png", "portrait:4242"));
    shell->setUserInfo(pf::Value(changed));
    auto made = shell->getViewController(*pf::URL::create("root:///menu"), "/");
    auto menu = std::dynamic_pointer_cast<ZMRMenuViewController>(made);
    ASSERT_TRUE(menu);
    menu->view(); // loading the view fills the outlets and sends the portrait
    auto portrait = menu->imageView();
    ASSERT_TRUE(portrait);
    ASSERT_TRUE(portrait->isLoading()) << "nothing of the portrait is cached yet";
    made.reset();
    menu.reset();
    EXPECT_FALSE(portrait->isLoading());
    EXPECT_TRUE(settle());
    EXPECT_FALSE(portrait->isLoaded()) << "the picture never arrives";
}

}
