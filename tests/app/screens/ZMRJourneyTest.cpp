// The application walked as a person walks it: only hit-tested taps,
// drags, the wheel and keys on the headless screen (never a controller's
// method), against the in-process server. Each journey checks what the
// person would see at its end: the screen reached, a way back from it, the
// count that moved, the badge that went.

#include "tests/app/screens/AppScreenTest.h"
#include "tests/sdk/zz/ZZShellSupport.h"

#include "app/screens/feed/ZMRFeedController.h"
#include "app/screens/feed/ZMRFeedDetailsViewController.h"
#include "app/screens/feed/ZMRFeedDocumentController.h"
#include "app/screens/feed/ZMRFeedImageView.h"
#include "app/screens/feed/ZMRHomeViewController.h"
#include "app/screens/people/ZMRUserDetailsController.h"
#include "app/screens/people/ZMRUserDetailsViewController.h"
#include "app/screens/shared/ZMRPublishView.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/core/KRJSON.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/ui/KRFoldViewController.h"
#include "platform/controls/AlertView.h"
#include "platform/controls/Button.h"
#include "platform/controls/NavigationController.h"
#include "platform/controls/ImageView.h"
#include "platform/controls/TextField.h"
#include "platform/controls/TableView.h"
#include "platform/controls/TextView.h"
#include "platform/net/TrustAnchors.h"
#include "platform/ui/Window.h"
#include "sdk/voxly/VXAuthorizeWebView.h"
#include "sdk/voxly/VoxlySDK.h"
#include "tools/voxlyweb/VoxlyWebServer.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr long long kDemo = 10001;

// The prize page's line for a count.
std::string shownCount(long long count) { return "剩余 " + std::to_string(count) + " /"; }

class Journey : public AppScreenTest {
protected:
    explicit Journey(Start start = Start::SignedIn, Resources resources = Resources::Source)
        : AppScreenTest(start, resources) {}

    std::shared_ptr<KRFoldViewController> drawer() const
    {
        auto root = std::dynamic_pointer_cast<pf::NavigationController>(shell->rootViewController());
        return std::dynamic_pointer_cast<KRFoldViewController>(root ? root->topViewController() : nullptr);
    }
    // The drawer's menu is out: the centre stands aside.
    bool menuShown() const
    {
        auto fold = drawer();
        auto centre = fold && fold->centerViewController() ? fold->centerViewController()->viewIfLoaded() : nullptr;
        return centre && centre->frame().x() > 0;
    }
    std::string topAlias() const
    {
        auto top = shell->rootViewController()->topController();
        return top ? top->alias() : "(none)";
    }
    // The three-line button that opens the drawer: the frontmost view
    // under the top-left corner of the screen's bar that is a button.
    bool tapMenuButton()
    {
        for (double y : {42.0, 60.0}) {
            auto view = findView([&](const pf::View& v) {
                if (!dynamic_cast<const pf::Button*>(&v) || !v.window())
                    return false;
                pf::Rect frame = v.convertRectToView(v.bounds(), nullptr);
                return frame.contains({24, y}) && frame.width() <= 60;
            });
            if (view) {
                tap({24, y});
                return menuShown();
            }
        }
        return false;
    }
    // Taps the field showing `placeholder` and types `text` into it.
    void fill(std::string_view placeholder, std::string_view text)
    {
        auto field = findView([&](const pf::View& v) {
            auto* candidate = dynamic_cast<const pf::TextField*>(&v);
            return candidate && candidate->placeholder() == placeholder;
        });
        ASSERT_TRUE(field) << placeholder;
        tap(middleOf(field));
        type(text);
    }
    // Signs out through the menu's 注销 and in again as `account` on the
    // sign-in screen; true once the home shows.
    bool signOutAndIn(std::string_view account, std::string_view password)
    {
        // The second 注销 is the sheet's button, in front.
        if (!tapMenuButton() || !tapText("注销") || !tapText("注销") || !waitFor([&] { return topAlias() == "login"; }))
            return false;
        fill("登录名", account);
        fill("密码", password);
        press(pf::KeyEvent::Kind::Return);
        return !HasFatalFailure() && tapButtonTitled("登录") && waitFor([&] { return topAlias() == "home"; });
    }
    // The middle of a feed row's strip of several pictures wholly on screen
    // below the bar, turning the feed with the wheel until one is.
    std::optional<pf::Point> shownPicture()
    {
        for (int turn = 0; turn < 20; ++turn) {
            auto strip = findView([](const pf::View& v) {
                if (!dynamic_cast<const ZMRFeedImageView*>(&v) || !v.window())
                    return false;
                pf::Rect frame = v.convertRectToView(v.bounds(), nullptr);
                auto* pictures = const_cast<ZMRFeedImageView*>(dynamic_cast<const ZMRFeedImageView*>(&v));
                return frame.y() >= 64 && frame.maxY() <= 520 && pictures->pageControl()->numberOfPages() > 1;
            });
            if (strip)
                return middleOf(strip);
            wheel({160, 300}, {0, 120});
        }
        return std::nullopt;
    }
};

class AnonymousJourney : public Journey {
protected:
    AnonymousJourney() : Journey(Start::Anonymous) {}
};

