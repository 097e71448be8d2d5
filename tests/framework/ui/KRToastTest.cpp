#include "framework/ui/KRAlertView.h"
#include "framework/ui/KRAnimationView.h"
#include "framework/ui/KRAppStatusView.h"
#include "framework/ui/KRStatusView.h"
#include "framework/ui/KRUIRegistration.h"
#include "platform/controls/ActivityIndicatorView.h"
#include "platform/controls/Button.h"
#include "platform/controls/Label.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/RunLoop.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Application.h"
#include "platform/ui/InterfaceFile.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

class ToastTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        pf::Screen::main().removeAllWindows();
        host.emplace();
        screen = pf::Screen::main().bounds().size;
    }
    void TearDown() override
    {
        pf::Screen::main().removeAllWindows();
        pf::RunLoop::main().runUntilIdle();
        host.reset();
    }
    static bool onScreen(const pf::WindowRef& window)
    {
        const auto& windows = pf::Screen::main().windows();
        return window && std::find(windows.begin(), windows.end(), window) != windows.end();
    }
    static bool listed(const std::shared_ptr<KRAppStatusView>& view)
    {
        const auto& list = KRAppStatusView::shownViews();
        return std::find(list.begin(), list.end(), view) != list.end();
    }
    std::optional<pf::HeadlessHost> host;
    pf::Size screen;
};

TEST_F(ToastTest, PlacesTheBoxByInsetsWithinTheScreen)
{
    struct Row {
        pf::EdgeInsets insets;
        pf::Size size;
        double x, y; // NAN: centred on that axis
    };
    const double c = NAN;
    const Row rows[] = {
        {{}, {100, 40}, c, c},
        {{0, 0, 60, 0}, {100, 40}, c, -60},   // bottom inset: 60 above the bottom edge
        {{0, 15, 0, 25}, {100, 40}, 15, c},   // left wins over right
        {{0, 0, 0, 25}, {100, 40}, -25, c},   // right alone
        {{30, 0, 60, 0}, {100, 40}, c, 30},   // top wins over bottom
        {{}, {5000, 5000}, 0, 0},             // a box larger than the screen is kept on it
        {{0, 900, 0, 0}, {100, 40}, -0.0, c}, // an inset past the edge keeps the box on screen
    };
    for (const auto& row : rows) {
        auto toast = KRAlertView::create("好", pf::Font::system(14), row.size, row.insets);
        pf::Rect f = toast->frame();
        double w = std::min(row.size.width, screen.width), h = std::min(row.size.height, screen.height);
        double x = std::isnan(row.x) ? (screen.width - w) / 2 : std::signbit(row.x) ? screen.width - w + row.x : row.x;
        double y = std::isnan(row.y) ? (screen.height - h) / 2 : row.y < 0 ? screen.height - h + row.y : row.y;
        EXPECT_DOUBLE_EQ(f.origin.x, x) << row.insets.left << "," << row.insets.right;
        EXPECT_DOUBLE_EQ(f.origin.y, y) << row.insets.top << "," << row.insets.bottom;
        EXPECT_DOUBLE_EQ(f.size.width, w);
        EXPECT_DOUBLE_EQ(f.size.height, h);
    }
}

TEST_F(ToastTest, LongTextWrapsInABoxOnTheScreen)
{
    std::string title;
    for (int i = 0; i < 40; ++i)
        title += "保存成功 saved ";
    auto shortToast = KRAlertView::create("OK");
    auto toast = KRAlertView::create(title, {0, 0, 60, 0});
    pf::Rect f = toast->frame();
    EXPECT_LE(f.size.width, screen.width);
    EXPECT_GT(f.size.height, 2 * shortToast->frame().size.height);
    EXPECT_GE(f.origin.x, 0);
    EXPECT_NEAR(f.origin.y + f.size.height, screen.height - 60, 0.001);
    auto label = std::dynamic_pointer_cast<pf::Label>(toast->subviews().at(0));
    ASSERT_TRUE(label);
    // Every line fits the box: the label's own measure at its width is no taller.
    EXPECT_LE(label->sizeThatFits({f.size.width, 0}).height, f.size.height);
}

