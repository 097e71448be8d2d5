#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/PinchGestureRecognizer.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "tests/platform/ui/UiTestSupport.h"

using namespace pf;
using pf::test::RecordingView;
using Strings = std::vector<std::string>;

namespace {

class HitTesting : public pf::test::ScreenTest {};
class TouchDelivery : public pf::test::ScreenTest {};
class Gestures : public pf::test::ScreenTest {};
class Windows : public pf::test::ScreenTest {};

}

TEST_F(HitTesting, FindsTheDeepestVisibleInteractiveView)
{
    auto window = showWindow();
    auto panel = View::create({0, 0, 200, 200});
    auto button = View::create({10, 10, 50, 50});
    auto hidden = View::create({100, 100, 50, 50});
    auto inert = View::create({10, 100, 50, 50});
    auto faded = View::create({100, 10, 50, 50});
    auto outside = View::create({180, 180, 50, 50}); // sticks out of the panel
    hidden->setHidden(true);
    inert->setUserInteractionEnabled(false);
    faded->setAlpha(0);
    window->addSubview(panel);
    for (auto& v : {button, hidden, inert, faded, outside})
        panel->addSubview(v);

    struct Row {
        Point point;
        ViewRef expected;
    };
    const Row rows[] = {
        {{20, 20}, button},
        {{110, 110}, panel},   // hidden views take nothing
        {{20, 110}, panel},    // nor views that do not interact
        {{110, 20}, panel},    // nor transparent ones
        {{190, 190}, outside},
        {{220, 220}, window},  // outside the panel's bounds the child is unreachable
    };
    for (auto& row : rows)
        EXPECT_EQ(window->hitTest(row.point), row.expected) << row.point.x << ", " << row.point.y;

    panel->setUserInteractionEnabled(false);
    EXPECT_EQ(window->hitTest({20, 20}), window) << "a non-interactive view hides its subtree";
}

TEST_F(TouchDelivery, TheViewTouchedFirstOrItsHandlingSuperviewGetsEveryPhase)
{
    Strings log;
    auto window = showWindow();
    auto a = std::make_shared<RecordingView>("a", Rect{0, 0, 100, 100}, &log);
    auto b = std::make_shared<RecordingView>("b", Rect{0, 100, 100, 100}, &log);
    a->addSubview(View::create({0, 0, 80, 80})); // handles nothing: passes its touches up
    window->addSubview(a);
    window->addSubview(b);
    touch(TouchPhase::Began, {50, 50});
    touch(TouchPhase::Moved, {50, 150});
    touch(TouchPhase::Ended, {50, 150});
    EXPECT_EQ(log, (Strings{"a:began", "a:moved", "a:ended"}));

    log.clear();
    touch(TouchPhase::Began, {50, 150});
    window->setHidden(true); // the window goes away mid-touch
    touch(TouchPhase::Ended, {50, 150});
    EXPECT_EQ(log, (Strings{"b:began", "b:cancelled"})) << "a touch always gets its end or cancel";
}

TEST_F(Gestures, TapRecognizesOnLiftAndCancelsTheViewsTouch)
{
    Strings log;
    auto window = showWindow();
    auto view = std::make_shared<RecordingView>("v", Rect{0, 0, 100, 100}, &log);
    window->addSubview(view);
    int taps = 0;
    view->addGestureRecognizer(std::make_shared<TapGestureRecognizer>([&](GestureRecognizer& r) {
        EXPECT_EQ(r.state(), GestureState::Ended);
        ++taps;
    }));
    tap({50, 50});
    EXPECT_EQ(taps, 1);
    EXPECT_EQ(log, (Strings{"v:began", "v:cancelled"}));

    // A finger that wanders off is no tap, and the view gets its normal end.
    log.clear();
    touch(TouchPhase::Began, {50, 50});
    touch(TouchPhase::Moved, {80, 50});
    touch(TouchPhase::Ended, {80, 50});
    EXPECT_EQ(taps, 1);
    EXPECT_EQ(log, (Strings{"v:began", "v:moved", "v:ended"}));
}

TEST_F(Gestures, DoubleTapNeedsTwoQuickTapsInOnePlace)
{
    auto window = showWindow();
    int doubles = 0;
    auto recognizer = std::make_shared<TapGestureRecognizer>([&](GestureRecognizer&) { ++doubles; });
    recognizer->setNumberOfTapsRequired(2);
    window->addGestureRecognizer(recognizer);
    tap({50, 50});
    EXPECT_EQ(doubles, 0);
    clock->advance(0.1);
    tap({52, 50});
    EXPECT_EQ(doubles, 1);
    clock->advance(1);
    tap({50, 50});
    EXPECT_EQ(doubles, 1) << "too late for a series";
}