// Every entry of the menu opens its screen from the visible button and
// from an edge drag (on 好友 too, whose pages page sideways), and 首页
// leads home again.
TEST_F(Journey, EveryMenuEntryOpensAndTheMenuComesBackFromItsButtonAndTheEdge)
{
    ASSERT_TRUE(drawer());
    ASSERT_TRUE(tapMenuButton()) << "the home's menu button";
    const std::vector<std::pair<const char*, const char*>> entries = {
        {"我的", "my"}, {"奖品", "prizelist"}, {"账本", "books"}, {"评论", "comment"}, {"好友", "relation"}, {"更多", "more"}};
    for (const auto& [title, alias] : entries) {
        SCOPED_TRACE(title);
        ASSERT_TRUE(menuShown());
        ASSERT_TRUE(tapButtonTitled(title));
        EXPECT_FALSE(menuShown()) << "the drawer closed onto the screen";
        EXPECT_EQ(topAlias(), alias);
        EXPECT_TRUE(tapMenuButton()) << "no visible way to the menu";
        ASSERT_TRUE(tapButtonTitled(title));
        drag({4, 320}, {260, 320});
        EXPECT_TRUE(menuShown()) << "the edge drag did not open the drawer";
    }
    ASSERT_TRUE(tapButtonTitled("首页"));
    EXPECT_FALSE(menuShown());
    EXPECT_EQ(topAlias(), "home");
}

// The "+" items push their forms after the home was reopened from the menu,
// and each form's back control leads home again.
TEST_F(Journey, ThePublishItemsOpenAfterTheMenusHomeAndGoBack)
{
    ASSERT_TRUE(tapMenuButton());
    ASSERT_TRUE(tapButtonTitled("首页"));
    for (const auto& [item, form] : std::vector<std::pair<const char*, std::string>>{
             {"记账", "publish-books"}, {"晒单", "publish-feed"}, {"特价", "publish-cheap"}}) {
        SCOPED_TRACE(item);
        const std::string alias = form;
        ASSERT_TRUE(tapButtonTitled("+"));
        ASSERT_TRUE(tapButtonTitled(item));
        ASSERT_TRUE(waitFor([&] { return topAlias() == alias; })) << topAlias();
        ASSERT_TRUE(tapButtonTitled("返回"));
        EXPECT_EQ(topAlias(), "home");
    }
}

// A prize exchanged from the list: back on that same prize, its count down by one.
TEST_F(Journey, AnExchangeEndsOnThePrizeExchangedWithItsNewCount)
{
    ASSERT_TRUE(store->addPoints(kDemo, 5000));
    ASSERT_TRUE(tapMenuButton());
    ASSERT_TRUE(tapButtonTitled("奖品"));
    ASSERT_TRUE(waitFor([&] { return textFrame("雨伞").has_value(); }));
    ASSERT_TRUE(settle());
    ASSERT_TRUE(tapText("雨伞"));
    ASSERT_TRUE(waitFor([&] { return textFrame("立即兑换").has_value() && textFrame("剩余").has_value(); }));
    const std::string detailsURL = topURL();
    ASSERT_NE(detailsURL.find("pid="), std::string::npos) << detailsURL;
    const long long pid = std::stoll(detailsURL.substr(detailsURL.find("pid=") + 4));
    auto count = [&] { return dataForKeyPath(pf::Value(KRJSON::decodeText(store->prizeJson(pid, origin()).value_or("{}"))), "count").longLongValue(); };
    const long long before = count();
    ASSERT_TRUE(textFrame(shownCount(before))) << before;
    ASSERT_TRUE(tapText("立即兑换"));
    fill("收货地址", "某路1号");
    fill("邮编", "100000");
    fill("收货人", "张三");
    fill("电话", "13800000000");
    // Return walks on to the note, and there ends editing: the keyboard goes.
    press(pf::KeyEvent::Kind::Return);
    press(pf::KeyEvent::Kind::Return);
    ASSERT_TRUE(tapText("确认兑换"));
    ASSERT_TRUE(waitFor([&] { return topURL() == detailsURL; })) << topURL();
    ASSERT_TRUE(settle());
    EXPECT_TRUE(textFrame("雨伞")) << "back on the prize exchanged";
    EXPECT_EQ(count(), before - 1);
    EXPECT_TRUE(waitFor([&] { return textFrame(shownCount(before - 1)).has_value(); }))
        << "the count shown follows the exchange";
}

// Someone the demo user and this person follow each other, with a post
// newer than the feed shown and a comment on it.
class FriendsJourney : public Journey {
protected:
    void SetUp() override
    {
        Journey::SetUp();
        zmr::AppUser friendUser;
        ASSERT_EQ(store->addUser("lvxing", "pw-lvxing", "旅行家", friendUser), zmr::AppStore::Outcome::Ok);
        ASSERT_TRUE(store->setFollowing(kDemo, friendUser.uid, true));
        ASSERT_TRUE(store->setFollowing(friendUser.uid, kDemo, true));
        zmr::AppPost post;
        post.uid = friendUser.uid;
        post.body = "旅途中的好价";
        auto pid = store->addPost(post, 0);
        ASSERT_TRUE(pid);
        ASSERT_TRUE(store->addComment(friendUser.uid, *pid, 0, "大家看看"));
    }
    // The head's comment count as the details page shows it.
    std::string headCount() const
    {
        auto details = topController<ZMRFeedDetailsViewController>();
        auto document = details && details->documentController() ? details->documentController()->document() : nullptr;
        auto label = document ? document->elementById("comment-label") : nullptr;
        return label ? label->text() : "(none)";
    }
};

