// The screen base and the publish fly-out menu, headless on a manual clock.

#include "app/screens/shared/ZMRPublishItemView.h"
#include "app/screens/shared/ZMRPublishView.h"
#include "app/screens/shared/ZMRViewController.h"
#include "framework/ui/KRActionControls.h"
#include "platform/controls/Button.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/InterfaceFile.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

std::shared_ptr<ZMRPublishItemView> item(double fromRight, double fromBottom, double toRight, double toBottom,
                                         double toAngle = 0)
{
    auto view = std::make_shared<ZMRPublishItemView>();
    view->setSize({60, 60});
    view->setFromRight(fromRight);
    view->setFromBottom(fromBottom);
    view->setToRight(toRight);
    view->setToBottom(toBottom);
    view->setToAngle(toAngle);
    return view;
}

// A menu of one item over a 320 x 480 window, closed, with its control.
struct Menu {
    Menu()
    {
        window->addSubview(menu);
        window->addSubview(control);
        menu->addSubview(flyer);
        menu->setItemViews(pf::Array::create({pf::Value(flyer)}));
        menu->setActionControl(control);
        menu->pf::View::setHidden(true);
        window->makeKeyAndVisible();
    }
    ~Menu() { window->setHidden(true); }

    pf::HeadlessHost host;
    pf::WindowRef window = pf::Window::create({0, 0, 320, 480});
    std::shared_ptr<ZMRPublishView> menu = std::make_shared<ZMRPublishView>(pf::Rect{0, 0, 320, 480});
    std::shared_ptr<pf::Button> control = std::make_shared<pf::Button>(pf::Rect{250, 410, 50, 50});
    std::shared_ptr<ZMRPublishItemView> flyer = item(20, 20, 20, 120);
};

// Records what the screen opens instead of routing it.
class RecordingScreen : public ZMRViewController {
public:
    bool openUrl(const pf::URL& url, bool animated) override
    {
        opened.push_back(url.absoluteString() + (animated ? " animated" : ""));
        return true;
    }
    std::vector<std::string> opened;
};

std::shared_ptr<KRTabBarItem> urlItem(const std::string& name, const pf::Value& info)
{
    auto tab = std::make_shared<KRTabBarItem>();
    tab->setActionName(name);
    tab->setUserInfo(info);
    return tab;
}

}

TEST(ZMRPublishItemPlaces, AreMeasuredFromTheMenusBottomRightCorner)
{
    struct Row {
        double right, bottom, angle;
        pf::Rect frame;
        double turn; // radians
    } rows[] = {
        {20, 20, 0, {240, 400, 60, 60}, 0},
        {20, 120, 0, {240, 300, 60, 60}, 0},
        {20, 120, 90, {240, 300, 60, 60}, M_PI / 2},
        {0, 0, -45, {260, 420, 60, 60}, -M_PI / 4},
    };
    auto menu = pf::View::create({0, 0, 320, 480});
    for (const Row& row : rows) {
        auto flyer = item(0, 0, row.right, row.bottom, row.angle);
        menu->addSubview(flyer);
        flyer->toEnd();
        pf::AffineTransform t = flyer->transform();
        EXPECT_EQ(flyer->center().x, row.frame.origin.x + 30) << row.right << "/" << row.bottom;
        EXPECT_EQ(flyer->center().y, row.frame.origin.y + 30) << row.right << "/" << row.bottom;
        EXPECT_NEAR(std::atan2(t.b, t.a), row.turn, 1e-6) << row.angle;
        EXPECT_EQ(t.isIdentity(), row.angle == 0);
        flyer->toBegin();
        EXPECT_EQ(flyer->frame(), (pf::Rect{260, 420, 60, 60}));
        EXPECT_TRUE(flyer->transform().isIdentity());
    }
}

