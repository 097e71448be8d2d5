// The own profile screen on the fixture: from the menu's "我的" entry, a new
// portrait from the album (at once without a camera, through the prompt
// with one), saved with the nickname and shown by the menu.

#include "tests/app/screens/AppScreenTest.h"

#include "tests/platform/graphics/PixelProbe.h"

#include "app/screens/account/ZMRMenuViewController.h"
#include "app/screens/account/ZMRMyViewController.h"
#include "framework/core/IKRImageTask.h"
#include "framework/ui/KRFoldViewController.h"
#include "framework/ui/KRImageView.h"
#include "framework/ui/KRPopWindow.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/AlertView.h"
#include "platform/controls/ImagePickerController.h"
#include "platform/controls/Keyboard.h"
#include "platform/controls/NavigationController.h"
#include "platform/controls/TextField.h"
#include "platform/graphics/Image.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

const pf::Color kGreen = pf::Color::rgb(0, 0.8, 0);

class MyScreen : public AppScreenTest {
protected:
    void SetUp() override
    {
        AppScreenTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(useAlbum(kGreen));
    }
    void TearDown() override
    {
        ZMRMyViewController::setCameraAvailableForTesting(nullptr);
        KRPopWindow::closeAll();
        AppScreenTest::TearDown();
    }

    std::shared_ptr<KRFoldViewController> fold() const
    {
        auto root = std::dynamic_pointer_cast<pf::NavigationController>(shell->rootViewController());
        return std::dynamic_pointer_cast<KRFoldViewController>(root ? root->topViewController() : nullptr);
    }
    std::shared_ptr<ZMRMenuViewController> menu() const
    {
        auto drawer = fold();
        return std::dynamic_pointer_cast<ZMRMenuViewController>(drawer ? drawer->leftViewController() : nullptr);
    }
    // Reached as a person reaches it: the menu's entry "我的".
    std::shared_ptr<ZMRMyViewController> openFromMenu()
    {
        auto drawer = fold();
        EXPECT_TRUE(drawer);
        if (!drawer)
            return nullptr;
        drawer->focusLeft(false);
        EXPECT_TRUE(settle());
        EXPECT_TRUE(tapText("我的"));
        return topController<ZMRMyViewController>();
    }
    // Taps "保存" without settling, so the sending state can be seen.
    void save(const std::shared_ptr<ZMRMyViewController>& my)
    {
        // A drawn frame lays the drawer out, which may animate it a moment.
        render();
        ASSERT_TRUE(settle());
        auto button = viewWithText("保存");
        ASSERT_TRUE(button);
        host->tap(middleOf(button));
        // On a slow machine the local server's answer can arrive while the
        // tap settles; until then the form shows it is sending.
        if (viewWithText("保存成功") || !pf::AlertView::visibleAlerts().empty())
            return;
        EXPECT_EQ(my->statusView()->status().value_or(""), "loading");
        EXPECT_FALSE(my->statusView()->isUserInteractionEnabled());
    }
    std::string userInfoLogo() const
    {
        auto info = shell->userInfo().dictionary();
        return info ? info->get("logo").stringValue().value_or("") : "";
    }
    std::shared_ptr<pf::ImagePickerController> picker() const
    {
        return std::dynamic_pointer_cast<pf::ImagePickerController>(shell->topPresentViewController());
    }
};

TEST_F(MyScreen, WithoutACameraTheAlbumOpensAtOnceAndTheSavedPortraitReachesTheMenu)
{
    auto my = openFromMenu();
    ASSERT_TRUE(my) << "the menu's entry opens the profile screen";
    EXPECT_EQ(my->alias(), "my");
    ASSERT_TRUE(my->imageView() && my->nickTextField() && my->statusView());
    EXPECT_EQ(my->nickTextField()->text(), "演示用户");
    std::string oldLogo = userInfoLogo();
    ASSERT_FALSE(oldLogo.empty());
    EXPECT_EQ(my->imageView()->src().value_or(""), oldLogo);
    ASSERT_TRUE(waitFor([&] { return my->imageView()->isLoaded(); }));
    ASSERT_TRUE(my->imageView()->image());
    EXPECT_EQ(my->logoImage(), my->imageView()->image()->bitmap()) << "unpicked, the loaded portrait is what a save sends";

    // Cancelling the picker keeps the portrait.
    auto shown = my->imageView()->image();
    tap(middleOf(my->imageView()));
    EXPECT_FALSE(KRPopWindow::topPopWindow()) << "no prompt without a camera";
    ASSERT_TRUE(picker()) << "the album picker is presented from the top of the screens";
    EXPECT_TRUE(picker()->allowsEditing());
    EXPECT_EQ(picker()->sourceType(), pf::ImagePickerSourceType::PhotoLibrary);
    ASSERT_TRUE(tapText("取消"));
    EXPECT_FALSE(picker());
    EXPECT_EQ(my->imageView()->image(), shown);

    tap(middleOf(my->imageView()));
    ASSERT_TRUE(picker());
    tap({40, 20 + 44 + 30}); // the album's first picture
    EXPECT_FALSE(picker()) << "picking closes the picker";
    ASSERT_TRUE(my->imageView()->image());
    EXPECT_NE(my->imageView()->image(), shown);
    EXPECT_EQ(my->imageView()->image()->pixelWidth(), 40) << "the edited (square) picture";
    EXPECT_TRUE(pixelIs(middleOf(my->imageView()), kGreen, 6));

    my->nickTextField()->setText("  演示妈妈 ");
    tap(middleOf(my->nickTextField()));
    ASSERT_TRUE(pf::Keyboard::shared().isVisible());
    save(my);
    ASSERT_TRUE(waitFor([&] { return viewWithText("保存成功") != nullptr; })) << "the toast confirms";
    EXPECT_FALSE(pf::Keyboard::shared().isVisible()) << "saving ends the typing";
    EXPECT_FALSE(my->statusView()->status());
    EXPECT_TRUE(my->statusView()->isUserInteractionEnabled());
    EXPECT_EQ(shell->rootViewController()->topController(), my) << "the screen stays";
    EXPECT_EQ(shell->nick().value_or(""), "演示妈妈");
    std::string newLogo = userInfoLogo();
    EXPECT_NE(newLogo, oldLogo) << "the server stored the uploaded portrait";

    auto side = menu();
    ASSERT_TRUE(side && side->imageView());
    EXPECT_EQ(side->imageView()->src().value_or(""), newLogo);
    ASSERT_TRUE(waitFor([&] { return side->imageView()->isLoaded() && side->imageView()->image(); }));
    auto bitmap = side->imageView()->image()->bitmap();
    ASSERT_TRUE(bitmap);
    EXPECT_TRUE(pf::test::pixelIs(*bitmap, {bitmap->size().width / 2, bitmap->size().height / 2}, kGreen, 12))
        << "the menu shows the new portrait";
    host->advance(1.3);
    EXPECT_FALSE(viewWithText("保存成功")) << "the toast is gone after 1.2 s";
}

