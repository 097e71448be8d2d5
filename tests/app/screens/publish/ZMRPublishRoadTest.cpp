// Publishing end to end against the local application server, as a person
// does it: the form filled by taps (pictures from the album, amounts on the
// keypad, the keyboard put away by a tap beside the fields, categories, a
// tag), "发布", the toast and the way back, then the
// post at the head of the user's feed list with its pictures, labels and
// saving. Binding Voxly from the form goes through the Voxly web stand-in.

#include "tests/app/screens/AppScreenTest.h"
#include "tests/app/screens/UserFeedTable.h"

#include "tests/platform/graphics/PixelProbe.h"

#include "app/screens/publish/ZMRClassifyController.h"
#include "app/screens/publish/ZMRClassifyItemControl.h"
#include "app/screens/feed/ZMRFeedController.h"
#include "app/screens/publish/ZMRPublishController.h"
#include "app/screens/publish/ZMRTagController.h"
#include "app/screens/publish/ZMRTagItemControl.h"
#include "app/screens/people/ZMRUserFeedDataSource.h"
#include "app/services/ZMRClassifyObject.h"
#include "framework/core/IKRImageTask.h"
#include "framework/data/KRTableView.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/ui/KRImageView.h"
#include "framework/ui/KRStatusView.h"
#include "framework/ui/KRViewController.h"
#include "platform/controls/AlertView.h"
#include "platform/controls/ImagePickerController.h"
#include "platform/controls/Keyboard.h"
#include "platform/controls/TextView.h"
#include "platform/controls/WebView.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/net/TrustAnchors.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "sdk/voxly/VXAuthorizeWebView.h"
#include "sdk/voxly/VoxlySDK.h"
#include "tests/sdk/PeerAppSupport.h"
#include "tests/sdk/zz/ZZShellSupport.h"
#include "tools/voxlyweb/VoxlyWebServer.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

const pf::Color kRed = pf::Color::rgb(0.85, 0.1, 0.1);
const pf::Color kBlue = pf::Color::rgb(0.1, 0.2, 0.85);

