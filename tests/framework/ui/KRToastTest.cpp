#include "framework/ui/KRAlertView.h"
#include "framework/ui/KRAppStatusView.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/ActivityIndicatorView.h"
#include "platform/controls/Button.h"
#include "platform/foundation/Bundle.h"
#include "platform/ui/InterfaceFile.h"
#include "platform/ui/ViewController.h"
#include "tests/platform/controls/ControlsTestSupport.h"

#include <optional>

namespace {

class ToastTest : public pf::test::HostTest {
protected:
    pf::Size sc = pf::Screen::main().bounds().size;
};

TEST_F(ToastTest, PlacesTheBoxByInsetsAndKeepsItOnTheScreen)
{
    struct Row {
        pf::EdgeInsets insets;
        pf::Size size;
        pf::Point origin;
    };
    const Row rows[] = {
        {{}, {100, 40}, {(sc.width - 100) / 2, (sc.height - 40) / 2}},
        {{0, 0, 60, 0}, {100, 40}, {(sc.width - 100) / 2, sc.height - 100}},
        {{30, 15, 60, 25}, {100, 40}, {15, 30}},             // left and top win
        {{0, 0, 0, 25}, {100, 40}, {sc.width - 125, (sc.height - 40) / 2}},
        {{0, 900, 0, 0}, {100, 40}, {sc.width - 100, (sc.height - 40) / 2}}, // inset past the edge
        {{}, {5000, 5000}, {0, 0}},                            // larger than the screen
    };
    for (const auto& row : rows) {
        pf::Rect f = KRAlertView::create("好", pf::Font::system(14), row.size, row.insets)->frame();
        EXPECT_EQ(f.origin, row.origin) << row.insets.left << " " << row.size.width;
        EXPECT_TRUE(f.size.width <= sc.width && f.size.height <= sc.height) << row.size.width;
    }
    // A long message wraps in a tall box instead of being cut to one line.
    std::string title;
    for (int i = 0; i < 40; ++i)
        title += "保存成功 saved ";
    auto toast = KRAlertView::create(title);
    EXPECT_LE(toast->frame().size.width, sc.width);
    EXPECT_GT(toast->frame().size.height, 3 * KRAlertView::create("OK")->frame().size.height);
    EXPECT_LE(toast->subviews().at(0)->sizeThatFits({toast->frame().size.width, 0}).height, toast->frame().size.height);

    toast = KRAlertView::create("已复制", pf::Font::system(14), {120, 30}, {});
    toast->show();
    toast->alertWindow()->setFrame({{0, 0}, {sc.height, sc.width}}); // the screen turns
    EXPECT_EQ(toast->frame().origin, (pf::Point{(sc.height - 120) / 2, (sc.width - 30) / 2}));
    toast->close();
}

TEST_F(ToastTest, ShowDurationClosesOnTheClockAndTapsPassThrough)
{
    auto below = pf::Window::create();
    auto button = std::make_shared<pf::Button>(below->bounds());
    int taps = 0;
    button->addAction([&](pf::Control&) { ++taps; }, pf::ControlEvent::TouchUpInside);
    below->addSubview(button);
    below->makeKeyAndVisible();

    auto toast = KRAlertView::create("登录中…");
    std::weak_ptr<KRAlertView> weak = toast;
    toast->showDuration(2);
    pf::WindowRef first = toast->alertWindow();
    host->tap({sc.width / 2, sc.height / 2});
    EXPECT_EQ(taps, 1);
    toast = nullptr; // the pending close holds it
    host->advance(1.9);
    EXPECT_FALSE(first->isHidden());
    host->advance(0.2);
    EXPECT_TRUE(first->isHidden());
    EXPECT_TRUE(weak.expired());

    toast = KRAlertView::create("再来");
    toast->show();
    first = toast->alertWindow();
    toast->close();
    toast->close();
    toast->show();
    EXPECT_FALSE(toast->alertWindow()->isHidden());
    EXPECT_NE(toast->alertWindow(), first);
    toast->close();
}

TEST_F(ToastTest, StatusBarMessageFadesOnItsTimeline)
{
    std::shared_ptr<KRAppStatusView> view = KRAppStatusMessageView::create("已同步");
    std::weak_ptr<KRAppStatusView> weak = view;
    view->show(true, 2);
    view = nullptr; // the list keeps it while shown
    auto fading = [&] { return pf::Animator::shared().running(*weak.lock(), pf::AnimatedProperty::Alpha) != nullptr; };
    EXPECT_TRUE(fading());
    const std::pair<double, bool> steps[] = {{0.31, false}, {1.98, false}, {0.02, true}};
    for (auto [seconds, fadingOut] : steps) {
        host->advance(seconds);
        ASSERT_FALSE(weak.expired());
        EXPECT_EQ(fading(), fadingOut) << seconds;
    }
    host->advance(0.31);
    EXPECT_TRUE(weak.expired());

    // A show during the fade-out keeps it up.
    view = KRAppStatusView::create();
    view->show(false);
    view->close(true);
    host->advance(0.1);
    view->show(false);
    host->advance(0.5);
    EXPECT_EQ(KRAppStatusView::shownViews().size(), 1u);
    EXPECT_FALSE(view->isHidden());
    view->close(false);
}

TEST_F(ToastTest, StatusViewSwitchesItsGroups)
{
    const char* xml = R"(<interface owner="ViewController">
  <object id="v" class="KRStatusView"><string name="status">loading</string>
    <collection name="statusItems"><ref to="i1"/><ref to="i2"/></collection>
    <subviews><object id="spin" class="ActivityIndicatorView"/><object id="label" class="Label"/>
      <object id="image" class="View"/></subviews></object>
  <object id="i1" class="KRStatusViewItem"><string name="status">loading</string>
    <collection name="views"><ref to="spin"/><ref to="label"/></collection></object>
  <object id="i2" class="KRStatusViewItem"><string name="status">empty</string>
    <collection name="views"><ref to="image"/><ref to="label"/></collection></object>
  <outlet name="view" to="v"/>
</interface>)";
    auto file = pf::InterfaceFile::parse(xml, "Status", pf::Bundle("."));
    ASSERT_TRUE(file) << file.error().description;
    auto owner = std::make_shared<pf::ViewController>();
    ASSERT_TRUE(file.value()->instantiate(owner));
    auto status = std::dynamic_pointer_cast<KRStatusView>(owner->view());
    ASSERT_TRUE(status);
    auto spin = std::dynamic_pointer_cast<pf::ActivityIndicatorView>(status->subviews().at(0));
    struct Row {
        std::optional<std::string> word;
        bool spinShown, labelShown, imageShown; // the label's last item is "empty"
    };
    const Row rows[] = {{"loading", true, false, false},
                        {"empty", false, true, true},
                        {std::nullopt, false, false, false},
                        {"LOADING", false, false, false}};
    for (const auto& row : rows) {
        status->setStatus(row.word); // the first row is the file's own word: nothing changes
        EXPECT_EQ(!spin->isHidden(), row.spinShown) << row.word.value_or("nil");
        EXPECT_EQ(spin->isAnimating(), row.spinShown) << row.word.value_or("nil");
        EXPECT_EQ(!status->subviews().at(1)->isHidden(), row.labelShown) << row.word.value_or("nil");
        EXPECT_EQ(!status->subviews().at(2)->isHidden(), row.imageShown) << row.word.value_or("nil");
    }
    status->subviews().at(2)->setHidden(false);
    status->setStatus("LOADING"); // the same word: not evaluated again
    EXPECT_FALSE(status->subviews().at(2)->isHidden());
}

}