TEST(ZMRPublishMenu, OpensAndClosesOverAFlightAndDropsCallsDuringIt)
{
    Menu m;
    m.menu->doChangeStateAction(nullptr);
    EXPECT_FALSE(m.menu->isHidden());
    EXPECT_TRUE(m.menu->isAnimating());
    EXPECT_DOUBLE_EQ(m.menu->presentationAlpha(), 0.5);
    EXPECT_TRUE(m.control->isSelected());
    EXPECT_EQ(m.flyer->presentationCenter().y, 430); // still at its closed place
    m.menu->doChangeStateAction(nullptr); // a second tap within the flight
    m.host.advance(0.4);
    EXPECT_FALSE(m.menu->isHidden());
    EXPECT_FALSE(m.menu->isAnimating());
    EXPECT_EQ(m.menu->alpha(), 1);
    EXPECT_EQ(m.flyer->frame(), (pf::Rect{240, 300, 60, 60}));
    EXPECT_NEAR(std::atan2(m.control->transform().b, m.control->transform().a), M_PI / 4, 1e-6);

    m.menu->setHidden(false, true); // already open
    EXPECT_FALSE(m.menu->isAnimating());

    m.menu->doChangeStateAction(nullptr);
    EXPECT_FALSE(m.menu->isHidden()); // hidden once the flight ends
    EXPECT_FALSE(m.control->isSelected());
    m.host.advance(0.4);
    EXPECT_TRUE(m.menu->isHidden());
    EXPECT_EQ(m.menu->alpha(), 0);
    EXPECT_TRUE(m.control->transform().isIdentity());
    EXPECT_EQ(m.flyer->frame(), (pf::Rect{240, 400, 60, 60}));

    m.menu->setHidden(false, true);
    EXPECT_DOUBLE_EQ(m.menu->presentationAlpha(), 0.5);
    m.host.advance(0.4);
    EXPECT_EQ(m.menu->presentationAlpha(), 1);
}

TEST(ZMRPublishMenu, AHideWithoutAnimationEndsAFlightAndItsLateCompletionChangesNothing)
{
    for (bool closing : {false, true}) {
        SCOPED_TRACE(closing ? "closing" : "opening");
        Menu m;
        m.menu->setHidden(false, !closing);
        if (closing)
            m.menu->setHidden(true, true);
        m.host.advance(0.1);
        ASSERT_TRUE(m.menu->isAnimating());
        m.menu->setHidden(true, false);
        EXPECT_TRUE(m.menu->isHidden());
        EXPECT_FALSE(m.menu->isAnimating());
        EXPECT_FALSE(m.control->isSelected());
        EXPECT_TRUE(m.control->transform().isIdentity());
        // Opened again before the ended flight's completion runs.
        m.menu->setHidden(false, true);
        m.host.advance(0.1);
        EXPECT_TRUE(m.menu->isAnimating());
        EXPECT_FALSE(m.menu->isHidden());
        m.host.advance(0.3);
        EXPECT_FALSE(m.menu->isHidden());
        EXPECT_FALSE(m.menu->isAnimating());
    }
}

TEST(ZMRScreenTabs, OnlyUrlItemsWithTextOpenRelativeToTheScreenUnanimated)
{
    struct Row {
        std::shared_ptr<pf::TabBarItem> item;
        const char* opened; // nullptr: nothing
    } rows[] = {
        {urlItem("url", "prize"), "root:///root/fold/center/prize"},
        {urlItem("url", "../menu"), "root:///root/fold/menu"},
        {urlItem("url", "奖品 列表"), "root:///root/fold/center/%E5%A5%96%E5%93%81%20%E5%88%97%E8%A1%A8"},
        {urlItem("url", "fold:///left"), "fold:///left"},
        {urlItem("openUrl", "prize"), nullptr},
        {urlItem("url", pf::Value()), nullptr},
        {urlItem("url", 7), nullptr},
        {std::make_shared<pf::TabBarItem>("home", nullptr, 0), nullptr},
    };
    for (const Row& row : rows) {
        auto screen = std::make_shared<RecordingScreen>();
        screen->setUrl(*pf::URL::create("root:///root/fold/center/home"));
        auto bar = std::make_shared<pf::TabBar>();
        bar->setItems({row.item});
        screen->setTabBar(bar);
        screen->tabBarDidSelectItem(*bar, *row.item);
        if (row.opened) {
            ASSERT_EQ(screen->opened.size(), 1u);
            EXPECT_EQ(screen->opened[0], row.opened);
        } else {
            EXPECT_TRUE(screen->opened.empty()) << screen->opened[0];
        }
    }
}

TEST(ZMRScreenLife, AppearingSelectsItsTabAndLeavingClosesTheMenuAtOnce)
{
    Menu m;
    auto screen = std::make_shared<RecordingScreen>();
    screen->setUrl(*pf::URL::create("root:///root/home"));
    auto view = pf::View::create({0, 0, 320, 480});
    screen->setView(view);
    auto own = urlItem("url", "home"), other = urlItem("url", "prize");
    auto bar = std::make_shared<pf::TabBar>(pf::Rect{0, 431, 320, 49});
    bar->setItems({own, other});
    view->addSubview(bar);
    screen->setTabBar(bar);
    screen->setSelectedTabItem(own);
    screen->setPublishView(m.menu);
    m.window->setRootViewController(screen);
    m.host.advance(0);

    m.host.tap({240, 455}); // the other tab
    EXPECT_EQ(bar->selectedItem(), other);
    ASSERT_EQ(screen->opened.size(), 1u);
    EXPECT_EQ(screen->opened[0], "root:///root/prize");

    m.menu->setHidden(false, true);
    m.host.advance(0.1);
    m.window->setRootViewController(nullptr);
    EXPECT_TRUE(m.menu->isHidden());
    EXPECT_FALSE(m.menu->isAnimating());
    m.window->setRootViewController(screen);
    EXPECT_EQ(bar->selectedItem(), own);
    EXPECT_TRUE(m.menu->isHidden());
}