class PublishRoad : public AppScreenTest {
protected:
    explicit PublishRoad(Resources resources = Resources::Source) : AppScreenTest(Start::SignedIn, resources) {}
    void SetUp() override
    {
        // The device folder (installed apps, boards) is this test's own from
        // the launch on, so the peers and the shell find each other there.
        m_dir = std::filesystem::temp_directory_path() / ("zmr-publish-road-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir / "device");
        setenv("ZMR_DEVICE_DIR", (m_dir / "device").c_str(), 1);
        AppScreenTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(useAlbum(kRed, "1-red.png"));
        ASSERT_TRUE(useAlbum(kBlue, "2-blue.png"));
    }
    void TearDown() override
    {
        for (auto& alert : pf::AlertView::visibleAlerts())
            alert->dismissWithClickedButtonIndex(-1, false);
        if (table)
            table->removeFromSuperview();
        if (voxlyWeb) {
            VoxlySDK::resetForTesting();
            VoxlySDK::setSettings({});
            pf::setExtraCAFile(std::nullopt);
        }
        unsetenv("ZMR_DEVICE_DIR");
        AppScreenTest::TearDown();
        voxlyWeb.reset();
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    // Opened from the home screen, where the publish menu is.
    std::shared_ptr<ZMRPublishController> openForm(const std::string& name)
    {
        EXPECT_TRUE(open("root:///root/fold/center/home"));
        EXPECT_TRUE(open("root:///root/fold/center/home/" + name));
        auto screen = topController<KRViewController>();
        EXPECT_TRUE(screen);
        if (!screen)
            return nullptr;
        m_screen = screen;
        for (const pf::Value& item : *screen->controllers())
            if (auto form = std::dynamic_pointer_cast<ZMRPublishController>(item.object()))
                return form;
        ADD_FAILURE() << "no form on " << name;
        return nullptr;
    }
    bool formIsShown() const { return shell->rootViewController()->topController() == m_screen.lock(); }
    // Fills a slot from the album with the picture of that file name.
    void pick(const std::shared_ptr<ZMRPublishController>& form, std::size_t slot, const std::string& file)
    {
        auto holder = std::dynamic_pointer_cast<pf::View>(form->imageViews()->at(slot).object());
        ASSERT_TRUE(holder);
        tap(middleOf(holder));
        ASSERT_TRUE(tapText("相册"));
        auto picker = std::dynamic_pointer_cast<pf::ImagePickerController>(shell->topPresentViewController());
        ASSERT_TRUE(picker);
        const auto& paths = picker->imagePaths();
        auto at = std::find_if(paths.begin(), paths.end(), [&](const std::string& p) { return p.ends_with(file); });
        ASSERT_NE(at, paths.end());
        ASSERT_TRUE(picker->pickImageAtIndex(std::size_t(at - paths.begin())));
        ASSERT_TRUE(settle());
    }
    // The signed-in user's own posts, as a test screen's feed list.
    void showUserFeed()
    {
        feed = std::make_shared<ZMRUserFeedDataSource>();
        rows = std::make_shared<ZMRFeedController>();
        table = std::make_shared<KRTableView>(pf::Rect{0, 64, 320, 504});
        showUserFeedTable(shell, shell->uid().longLongValue(), feed, rows, table);
        ASSERT_TRUE(waitFor([&] { return feed->count() > 0 && table->cellForRowAtIndexPath({0, 0}); }));
        ASSERT_TRUE(settle());
    }
    // The texts of the labels inside the first row's element `id`.
    std::string firstRowTexts(std::string_view id) const
    {
        auto element = rows->documentByIndexPath({0, 0})->elementById(id);
        std::string out;
        if (!element)
            return "(none)";
        for (const auto& child : element->childs())
            if (!child->text().empty())
                out += child->text() + " ";
        return out;
    }
    // The picture at `url` as the image service loads it; null when it does not.
    pf::BitmapRef download(const std::string& url)
    {
        auto view = std::make_shared<KRImageView>(pf::Rect{0, 0, 64, 48});
        view->setSrc(url);
        shell->handle(proto::IKRImageTask(), view, 0);
        if (!waitFor([&] { return view->isLoaded(); }) || !view->image())
            return nullptr;
        return view->image()->bitmap();
    }

    // Voxly's web pages on loopback, trusted, and the shell pointed at them.
    void useVoxlyWeb()
    {
        voxlyWeb = std::make_unique<zmr::VoxlyWebServer>();
        ASSERT_TRUE(voxlyWeb->isRunning());
        std::string ca = (m_dir / "voxly-ca.pem").string();
        ASSERT_TRUE(voxlyWeb->writeCA(ca));
        pf::setExtraCAFile(ca);
        shell->useVoxlyServer(voxlyWeb->origin());
    }

    // Runs the Natter stand-in with `arguments` to its end; its exit status.
    static int runNatterApp(std::vector<std::string> arguments)
    {
        return sdk::test::runPeerApp(NATTERAPP_PATH, std::move(arguments));
    }
    std::string inbox() const { return (m_dir / "natter-inbox").string(); }

    std::unique_ptr<zmr::VoxlyWebServer> voxlyWeb;
    std::shared_ptr<ZMRUserFeedDataSource> feed;
    std::shared_ptr<ZMRFeedController> rows;
    std::shared_ptr<KRTableView> table;

private:
    std::filesystem::path m_dir;
    std::weak_ptr<KRViewController> m_screen;
};

// The form over the build's resources (the signed script package) with the
// ZZ stand-in.
class PublishRoadZZ : public PublishRoad {
protected:
    PublishRoadZZ() : PublishRoad(Resources::Built) {}
    void SetUp() override
    {
        zz.emplace();
        PublishRoad::SetUp();
    }
    void TearDown() override
    {
        PublishRoad::TearDown();
        zz.reset();
    }

    std::optional<ZZStandIn> zz;
};

}

TEST_F(PublishRoad, APostWithTwoPicturesTwoCategoriesAndATagLeadsTheUserFeed)
{
    auto form = openForm("publish-feed");
    ASSERT_TRUE(form && form->classifyController() && form->tagController());

    tap(middleOf(form->payMoneyField()));
    keys("1 0 0 ok 6 2 . 5 ok");
    EXPECT_EQ(form->payMoneyField()->text(), "100");
    EXPECT_EQ(form->expendMoneyField()->text(), "62.5");
    ASSERT_TRUE(form->bodyTextView()->isFirstResponder()) << "ok moved on to the body";
    type("两张图的好价");
    // With the text keyboard up the form ends above it and scrolls down to
    // the categories and tags.
    auto content = form->contentView();
    pf::Rect keyboard = pf::Keyboard::shared().frame();
    EXPECT_EQ(content->convertRectToView(content->bounds(), nullptr).maxY(), keyboard.y());
    wheel({160, 200}, {0, 400});
    auto strip = form->tagController()->contentView();
    EXPECT_LE(strip->convertRectToView(strip->bounds(), nullptr).maxY(), keyboard.y()) << "the tags show";
    wheel({160, 200}, {0, -400});
    // A tap beside the fields ends the body and the keyboard goes down.
    pf::Point beside = middleOf(std::dynamic_pointer_cast<pf::View>(form->imageViews()->at(2).object()));
    beside.x += 70;
    tap(beside);
    ASSERT_FALSE(form->bodyTextView()->isFirstResponder()) << "the tap ended the body";
    ASSERT_FALSE(pf::Keyboard::shared().isVisible());
    EXPECT_EQ(content->convertRectToView(content->bounds(), nullptr).maxY(), pf::Screen::main().bounds().height());

    std::vector<std::shared_ptr<ZMRClassifyItemControl>> categories;
    for (const auto& view : form->classifyController()->contentView()->subviews())
        if (auto item = std::dynamic_pointer_cast<ZMRClassifyItemControl>(view))
            categories.push_back(item);
    ASSERT_GE(categories.size(), 2u) << "the seeded categories";
    std::vector<std::shared_ptr<ZMRTagItemControl>> tags;
    for (const auto& view : form->tagController()->contentView()->subviews())
        if (auto item = std::dynamic_pointer_cast<ZMRTagItemControl>(view))
            tags.push_back(item);
    ASSERT_GE(tags.size(), 1u) << "the seeded tags";
    tap(middleOf(categories[0]));
    tap(middleOf(categories[1]));
    tap(middleOf(tags[0]));
    ASSERT_TRUE(categories[0]->isSelected() && categories[1]->isSelected() && tags[0]->isSelected());
    pick(form, 0, "1-red.png");
    pick(form, 2, "2-blue.png");
    std::string first = categories[0]->dataObject()->title().value_or("?");
    std::string second = categories[1]->dataObject()->title().value_or("?");
    long long firstCid = categories[0]->dataObject()->cid(), secondCid = categories[1]->dataObject()->cid();
    std::string tag = tags[0]->dataObject()->tag().value_or("?");

    ASSERT_TRUE(tapButtonTitled("发布"));
    ASSERT_TRUE(waitFor([&] { return viewWithText("发布成功") != nullptr; })) << "the toast confirms";
    ASSERT_TRUE(settle());
    EXPECT_EQ(topURL(), "root:///root/fold/center/home") << "the screen went back";
    EXPECT_TRUE(pf::AlertView::visibleAlerts().empty());

    showUserFeed();
    auto entry = feed->dataObjectAtIndex(0).dictionary();
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->get("body").stringValue().value_or(""), "两张图的好价") << "the post leads the feed";
    EXPECT_EQ(entry->get("payMoney").doubleValue(), 100);
    EXPECT_EQ(entry->get("expendMoney").doubleValue(), 62.5);
    auto cids = entry->get("cids").array();
    ASSERT_TRUE(cids);
    ASSERT_EQ(cids->count(), 2u);
    EXPECT_EQ(cids->at(0).longLongValue(), firstCid);
    EXPECT_EQ(cids->at(1).longLongValue(), secondCid);
    EXPECT_EQ(firstRowTexts("tags"), first + " " + second + " " + tag + " ");
    EXPECT_EQ(firstRowTexts("money"), "省¥ 37.5 ");
    EXPECT_TRUE(textFrame("两张图的好价"));