// A post is missing until a pull-to-refresh brings it to the top; a reply
// shows in its details and the head's count follows; unfollowing its author
// takes the "互相关注" badge away, following again brings it back.
TEST_F(FriendsJourney, APulledPostTakesAReplyAndItsAuthorIsUnfollowed)
{
    EXPECT_FALSE(textFrame("旅途中的好价")) << "the feed shown predates the post";
    drag({160, 140}, {160, 460}, 0.6);
    ASSERT_TRUE(waitFor([&] { return textFrame("旅途中的好价").has_value(); }));
    ASSERT_TRUE(settle());
    EXPECT_LT(textFrame("旅途中的好价")->y(), 200) << "the post leads the feed";

    ASSERT_TRUE(tapText("旅途中的好价"));
    ASSERT_TRUE(waitFor([&] { return textFrame("大家看看").has_value() && headCount() == "1"; })) << headCount();
    ASSERT_TRUE(tapText("大家看看"));
    ASSERT_TRUE(textFrame("回复: 旅行家"));
    type("我也想去");
    ASSERT_TRUE(tapButtonTitled("发送"));
    EXPECT_TRUE(waitFor([&] { return textFrame("我也想去").has_value() && headCount() == "2"; }))
        << "the reply is listed and counted: " << headCount();

    // The author's portrait, left of the name above the post's text.
    auto body = textFrame("旅途中的好价");
    ASSERT_TRUE(body);
    tap({body->x() + 20, body->y() - 30});
    ASSERT_TRUE(waitFor([&] { return textFrame("互相关注").has_value(); }));
    ASSERT_TRUE(tapButtonTitled("已关注"));
    EXPECT_TRUE(viewWithText("关注"));
    EXPECT_FALSE(textFrame("互相关注")) << "the badge went with the unfollow";
    ASSERT_TRUE(tapButtonTitled("关注"));
    EXPECT_TRUE(textFrame("互相关注")) << "following again, the badge is back";
}

// A feed row's picture opens the viewer, which its "返回" and then the
// Escape key each leave for the home feed.
TEST_F(Journey, AFeedPictureOpensTheViewerWhichBackAndEscapeLeave)
{
    ASSERT_TRUE(waitFor([&] { return viewOfClass<ZMRFeedImageView>() != nullptr; })) << "a row with pictures";
    ASSERT_TRUE(settle());
    for (bool byKey : {false, true}) {
        SCOPED_TRACE(byKey ? "Escape" : "返回");
        auto picture = shownPicture();
        ASSERT_TRUE(picture);
        tap(*picture);
        ASSERT_TRUE(waitFor([&] { return topURL().ends_with("/home/image"); })) << topURL();
        if (byKey)
            press(pf::KeyEvent::Kind::Escape);
        else
            ASSERT_TRUE(tapButtonTitled("返回"));
        ASSERT_TRUE(waitFor([&] { return topAlias() == "home"; })) << topAlias();
        EXPECT_FALSE(menuShown());
    }
}

// A post written in the publish form (a picture from the album, text,
// amounts on the keypad) leads the home feed after a pull-to-refresh.
TEST_F(Journey, APostPublishedFromTheFormLeadsTheFeedAfterAPull)
{
    ASSERT_TRUE(useAlbum(pf::Color::rgb(0.1, 0.6, 0.2)));
    ASSERT_TRUE(tapButtonTitled("+"));
    ASSERT_TRUE(tapButtonTitled("晒单"));
    ASSERT_TRUE(waitFor([&] { return topAlias() == "publish-feed"; })) << topAlias();
    ASSERT_TRUE(settle());

    // The first picture slot, then the album's only picture.
    auto slot = findView([](const pf::View& v) {
        if (!dynamic_cast<const pf::Button*>(&v) || !v.window() || v.subviews().empty()
            || !dynamic_cast<const pf::ImageView*>(v.subviews().front().get()))
            return false;
        pf::Rect frame = v.convertRectToView(v.bounds(), nullptr);
        return frame.x() < 20 && frame.width() == 70;
    });
    ASSERT_TRUE(slot);
    tap(middleOf(slot));
    ASSERT_TRUE(tapText("相册"));
    auto cell = findView([](const pf::View& v) {
        return dynamic_cast<const pf::Button*>(&v) && v.window() && !v.subviews().empty()
            && dynamic_cast<const pf::ImageView*>(v.subviews().front().get());
    });
    ASSERT_TRUE(cell) << "the album's picture";
    tap(middleOf(cell));
    ASSERT_TRUE(waitFor([&] { return topAlias() == "publish-feed" && !viewWithText("取消"); })) << "the picker went";

    auto body = viewOfClass<pf::TextView>();
    ASSERT_TRUE(body);
    tap(middleOf(body));
    type("表单发的好价");
    fill("这件东西平常要花多少", "");
    keys("8 0 ok 5 0 ok");
    type("\n"); // the return key ends the body
    ASSERT_TRUE(tapButtonTitled("发布"));
    ASSERT_TRUE(waitFor([&] { return viewWithText("发布成功") != nullptr; })) << "the toast confirms";
    ASSERT_TRUE(waitFor([&] { return topAlias() == "home"; })) << topAlias();
    ASSERT_TRUE(settle());

    drag({160, 140}, {160, 460}, 0.6);
    ASSERT_TRUE(waitFor([&] { return textFrame("表单发的好价").has_value(); }));
    ASSERT_TRUE(settle());
    EXPECT_LT(textFrame("表单发的好价")->y(), 200) << "the post leads the feed";
}