TEST(ZMRScreenLife, LogLinesNameTheScreensClassUpToItsRelease)
{
    testing::internal::CaptureStderr();
    {
        auto screen = std::make_shared<ZMRViewController>();
        screen->viewWillAppear(false);
        screen->viewDidDisappear(false);
    }
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("ZMRViewController viewWillAppear"), std::string::npos) << log;
    EXPECT_NE(log.find("ZMRViewController viewDidDisappear"), std::string::npos) << log;
    EXPECT_NE(log.find("ZMRViewController dealloc"), std::string::npos) << log;
}

// A screen's interface file wires the base's outlets: the tab bar (whose
// delegate the screen becomes), its own item, and the fly-out with its
// items and the control that toggles it.
TEST(ZMRScreenFile, WiresTabBarAndFlyOut)
{
    const char* xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<interface owner="ZMRViewController">
  <object id="view" class="View"><rect name="frame">{{0, 0}, {320, 480}}</rect>
    <subviews>
      <object id="tabs" class="TabBar"><rect name="frame">{{0, 431}, {320, 49}}</rect>
        <collection name="items"><ref to="home"/><ref to="prize"/></collection></object>
      <object id="menu" class="ZMRPublishView"><rect name="frame">{{0, 0}, {320, 431}}</rect>
        <bool name="hidden">YES</bool>
        <outlet name="actionControl" to="plus"/>
        <collection name="itemViews"><ref to="books"/></collection>
        <subviews>
          <object id="books" class="ZMRPublishItemView"><size name="size">{60, 60}</size>
            <number name="fromRight">20</number><number name="fromBottom">20</number>
            <number name="toRight">20</number><number name="toBottom">120</number><number name="toAngle">90</number></object>
        </subviews></object>
      <object id="plus" class="KRButton"><rect name="frame">{{250, 361}, {50, 50}}</rect>
        <action event="touchUpInside" target="menu" name="doChangeStateAction"/></object>
    </subviews></object>
  <object id="home" class="KRTabBarItem"><string name="title">首页</string>
    <string name="actionName">url</string><string name="userInfo">home</string></object>
  <object id="prize" class="KRTabBarItem"><string name="title">奖品</string>
    <string name="actionName">url</string><string name="userInfo">prize</string></object>
  <outlet name="view" to="view"/>
  <outlet name="tabBar" to="tabs"/>
  <outlet name="selectedTabItem" to="home"/>
  <outlet name="publishView" to="menu"/>
</interface>)";
    const char* source = std::getenv("ZMR_SOURCE_DIR");
    pf::Bundle bundle(std::string(source ? source : ".") + "/resources");
    auto file = pf::InterfaceFile::parse(xml, "ScreenBase", bundle);
    ASSERT_TRUE(file) << file.error().description;
    auto screen = std::make_shared<ZMRViewController>();
    auto made = file.value()->instantiate(screen);
    ASSERT_TRUE(made) << made.error().description;
    ASSERT_TRUE(screen->tabBar() && screen->publishView() && screen->selectedTabItem());

    pf::HeadlessHost host;
    auto window = pf::Window::create({0, 0, 320, 480});
    window->setRootViewController(screen);
    window->makeKeyAndVisible();
    host.advance(0);
    EXPECT_EQ(screen->tabBar()->selectedItem(), screen->selectedTabItem());
    host.tap({240, 455}); // the other tab: the screen hears of it
    EXPECT_EQ(screen->tabBar()->selectedItem()->title(), "奖品");
    host.tap({275, 386}); // the control
    host.advance(0.4);
    auto menu = screen->publishView();
    EXPECT_FALSE(menu->isHidden());
    auto books = std::dynamic_pointer_cast<ZMRPublishItemView>(menu->subviews().front());
    ASSERT_TRUE(books);
    EXPECT_NEAR(books->center().x, 270, 1e-9);
    EXPECT_NEAR(books->center().y, 281, 1e-9);
    EXPECT_NEAR(books->transform().b, 1, 1e-6); // a quarter turn
    host.tap({100, 100}); // the overlay
    host.advance(0.4);
    EXPECT_TRUE(menu->isHidden());
    window->setHidden(true);
}