    // Both pictures reached the server in slot order, each its own colour.
    auto images = entry->get("images").array();
    ASSERT_TRUE(images);
    ASSERT_EQ(images->count(), 2u);
    const pf::Color expected[] = {kRed, kBlue};
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        std::string uri = images->at(i).dictionary() ? images->at(i).dictionary()->get("uri").stringValue().value_or("") : "";
        ASSERT_FALSE(uri.empty());
        auto bitmap = download(uri);
        ASSERT_TRUE(bitmap);
        EXPECT_TRUE(pf::test::pixelIs(*bitmap, {bitmap->size().width / 2, bitmap->size().height / 2}, expected[i], 14));
    }
}

TEST_F(PublishRoad, ABargainWithoutAUsualPriceLeadsTheFeedWithoutASaving)
{
    auto form = openForm("publish-cheap");
    ASSERT_TRUE(form);
    EXPECT_FALSE(form->payMoneyField());
    tap(middleOf(form->bodyTextView()));
    type("特价鸡蛋 9.9");
    tap(middleOf(form->expendMoneyField()));
    keys("9 . 9 ok");
    type("\n");
    ASSERT_TRUE(tapButtonTitled("发布"));
    ASSERT_TRUE(waitFor([&] { return viewWithText("发布成功") != nullptr; }));
    ASSERT_TRUE(settle());
    EXPECT_EQ(topURL(), "root:///root/fold/center/home");
    EXPECT_TRUE(viewWithText("发布成功")) << "the toast stays over the screen gone back to";
    host->advance(1.3);
    EXPECT_FALSE(viewWithText("发布成功")) << "for 1.2 s";

    showUserFeed();
    auto entry = feed->dataObjectAtIndex(0).dictionary();
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->get("body").stringValue().value_or(""), "特价鸡蛋 9.9");
    EXPECT_EQ(entry->get("payMoney").doubleValue(), 0);
    EXPECT_EQ(entry->get("expendMoney").doubleValue(), 9.9);
    EXPECT_EQ(firstRowTexts("money"), "") << "a bargain has no usual price, so no saving";
}