TEST_F(Gestures, PanReportsEachPhaseWithItsTranslation)
{
    Strings log;
    auto window = showWindow();
    auto view = std::make_shared<RecordingView>("v", Rect{0, 0, 300, 300}, &log);
    window->addSubview(view);
    std::vector<std::pair<GestureState, Point>> reports;
    Point endVelocity;
    auto pan = std::make_shared<PanGestureRecognizer>([&](GestureRecognizer& r) {
        auto& p = static_cast<PanGestureRecognizer&>(r);
        reports.emplace_back(r.state(), p.translationInView(view.get()));
        endVelocity = p.velocityInView(view.get());
    });
    view->addGestureRecognizer(pan);
    touch(TouchPhase::Began, {100, 100});
    clock->advance(0.02);
    touch(TouchPhase::Moved, {105, 100}); // within the slop: nothing yet
    clock->advance(0.02);
    touch(TouchPhase::Moved, {130, 100});
    clock->advance(0.02);
    touch(TouchPhase::Moved, {130, 140});
    touch(TouchPhase::Ended, {130, 140});
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0], std::make_pair(GestureState::Began, Point{30, 0}));
    EXPECT_EQ(reports[1], std::make_pair(GestureState::Changed, Point{30, 40}));
    EXPECT_EQ(reports[2], std::make_pair(GestureState::Ended, Point{30, 40}));
    EXPECT_NEAR(endVelocity.y, 40 / 0.02, 1) << "over the latest move";
    EXPECT_EQ(log, (Strings{"v:began", "v:moved", "v:cancelled"}));
    EXPECT_EQ(pan->state(), GestureState::Possible) << "reset for the next touch";
}

TEST_F(Gestures, WhenAPanWinsTheTapFailsAndDisabledRecognizersSeeNothing)
{
    auto window = showWindow();
    auto view = View::create({0, 0, 300, 300});
    window->addSubview(view);
    int taps = 0, pans = 0, disabled = 0;
    auto tapRecognizer = std::make_shared<TapGestureRecognizer>([&](GestureRecognizer&) { ++taps; });
    view->addGestureRecognizer(tapRecognizer);
    window->addGestureRecognizer(std::make_shared<PanGestureRecognizer>([&](GestureRecognizer&) { ++pans; }));
    auto off = std::make_shared<TapGestureRecognizer>([&](GestureRecognizer&) { ++disabled; });
    off->setEnabled(false);
    view->addGestureRecognizer(off);

    touch(TouchPhase::Began, {100, 100});
    touch(TouchPhase::Moved, {100, 109});
    touch(TouchPhase::Moved, {100, 200});
    touch(TouchPhase::Ended, {100, 200});
    EXPECT_EQ(taps, 0);
    EXPECT_GE(pans, 2);
    tap({50, 50});
    EXPECT_EQ(taps, 1) << "the tap recognizer was reset after the pan";
    EXPECT_EQ(disabled, 0);
}

TEST_F(Gestures, ASecondFingerAndRefusedTouchesNeverReachTheRecognizer)
{
    auto window = showWindow();
    auto view = View::create({0, 0, 300, 300});
    window->addSubview(view);
    std::vector<GestureState> states;
    auto pan = std::make_shared<PanGestureRecognizer>([&](GestureRecognizer& r) { states.push_back(r.state()); });
    pan->setMaximumNumberOfTouches(1);
    pan->setShouldReceiveTouch([](GestureRecognizer&, const Touch& t) { return t.locationInWindow().x < 200; });
    view->addGestureRecognizer(pan);

    touch(TouchPhase::Began, {100, 100});
    touch(TouchPhase::Moved, {100, 140});
    touch(TouchPhase::Began, {150, 100}, 2); // a second finger lifts at once
    touch(TouchPhase::Ended, {150, 100}, 2);
    EXPECT_EQ(states, (std::vector<GestureState>{GestureState::Began})) << "the second finger ended no pan";
    touch(TouchPhase::Moved, {100, 160});
    touch(TouchPhase::Ended, {100, 160});
    EXPECT_EQ(states.back(), GestureState::Ended);

    states.clear();
    touch(TouchPhase::Began, {250, 100}); // outside the accepted area
    touch(TouchPhase::Moved, {250, 160});
    touch(TouchPhase::Ended, {250, 160});
    EXPECT_TRUE(states.empty());
}