TEST_F(ToastTest, CentredToastStaysCentredWhenTheScreenTurns)
{
    auto toast = KRAlertView::create("已复制", pf::Font::system(14), {120, 30}, {});
    toast->show();
    toast->alertWindow()->setFrame({{0, 0}, {screen.height, screen.width}});
    pf::Rect f = toast->frame();
    EXPECT_DOUBLE_EQ(f.origin.x + f.size.width / 2, screen.height / 2);
    EXPECT_DOUBLE_EQ(f.origin.y + f.size.height / 2, screen.width / 2);
    toast->close();
}

TEST_F(ToastTest, ShowDurationClosesOnTheClockAndAnotherShowBuildsANewWindow)
{
    auto toast = KRAlertView::create("登录中…");
    std::weak_ptr<KRAlertView> weak = toast;
    toast->showDuration(2);
    pf::WindowRef first = toast->alertWindow();
    ASSERT_TRUE(onScreen(first));
    EXPECT_EQ(first->windowLevel(), pf::WindowLevel::Alert);
    toast = nullptr; // the pending close holds it
    host->advance(1.9);
    ASSERT_FALSE(weak.expired());
    EXPECT_TRUE(onScreen(first));
    host->advance(0.2);
    EXPECT_FALSE(onScreen(first));
    EXPECT_TRUE(weak.expired());

    auto again = KRAlertView::create("再来");
    again->show();
    pf::WindowRef a = again->alertWindow();
    again->close();
    again->close(); // harmless
    EXPECT_FALSE(again->alertWindow());
    again->show();
    EXPECT_TRUE(onScreen(again->alertWindow()));
    EXPECT_NE(again->alertWindow(), a);
    again->close();
}

TEST_F(ToastTest, TapsPassThroughTheToast)
{
    auto window = pf::Window::create();
    auto button = std::make_shared<pf::Button>(window->bounds());
    int taps = 0;
    button->addAction([&](pf::Control&) { ++taps; }, pf::ControlEvent::TouchUpInside);
    window->addSubview(button);
    window->makeKeyAndVisible();
    auto toast = KRAlertView::create("提示", pf::Font::system(14), {200, 100}, {});
    toast->show();
    host->tap({screen.width / 2, screen.height / 2});
    EXPECT_EQ(taps, 1);
    toast->close();
}

TEST_F(ToastTest, StatusBarMessageFadesOnItsTimeline)
{
    auto view = KRAppStatusMessageView::create("已同步");
    std::weak_ptr<KRAppStatusView> weak = view;
    EXPECT_EQ(view->frame(), pf::Application::shared().statusBarFrame());
    EXPECT_EQ(view->windowLevel(), pf::WindowLevel::StatusBar);
    view->show(true, 2);
    pf::WindowRef window = view;
    view = nullptr; // the list keeps it while shown
    auto fading = [&] { return pf::Animator::shared().running(*weak.lock(), pf::AnimatedProperty::Alpha) != nullptr; };
    EXPECT_TRUE(fading()); // fading in
    window = nullptr;
    struct Step {
        double advance;
        bool fading, listed;
    };
    const Step steps[] = {{0.31, false, true}, {1.98, false, true}, {0.02, true, true}, {0.31, false, false}};
    for (const auto& step : steps) {
        host->advance(step.advance);
        if (!step.listed) {
            EXPECT_TRUE(weak.expired());
            break;
        }
        auto shown = weak.lock();
        ASSERT_TRUE(shown);
        EXPECT_EQ(fading(), step.fading) << step.advance;
        EXPECT_TRUE(listed(shown));
    }
}