// Without a Voxly token the form's Voxly button starts the sign-in; the
// signed-in user's new token binds (the server holds it), after which the
// button switches on.
TEST_F(PublishRoad, TheVoxlyButtonBindsVoxlyThroughTheWebDialogAndThenSwitchesOn)
{
    useVoxlyWeb();
    auto& web = *voxlyWeb;
    int changes = 0;
    auto observer = std::make_shared<int>(0);
    pf::NotificationCenter::defaultCenter().addObserver("ZMRBindChangedNotification", observer,
                                                       [&changes](const pf::Notification&) { ++changes; });

    auto form = openForm("publish-feed");
    ASSERT_TRUE(form && form->voxlyButton());
    ASSERT_FALSE(shell->voxlyToken());
    ASSERT_TRUE(tapButtonTitled("Voxly"));
    EXPECT_FALSE(form->voxlyButton()->isSelected()) << "no token yet: the sign-in starts instead";
    std::shared_ptr<VXAuthorizeWebView> dialog;
    ASSERT_TRUE(waitFor([&] {
        dialog = viewOfClass<VXAuthorizeWebView>();
        return dialog && !dialog->webView()->url().empty() && !dialog->webView()->isLoading();
    }, 60)) << "the web authorisation dialog";
    ASSERT_TRUE(dialog->webView()->followLinkWithText("授权"));
    ASSERT_TRUE(waitFor([&] { return changes == 1; }, 60));
    ASSERT_EQ(web.grantedTokens().size(), 1u);
    auto stored = store->user(shell->uid().longLongValue());
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->voxlyToken, web.grantedTokens()[0]) << "the server holds the token";
    EXPECT_EQ(shell->uid().longLongValue(), 10001) << "binding keeps the user";
    ASSERT_TRUE(waitFor([&] { return shell->voxlyToken() == web.grantedTokens()[0]; }));
    ASSERT_TRUE(settle());
    EXPECT_TRUE(formIsShown());

    ASSERT_TRUE(tapButtonTitled("Voxly"));
    EXPECT_TRUE(form->voxlyButton()->isSelected()) << "with a token the button switches on";

    pf::NotificationCenter::defaultCenter().removeObserver(observer.get());
}