TEST_F(Gestures, PinchFollowsTwoFingersBesideAPanThatOutlivesTheSecond)
{
    auto window = showWindow();
    std::vector<std::pair<GestureState, double>> pinches;
    std::vector<GestureState> pans;
    Point middle;
    auto pan = std::make_shared<PanGestureRecognizer>([&](GestureRecognizer& r) { pans.push_back(r.state()); });
    auto pinch = std::make_shared<PinchGestureRecognizer>([&](GestureRecognizer& r) {
        pinches.emplace_back(r.state(), static_cast<PinchGestureRecognizer&>(r).scale());
        middle = r.locationInView(nullptr);
    });
    pinch->setShouldRecognizeSimultaneously([&](GestureRecognizer&, GestureRecognizer& other) { return &other == pan.get(); });
    window->addGestureRecognizer(pan);
    window->addGestureRecognizer(pinch);
    touch(TouchPhase::Began, {100, 100});
    touch(TouchPhase::Began, {200, 100}, 2);
    touch(TouchPhase::Moved, {203, 100}, 2); // within the slop
    touch(TouchPhase::Moved, {250, 100}, 2);
    EXPECT_EQ(middle, (Point{175, 100}));
    touch(TouchPhase::Moved, {50, 100}); // far enough to pan too
    touch(TouchPhase::Ended, {250, 100}, 2);
    touch(TouchPhase::Moved, {40, 100});
    touch(TouchPhase::Ended, {40, 100});
    using S = GestureState;
    EXPECT_EQ(pinches, (std::vector<std::pair<S, double>>{{S::Began, 1.5}, {S::Changed, 2.0}, {S::Ended, 2.0}}));
    EXPECT_EQ(pans, (std::vector<S>{S::Began, S::Changed, S::Ended})) << "the drag went on after the second finger";
    EXPECT_EQ(pinch->state(), S::Possible) << "reset once every finger is up";
}

TEST_F(Windows, LevelsOrderWindowsAndTouchesGoToTheFrontmost)
{
    Strings log;
    auto normal = showWindow();
    auto alert = Window::create({0, 0, 320, 100});
    alert->setWindowLevel(WindowLevel::Alert);
    auto status = Window::create({0, 0, 320, 20});
    status->setWindowLevel(WindowLevel::StatusBar);
    alert->setHidden(false);
    status->setHidden(false);
    auto later = Window::create();
    later->setHidden(false);

    EXPECT_EQ(Screen::main().windows(), (std::vector<WindowRef>{normal, later, status, alert}));

    auto inAlert = std::make_shared<RecordingView>("alert", Rect{0, 0, 320, 100}, &log);
    alert->addSubview(inAlert);
    auto inLater = std::make_shared<RecordingView>("later", Rect{0, 0, 320, 568}, &log);
    later->addSubview(inLater);
    tap({10, 50});
    tap({10, 300});
    EXPECT_EQ(log, (Strings{"alert:began", "alert:ended", "later:began", "later:ended"}));
}

TEST_F(Windows, KeyWindowPassesOnWhenHidden)
{
    auto first = showWindow();
    auto second = showWindow();
    EXPECT_TRUE(second->isKeyWindow());
    EXPECT_FALSE(first->isKeyWindow());
    second->setHidden(true);
    EXPECT_TRUE(first->isKeyWindow());
    EXPECT_EQ(Screen::main().windows().size(), 1u);
    std::weak_ptr<Window> gone = second;
    second.reset();
    EXPECT_TRUE(gone.expired()) << "the screen keeps only shown windows";
}

TEST_F(Windows, TouchesReachAWindowAwayFromTheScreensOrigin)
{
    auto sheet = Window::create({60, 200, 200, 100});
    sheet->setHidden(false);
    auto recognizer = std::make_shared<TapGestureRecognizer>();
    Point seen;
    recognizer->setAction([&](GestureRecognizer& r) { seen = r.locationInView(r.view().get()); });
    auto inner = View::create({10, 10, 50, 50});
    inner->addGestureRecognizer(recognizer);
    sheet->addSubview(inner);
    tap({75, 220});
    EXPECT_EQ(seen, (Point{5, 10}));
}