// Escape closes an open menu of the home before it goes anywhere, and the
// publish menu and the feed menu are never open at once: the title's tap
// while the publish items are out only puts them away.
TEST_F(Journey, EscapeClosesTheHomesOpenMenuAndTheTwoMenusNeverOpenTogether)
{
    auto home = topController<ZMRHomeViewController>();
    ASSERT_TRUE(home && home->publishView() && home->classifyView());
    auto open = [&] {
        return std::string(home->publishView()->isHidden() ? "" : "publish") + (home->classifyView()->isHidden() ? "" : "feed");
    };
    ASSERT_TRUE(tapButtonTitled("+"));
    EXPECT_EQ(open(), "publish");
    press(pf::KeyEvent::Kind::Escape);
    EXPECT_EQ(open(), "");
    ASSERT_TRUE(tapButtonTitled("Zomaru"));
    EXPECT_EQ(open(), "feed");
    press(pf::KeyEvent::Kind::Escape);
    EXPECT_EQ(open(), "");
    ASSERT_TRUE(tapButtonTitled("+"));
    ASSERT_TRUE(tapButtonTitled("Zomaru"));
    EXPECT_EQ(open(), "");
    EXPECT_EQ(topController<ZMRHomeViewController>(), home);
}

// The back test's world besides the demo's: the build's resources (the ZZ
// SDK's signed script package), the ZZ and Voxly stand-ins trusted on
// loopback and a device folder of its own, so a signed-out route can sign
// in with either.
class BackJourney : public Journey {
protected:
    BackJourney() : Journey(Start::SignedIn, Resources::Built) {}
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() / ("zmr-back-journey-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir / "device");
        setenv("ZMR_DEVICE_DIR", (m_dir / "device").c_str(), 1);
        zz.emplace();
        Journey::SetUp();
        if (HasFatalFailure())
            return;
        // One file trusts both stand-ins: the platform takes one extra file.
        ASSERT_TRUE(voxlyWeb.isRunning());
        ASSERT_TRUE(voxlyWeb.writeCA((m_dir / "voxly-ca.pem").string()));
        ASSERT_TRUE(zz->server().writeCA((m_dir / "ca.pem").string()));
        std::ofstream((m_dir / "ca.pem"), std::ios::app) << std::ifstream(m_dir / "voxly-ca.pem").rdbuf();
        pf::setExtraCAFile((m_dir / "ca.pem").string());
        shell->useVoxlyServer(voxlyWeb.origin());
    }
    void TearDown() override
    {
        server->release();
        for (auto& alert : pf::AlertView::visibleAlerts())
            alert->dismissWithClickedButtonIndex(-1, false);
        Journey::TearDown();
        VoxlySDK::resetForTesting();
        VoxlySDK::setSettings({});
        pf::setExtraCAFile(std::nullopt);
        zz.reset();
        unsetenv("ZMR_DEVICE_DIR");
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    // The ZZ login page or the Voxly dialog is open over the screens.
    bool sdkPageShown() const
    {
        auto kit = shell->corvanaOAuth() ? shell->corvanaOAuth()->loginViewKit() : nullptr;
        bool page = kit && kit->window() && !kit->window()->isHidden() && !kit->isClosing();
        return page || viewOfClass<VXAuthorizeWebView>();
    }
    // The web view of the open page once it has loaded; null before.
    std::shared_ptr<pf::WebView> loadedSdkPage() const
    {
        if (auto page = loadedLoginPage(*shell->corvanaOAuth()))
            return page;
        auto dialog = viewOfClass<VXAuthorizeWebView>();
        auto web = dialog ? dialog->webView() : nullptr;
        return web && !web->url().empty() && !web->isLoading() ? web : nullptr;
    }

    std::optional<ZZStandIn> zz;
    zmr::VoxlyWebServer voxlyWeb;

private:
    std::filesystem::path m_dir;
};

// Every pushed screen is reached by taps along one of these routes, from
// the home or a menu entry over the demo world, or from the sign-in screen
// signed out; going back from the end of a route, by "返回" and then by
// Escape, returns each screen left with the same URL, query included, and
// what it showed, one level at a time, and the row or control that opened
// the screen left opens it again; a back on the route's first screen leaves
// it as it is (the sign-in screen and 设置昵称 included: never an empty
// window). A ZZ or Voxly page closes on Escape over the screen it opened
// from; 推荐关注 goes on to the signed-in start; a form stays while its
// entry is on its way and then tells the outcome. Nothing else that sends
// or signs out is tapped.
TEST_F(BackJourney, GoingBackReturnsEveryScreenLeftWithItsQueryAndContent)
{
    struct Step {
        enum How {
            Menu, Button, Text, Author, Commenter,
            Here,   // the screen shown at the route's start
            Page,   // a button that opens a ZZ or Voxly page over the screen
            Grant,  // "授权" in that page: signed in, the stack starts anew
            SignUp, // the sign-up's button: 推荐关注 over the signed-in start
            Fill,   // types `shows` into the field showing the placeholder `target`
            Keys,   // the keypad's keys
            Send,   // the form's button, the server's answers held until the backs were tried
        } how;
        const char* target; // the menu entry, button title or placeholder, the text tapped, or the text under or beside a portrait
        const char* shows;  // a text the screen reached shows (a post, a name, a prize; for Send the outcome)
    };
    enum class Backs { Both, EscapeOnly };
    struct Route {
        Start start;
        Backs backs;
        std::vector<Step> steps;
    };
    const auto in = Start::SignedIn, out = Start::Anonymous;
    const auto both = Backs::Both, escape = Backs::EscapeOnly;
    const std::vector<Route> routes = {
        // A post from the feed, its commenter's page, one of her posts.
        {in, both, {{Step::Menu, "首页", "周末超市会员日"}, {Step::Text, "周末超市会员日", "周末超市会员日"},
                    {Step::Commenter, "真划算！", "安琪"}, {Step::Text, "换季清仓", "换季清仓"}}},
        // The author's page from a feed row.
        {in, both, {{Step::Menu, "首页", "周末超市会员日"}, {Step::Author, "周末超市会员日", "演示用户"}}},
        {in, both, {{Step::Menu, "首页", "周末超市会员日"}, {Step::Button, "+", nullptr}, {Step::Button, "记账", nullptr}}},
        {in, both, {{Step::Menu, "首页", "周末超市会员日"}, {Step::Button, "+", nullptr}, {Step::Button, "晒单", nullptr}}},
        {in, both, {{Step::Menu, "首页", "周末超市会员日"}, {Step::Button, "+", nullptr}, {Step::Button, "特价", nullptr}}},
        {in, both, {{Step::Menu, "奖品", "雨伞"}, {Step::Text, "雨伞", "雨伞"}, {Step::Text, "立即兑换", "雨伞"}}},
        // A comment's writer, and the post a comment is on.
        {in, both, {{Step::Menu, "评论", "真划算！"}, {Step::Commenter, "真划算！", "安琪"}}},
        {in, both, {{Step::Menu, "评论", "真划算！"}, {Step::Text, "东门菜场", "换季清仓"}}},
        {in, both, {{Step::Menu, "好友", "安琪"}, {Step::Text, "安琪", "安琪"}, {Step::Text, "换季清仓", "换季清仓"}}},
        {in, both, {{Step::Menu, "更多", "邀请好友"}, {Step::Button, "邀请好友", nullptr}}},
        {in, both, {{Step::Menu, "更多", "消息"}, {Step::Button, "消息", nullptr}}},
        {in, both, {{Step::Menu, "我的", "我的资料"}}},
        {in, both, {{Step::Menu, "账本", "本月支出"}}},
        // Forms whose answer is held back while Escape and "返回" are tried.
        {in, escape, {{Step::Menu, "首页", "周末超市会员日"}, {Step::Button, "+", nullptr}, {Step::Button, "记账", nullptr},
                      {Step::Keys, "8 ok", nullptr}, {Step::Send, "保存", "保存成功"}}},
        {in, escape, {{Step::Menu, "奖品", "雨伞"}, {Step::Text, "雨伞", "雨伞"}, {Step::Text, "立即兑换", "雨伞"},
                      {Step::Fill, "收货地址", "某路1号"}, {Step::Fill, "邮编", "100000"}, {Step::Fill, "收货人", "张三"},
                      {Step::Fill, "电话", "13800000000"}, {Step::Send, "确认兑换", "成功兑换奖品"}}},
        // Signed out: the sign-in screen, 注册, the ZZ page and the Voxly
        // dialog over it, 设置昵称 after either, and a sign-up.
        {out, escape, {{Step::Here, "账号登录", "账号登录"}, {Step::Button, "注册", "注册账号"}}},
        {out, escape, {{Step::Here, "账号登录", "账号登录"}, {Step::Page, "ZZ登录", "账号登录"}}},
        {out, escape, {{Step::Here, "账号登录", "账号登录"}, {Step::Page, "Voxly登录", "账号登录"}}},
        {out, escape, {{Step::Page, "ZZ登录", nullptr}, {Step::Grant, "授权", "设置昵称"}}},
        {out, escape, {{Step::Page, "Voxly登录", nullptr}, {Step::Grant, "授权", "设置昵称"}}},
        {out, escape, {{Step::Button, "注册", "注册账号"}, {Step::Fill, "字母、数字或邮箱", "newcomer"},
                       {Step::Fill, "至少6位", "newcomer-pw"}, {Step::Fill, "4~24个字符，汉字算2个", "新来的人"},
                       {Step::SignUp, "注册", "推荐关注"}}},
    };
    ASSERT_TRUE(store->addPoints(kDemo, 5000));
    auto buttonTitled = [&](std::string_view title) {
        return findView([&](const pf::View& view) {
            auto* button = dynamic_cast<const pf::Button*>(&view);
            return button && button->title() == title;
        });
    };
    const std::string home = "root:///root/fold/center/home";
    // The top screen's own address, a closing "/" and all.
    auto address = [&] {
        auto top = shell->rootViewController()->topController();
        return top && top->url() ? top->url()->absoluteString() : std::string("(none)");
    };
    auto shows = [&](const char* text) {
        return !text || waitFor([&] { return textFrame(text).has_value(); }, 5);
    };
    // The routes signed in come first, as the demo user; the first signed
    // out signs out from the menu, a later one from 设置昵称 or the menu as
    // whoever its route left signed in.
    bool signedIn = true;
    auto begin = [&](Start start) {
        if (start == Start::Anonymous && signedIn) {
            if (topAlias() == "nick")
                EXPECT_TRUE(tapButtonTitled("退出登录"));
            else
                EXPECT_TRUE(tapMenuButton() && tapText("注销") && tapText("注销")); // the sheet's button, in front
            signedIn = false;
            return waitFor([&] { return topAlias() == "login"; }) && settle();
        }
        return start == Start::Anonymous || signedIn;
    };
    auto take = [&](const Step& step) {
        switch (step.how) {
        case Step::Here:
            return true;
        case Step::Menu:
            return tapMenuButton() && tapButtonTitled(step.target);
        case Step::Button:
            return tapButtonTitled(step.target);
        case Step::SignUp:
            press(pf::KeyEvent::Kind::Return); // the keyboard goes from over the button
            return tapButtonTitled(step.target);
        case Step::Page:
            return tapButtonTitled(step.target) && waitFor([&] { return loadedSdkPage() != nullptr; }, 60) && settle();
        case Step::Grant: {
            auto page = loadedSdkPage();
            return page && page->followLinkWithText(step.target)
                && waitFor([&] { return shell->uid().isNumber() && !shell->loadingView(); }, 60);
        }
        case Step::Fill:
            fill(step.target, step.shows);
            return !HasFatalFailure();
        case Step::Keys:
            keys(step.target);
            return !HasFatalFailure();
        case Step::Send:
            // Return walks on to the last field and ends editing there: the keyboard goes.
            press(pf::KeyEvent::Kind::Return);
            press(pf::KeyEvent::Kind::Return);
            if (auto button = textFrame(step.target)) {
                std::size_t held = server->heldRequests();
                server->hold();
                host->tap({button->midX(), button->midY()}); // not settled: the answer is held
                return waitFor([&] { return server->heldRequests() > held; });
            }
            return false;
        default:
            break;
        }
        // The text wholly on screen below the title bar, turning the wheel until it is.
        auto onScreen = [&] {
            auto frame = textFrame(step.target);
            return frame && frame->y() >= 74 && frame->maxY() <= 560;
        };
        for (int turn = 0; turn < 10 && !onScreen(); ++turn)
            wheel({160, 300}, {0, 120});
        if (!onScreen())
            return false;
        pf::Rect text = *textFrame(step.target);
        if (step.how == Step::Text)
            tap({text.midX(), text.midY()});
        else if (step.how == Step::Author) // a feed row's portrait stands above its text
            tap({text.x() + 20, text.y() - 28});
        else // a comment's portrait stands left of its text
            tap({text.x() - 26, text.y() - 10});
        return true;
    };
    for (bool byKey : {false, true}) {
        for (const Route& route : routes) {
            if (route.backs == Backs::EscapeOnly && !byKey)
                continue;
            SCOPED_TRACE(std::string(byKey ? "Escape after " : "返回 after ") + route.steps.back().target);
            ASSERT_TRUE(begin(route.start));
            // The address and a text of each screen, and the steps that led there from the one below.
            struct Level {
                std::string address;
                const char* shows;
                std::size_t from, to;
            };
            std::vector<Level> levels;
            const Step* sent = nullptr;
            for (std::size_t at = 0; at < route.steps.size(); ++at) {
                const Step& step = route.steps[at];
                // The publish menu opens over the home; a menu entry may lead to the screen shown.
                bool over = std::string_view(step.target) == "+" || step.how == Step::Fill || step.how == Step::Keys;
                bool stays = over || step.how == Step::Menu || step.how == Step::Here || step.how == Step::Page;
                std::string before = address();
                ASSERT_TRUE(take(step)) << step.target;
                if (step.how == Step::Send) {
                    sent = &step;
                    continue;
                }
                ASSERT_TRUE(waitFor([&] { return address() != before || stays; })) << step.target;
                ASSERT_TRUE(settle());
                // A field's text may be a password's dots.
                ASSERT_TRUE(step.how == Step::Fill || shows(step.shows)) << step.target << " shows no " << step.shows;
                if (step.how == Step::Grant || step.how == Step::SignUp) {
                    signedIn = true;
                    // The start page replaced the stack: 设置昵称, or the home below 推荐关注.
                    levels.clear();
                    if (step.how == Step::SignUp)
                        levels.push_back({home, "周末超市会员日", 0, 0});
                }
                if (!over)
                    levels.push_back({address(), step.shows, levels.empty() ? at : levels.back().to + 1, at});
            }
            auto back = [&] {
                if (byKey)
                    press(pf::KeyEvent::Kind::Escape);
                else
                    EXPECT_TRUE(tapButtonTitled("返回")) << address();
                EXPECT_TRUE(settle());
            };
            auto landedOn = [&](const Level& level) {
                EXPECT_EQ(address(), level.address);
                EXPECT_TRUE(shows(level.shows)) << level.address << " lost " << level.shows;
                EXPECT_FALSE(menuShown());
                EXPECT_FALSE(sdkPageShown());
            };
            std::size_t at = levels.size() - 1;
            if (sent) {
                // No back leaves the form while its entry is on its way (the
                // first Escape may only close a keyboard). Nothing settles
                // meanwhile: the answer is held.
                for (int i = 0; i < 2; ++i) {
                    host->pressKey(pf::KeyEvent::Kind::Escape);
                    EXPECT_EQ(address(), levels[at].address) << "Escape left the form while it sent";
                }
                auto control = buttonTitled("返回");
                ASSERT_TRUE(control);
                host->tap(middleOf(control));
                EXPECT_EQ(address(), levels[at].address) << "返回 left the form while it sent";
                server->release();
                EXPECT_TRUE(waitFor([&] { return viewWithText(sent->shows) != nullptr; })) << "no " << sent->shows;
                ASSERT_TRUE(waitFor([&] { return address() == levels[at - 1].address; })) << address();
                ASSERT_TRUE(settle());
                --at;
            }
            // Each back lands one level down, and the way up opens the level
            // left again; a route's first screen has no "返回", so one more
            // back there is Escape's alone.
            for (;;) {
                if (at == 0 && !byKey)
                    break;
                back();
                std::size_t land = at == 0 ? 0 : at - 1;
                landedOn(levels[land]);
                if (at == 0)
                    break;
                const Level& left = levels[at];
                const Step& opener = route.steps[left.to];
                if (opener.how != Step::Grant && opener.how != Step::SignUp && opener.how != Step::Page) {
                    for (std::size_t step = left.from; step <= left.to; ++step)
                        ASSERT_TRUE(take(route.steps[step])) << route.steps[step].target;
                    ASSERT_TRUE(waitFor([&] { return address() == left.address; })) << opener.target << " opened " << address();
                    ASSERT_TRUE(settle());
                    EXPECT_TRUE(shows(left.shows)) << left.address << " shows no " << left.shows;
                    back();
                    landedOn(levels[land]);
                }
                at = land;
            }
        }
    }
}

// Signing out from the menu and in again opens the home with the drawer closed.
TEST_F(Journey, SigningOutAndInAgainOpensTheHomeWithTheDrawerClosed)
{
    ASSERT_TRUE(signOutAndIn("demo", "demo-password"));
    ASSERT_TRUE(settle());
    EXPECT_FALSE(menuShown());
}

// After another account signs in (the menu's 注销, then the sign-in
// screen), the screens the previous account had open show what the server
// gives the new one: the home's first row, which demo liked, that post's
// details and the home's 关注的妈妈 feed, left picked when demo signs out
// (a user's page would pass anyway: it is built afresh at every open). The
// row's heart then likes as the new account, never unlikes demo's like.
TEST_F(Journey, AnotherAccountSeesItsOwnLikesAndFollowsAfterSwitching)
{
    constexpr long long kAnqi = 10002;
    constexpr const char* kPost = "周末超市会员日"; // demo's newest post, the home's first row
    auto homeRows = [&] {
        auto home = topController<ZMRHomeViewController>();
        return home ? home->feedController() : nullptr;
    };
    auto firstRow = [&] {
        auto rows = homeRows();
        return rows && rows->tableView() && rows->tableView()->numberOfRowsInSection(0) > 0
                   ? rows->documentByIndexPath({0, 0})
                   : nullptr;
    };
    auto heartOf = [](const KRDOMDocumentRef& document) {
        auto heart = document ? document->elementById("liked-img") : nullptr;
        auto count = document ? document->elementById("liked-label") : nullptr;
        return heart && count ? std::string(heart->attributeValueForKey("src").value_or("")) + " " + count->text()
                              : std::string("(none)");
    };
    ASSERT_TRUE(waitFor([&] { return firstRow() != nullptr; }));
    const long long pid = dataForKeyPath(homeRows()->dataObjectByIndexPath({0, 0}), "pid").longLongValue();
    auto heartFor = [&](long long viewer) {
        auto post = KRJSON::decodeText(store->postJson(pid, viewer, origin()).value_or("{}"));
        return std::string(dataForKeyPath(post, "liked").boolValue() ? "ico40.png " : "ico36.png ") +
               std::to_string(dataForKeyPath(post, "likedCount").longLongValue());
    };
    auto tapRowHeart = [&] {
        auto rows = homeRows();
        auto document = firstRow();
        ASSERT_TRUE(rows && document);
        auto heart = document->elementById("liked-img");
        pf::Rect inRow = heart->convertRect({{0, 0}, heart->frame().size}, document->rootElement().get());
        pf::Rect cell = rows->tableView()->rectForRowAtIndexPath({0, 0});
        pf::Rect at = rows->tableView()->convertRectToView(inRow.offsetBy(cell.x(), cell.y()), nullptr);
        tap({at.midX(), at.midY()});
    };
    // Taps the post's text (its details) or the portrait above it (its author's page).
    auto openFromPost = [&](bool author, const char* alias) {
        return [&, author, alias] {
            auto text = textFrame(kPost);
            if (!text)
                return false;
            tap(author ? pf::Point{text->x() + 20, text->y() - 28} : pf::Point{text->midX(), text->midY()});
            return waitFor([&] { return topAlias() == alias; });
        };
    };
    // The home's feed picked through its title menu, as a person picks it;
    // nothing when it shows that feed already.
    auto pickFeed = [&](const char* word, const char* title) {
        auto home = topController<ZMRHomeViewController>();
        if (!home)
            return false;
        if (home->classify() == std::optional<std::string>(word))
            return true;
        tap({160, 42});
        return waitFor([&] { return !home->isClassifyViewAnimating(); }) && tapText(title) &&
               waitFor([&] { return home->classify() == std::optional<std::string>(word) && firstRow() != nullptr; }) &&
               settle();
    };
    // The first posts of the home's 关注的妈妈 feed: whom the viewer follows.
    auto followedShown = [&] {
        auto rows = homeRows();
        std::string pids;
        for (int row = 0; rows && rows->tableView() && row < std::min(5, rows->tableView()->numberOfRowsInSection(0)); ++row)
            pids += std::to_string(dataForKeyPath(rows->dataObjectByIndexPath({0, row}), "pid").longLongValue()) + " ";
        return pids;
    };
    auto followedFor = [&](long long viewer) {
        std::string pids;
        zmr::AppFeedQuery followed;
        followed.kind = zmr::AppFeedQuery::Kind::Follow;
        for (const std::string& json : store->feed(followed, viewer, 0, 5, origin()).items)
            pids += std::to_string(dataForKeyPath(KRJSON::decodeText(json), "pid").longLongValue()) + " ";
        return pids;
    };
    struct Kept {
        const char* screen;
        std::function<bool()> open; // from the home
        std::function<std::string()> shown;
        std::function<std::string(long long viewer)> server;
    };
    const std::vector<Kept> kept = {
        {"the home's first row", [] { return true; }, [&] { return heartOf(firstRow()); }, heartFor},
        {"the post's details", openFromPost(false, "feed-details"),
         [&] {
             auto details = topController<ZMRFeedDetailsViewController>();
             return heartOf(details ? details->documentController()->document() : nullptr);
         },
         heartFor},
        // Left on this feed when the account changes.
        {"the home's 关注的妈妈", [&] { return pickFeed("follow", "关注的妈妈"); }, followedShown, followedFor},
    };
    auto walk = [&](long long viewer) {
        for (const Kept& screen : kept) {
            SCOPED_TRACE(std::string(screen.screen) + " as " + std::to_string(viewer));
            // Each row fails on its own: one whose screen cannot be reached says so and the walk goes on.
            if (!screen.open()) {
                ADD_FAILURE() << "cannot open it";
                continue;
            }
            EXPECT_TRUE(waitFor([&] { return screen.shown() == screen.server(viewer); }, 5))
                << screen.shown() << " where the server gives " << screen.server(viewer);
            if (topAlias() != "home") {
                press(pf::KeyEvent::Kind::Escape);
                ASSERT_TRUE(waitFor([&] { return topAlias() == "home"; }));
            }
        }
    };

    tapRowHeart();
    ASSERT_TRUE(waitFor([&] { return heartFor(kDemo).starts_with("ico40.png"); }));
    walk(kDemo);

    ASSERT_TRUE(signOutAndIn("anqi", "pw-anqi"));
    ASSERT_TRUE(waitFor([&] { return firstRow() != nullptr; }) && settle());
    walk(kAnqi);

    ASSERT_TRUE(pickFeed("all", "全部"));
    const std::string before = heartFor(kAnqi);
    tapRowHeart();
    EXPECT_TRUE(waitFor([&] { return heartFor(kAnqi).starts_with("ico40.png"); })) << before;
    EXPECT_EQ(heartOf(firstRow()), heartFor(kAnqi));
    EXPECT_TRUE(heartFor(kDemo).starts_with("ico40.png")) << "demo's like stays";
}

// 注册 has a way back; signing in opens the home with the drawer closed.
TEST_F(AnonymousJourney, RegisterLeadsBackAndASignInOpensTheHomeWithTheDrawerClosed)
{
    ASSERT_TRUE(tapButtonTitled("注册"));
    ASSERT_TRUE(waitFor([&] { return topAlias() == "register"; }));
    ASSERT_TRUE(tapButtonTitled("返回"));
    EXPECT_EQ(topAlias(), "login");
}

} // namespace