// The same for ZZ: without a ZZ token the form's ZZ button starts the ZZ
// sign-in (its login page, no ZZ app being installed); the new token binds.
TEST_F(PublishRoadZZ, TheZZButtonBindsZZThroughTheLoginPageAndThenSwitchesOn)
{
    int changes = 0;
    auto observer = std::make_shared<int>(0);
    pf::NotificationCenter::defaultCenter().addObserver("ZMRBindChangedNotification", observer,
                                                       [&changes](const pf::Notification&) { ++changes; });
    auto form = openForm("publish-feed");
    ASSERT_TRUE(form && form->zzButton());
    ASSERT_FALSE(shell->zzToken());
    ASSERT_TRUE(tapButtonTitled("ZZ"));
    EXPECT_FALSE(form->zzButton()->isSelected()) << "no token yet: the sign-in starts instead";
    std::shared_ptr<pf::WebView> page;
    ASSERT_TRUE(waitFor([&] { return (page = loadedLoginPage(*shell->corvanaOAuth())) != nullptr; }, 60));
    ASSERT_TRUE(settle()) << "the page slid in";
    ASSERT_TRUE(page->followLinkWithText("授权"));
    ASSERT_TRUE(waitFor([&] { return changes == 1 && shell->zzToken(); }, 60));
    std::string token = zmr::ZZServer::tokenFor("101452831");
    auto stored = store->user(shell->uid().longLongValue());
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->zzToken, token) << "the server holds the token";
    EXPECT_EQ(shell->uid().longLongValue(), 10001) << "binding keeps the user";
    EXPECT_EQ(shell->zzToken(), token);
    ASSERT_TRUE(settle());
    EXPECT_TRUE(formIsShown());

    ASSERT_TRUE(tapButtonTitled("ZZ"));
    EXPECT_TRUE(form->zzButton()->isSelected()) << "with a token the button switches on";
    pf::NotificationCenter::defaultCenter().removeObserver(observer.get());
}

// The form's Natter button hands the trimmed post and its first picture to
// the real Natter stand-in, which takes it into its inbox; nothing is
// published.
TEST_F(PublishRoad, TheNatterButtonHandsThePostWithItsFirstPictureToNatter)
{
    std::filesystem::create_directories(inbox());
    ASSERT_EQ(runNatterApp({"--install", "--script", "ok", "--inbox", inbox()}), 0);
    auto form = openForm("publish-feed");
    ASSERT_TRUE(form);
    tap(middleOf(form->bodyTextView()));
    type(" 给朋友看看 ");
    type("\n");
    pick(form, 1, "2-blue.png");

    ASSERT_TRUE(tapButtonTitled("纳特"));
    ASSERT_TRUE(tapText("分享到纳特")) << "the sheet";
    ASSERT_TRUE(tapButtonTitled("好友"));
    std::string txt = inbox() + "/001.txt";
    ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(inbox() + "/001.txt"); }, 60));
    auto bytes = pf::readFile(txt);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "Zomaru\n给朋友看看");
    auto picture = pf::Image::contentsOfFile(inbox() + "/001.jpg");
    ASSERT_TRUE(picture);
    auto bitmap = (*picture)->bitmap();
    ASSERT_TRUE(bitmap);
    EXPECT_TRUE(pf::test::pixelIs(*bitmap, {bitmap->size().width / 2, bitmap->size().height / 2}, kBlue, 14));
    EXPECT_TRUE(formIsShown()) << "Natter publishes nothing and the form stays";
}