TEST_F(ToastTest, StatusBarShowDuringTheFadeOutKeepsItUp)
{
    auto view = KRAppStatusView::create();
    view->show(false);
    EXPECT_TRUE(listed(view));
    view->close(true);
    host->advance(0.1);
    view->show(false);
    host->advance(0.5);
    EXPECT_TRUE(listed(view));
    EXPECT_FALSE(view->isHidden());
    EXPECT_DOUBLE_EQ(view->alpha(), 1);
    view->close(false);
    EXPECT_FALSE(listed(view));
    EXPECT_TRUE(view->isHidden());
}

class CountingAnimationView : public KRAnimationView {
public:
    void startAnimating() override { ++starts; }
    void stopAnimating() override { ++stops; }
    int starts = 0, stops = 0;
};

TEST_F(ToastTest, StatusViewSwitchesItsGroups)
{
    auto indicator = std::make_shared<pf::ActivityIndicatorView>();
    auto label = std::make_shared<pf::Label>();
    auto image = std::make_shared<pf::View>();
    auto face = std::make_shared<CountingAnimationView>();
    auto item = [](const char* status, std::initializer_list<pf::Value> views) {
        auto it = std::make_shared<KRStatusViewItem>();
        it->setStatus(status);
        it->setViews(pf::Array::create(views));
        return pf::Value(it);
    };
    KRStatusView status;
    // The label is in both groups, the matching one first for "loading".
    status.setStatusItems(
        pf::Array::create({item("loading", {indicator, label, face}), item("empty", {image, label})}));
    struct Row {
        std::optional<std::string> word;
        bool indicatorShown, labelShown, imageShown, spinning;
    };
    const Row rows[] = {
        {"loading", true, false, false, true},
        {"empty", false, true, true, false},
        {std::nullopt, false, false, false, false},
        {"LOADING", false, false, false, false},
    };
    for (const auto& row : rows) {
        status.setStatus(row.word);
        EXPECT_EQ(!indicator->isHidden(), row.indicatorShown) << row.word.value_or("nil");
        EXPECT_EQ(!label->isHidden(), row.labelShown) << row.word.value_or("nil");
        EXPECT_EQ(!image->isHidden(), row.imageShown) << row.word.value_or("nil");
        EXPECT_EQ(indicator->isAnimating(), row.spinning) << row.word.value_or("nil");
    }
    int stops = face->stops;
    status.setStatus("LOADING"); // the same word: nothing re-evaluated
    EXPECT_EQ(face->stops, stops);
    EXPECT_EQ(face->starts, 1);
    EXPECT_FALSE(face->isAnimating());
}

TEST_F(ToastTest, StatusViewTakesItsInitialStatusFromAFile)
{
    registerUIClasses();
    const char* xml = R"(<interface owner="ViewController">
  <object id="v" class="KRStatusView"><string name="status">loading</string>
    <collection name="statusItems"><ref to="i1"/><ref to="i2"/></collection>
    <subviews>
      <object id="spin" class="ActivityIndicatorView"/>
      <object id="none" class="Label"><string name="text">空</string></object>
    </subviews></object>
  <object id="i1" class="KRStatusViewItem"><string name="status">loading</string>
    <collection name="views"><ref to="spin"/></collection></object>
  <object id="i2" class="KRStatusViewItem"><string name="status">empty</string>
    <collection name="views"><ref to="none"/></collection></object>
  <outlet name="view" to="v"/>
</interface>)";
    pf::Bundle bundle(".");
    auto file = pf::InterfaceFile::parse(xml, "Status", bundle);
    ASSERT_TRUE(file) << file.error().description;
    auto owner = std::make_shared<pf::ViewController>();
    auto objects = file.value()->instantiate(owner);
    ASSERT_TRUE(objects) << objects.error().description;
    auto view = std::dynamic_pointer_cast<KRStatusView>(owner->view());
    ASSERT_TRUE(view);
    auto spin = std::dynamic_pointer_cast<pf::ActivityIndicatorView>(view->subviews().at(0));
    ASSERT_TRUE(spin);
    EXPECT_TRUE(spin->isAnimating());
    EXPECT_FALSE(spin->isHidden());
    EXPECT_TRUE(view->subviews().at(1)->isHidden());
}

}