TEST_F(MyScreen, WithACameraThePromptChoosesTheSourceAndOtherAnswersChangeNothing)
{
    ZMRMyViewController::setCameraAvailableForTesting([] { return true; });
    auto my = openFromMenu();
    ASSERT_TRUE(my);
    struct Row {
        const char* button;
        bool picker;
    } rows[] = {{"取消", false}, {"相册", true}, {"拍照", true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.button);
        tap(middleOf(my->imageView()));
        ASSERT_TRUE(KRPopWindow::topPopWindow()) << "the prompt asks first";
        EXPECT_TRUE(textFrame("更换头像"));
        EXPECT_FALSE(picker());
        ASSERT_TRUE(tapText(row.button));
        ASSERT_TRUE(settle());
        EXPECT_FALSE(KRPopWindow::topPopWindow());
        EXPECT_EQ(picker() != nullptr, row.picker);
        if (picker())
            ASSERT_TRUE(tapText("取消"));
        EXPECT_FALSE(picker());
    }
}

TEST_F(MyScreen, ThePlaceholderIsNeverSentAsThePortraitAndRefusalsKeepTheForm)
{
    auto my = openFromMenu();
    ASSERT_TRUE(my);
    ASSERT_TRUE(waitFor([&] { return my->imageView()->isLoaded(); }));
    long long uid = shell->uid().longLongValue();
    auto storedLogo = [&] {
        auto json = store->userJson(uid, uid, origin());
        return json ? *json : std::string();
    };

    // A portrait that cannot be fetched leaves the placeholder showing.
    my->imageView()->setSrc(origin() + "/images/none-such.png");
    shell->handle(proto::IKRImageTask(), my->imageView(), 0);
    ASSERT_TRUE(waitFor([&] { return my->imageView()->isLoaded(); }));
    ASSERT_TRUE(my->imageView()->image());
    EXPECT_EQ(my->imageView()->image(), my->imageView()->defaultImage());
    EXPECT_FALSE(my->logoImage()) << "the placeholder is not the user's portrait";
    std::string before = storedLogo();

    struct Row {
        const char* nick;
        const char* alert;
    } rows[] = {
        {"abc", "昵称至少4个字符,或2个汉字"},
        {"一二三四五六七八九十壹贰叁", "昵称最多24个字符,或12个汉字"},
        {"   ", "请输入昵称"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.nick);
        my->nickTextField()->setText(row.nick);
        ASSERT_TRUE(tapText("保存"));
        auto alerts = pf::AlertView::visibleAlerts();
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_EQ(alerts[0]->message(), row.alert);
        EXPECT_TRUE(tapText("确定"));
        EXPECT_FALSE(my->statusView()->status()) << "nothing was sent";
    }

    // Saved with the placeholder showing, the stored portrait stays.
    my->nickTextField()->setText("演示用户");
    save(my);
    ASSERT_TRUE(waitFor([&] { return viewWithText("保存成功") != nullptr; }));
    EXPECT_EQ(storedLogo(), before);

    // Refused by the server (another user's nickname): the message, and the form as it was.
    auto other = store->user(10002);
    ASSERT_TRUE(other && !other->nick.empty());
    host->advance(1.3); // the toast goes
    my->nickTextField()->setText(other->nick);
    save(my);
    ASSERT_TRUE(waitFor([] { return !pf::AlertView::visibleAlerts().empty(); }));
    EXPECT_FALSE(pf::AlertView::visibleAlerts()[0]->message().empty());
    EXPECT_TRUE(tapText("确定"));
    EXPECT_FALSE(my->statusView()->status());
    EXPECT_TRUE(my->statusView()->isUserInteractionEnabled());
    EXPECT_EQ(my->nickTextField()->text(), other->nick);
    EXPECT_EQ(shell->nick().value_or(""), "演示用户");
}

}
