#include "platform/ui/DisplayLink.h"
#include "tests/platform/ui/UiTestSupport.h"

using namespace pf;

namespace {
class Animations : public pf::test::ScreenTest {};
}

TEST_F(Animations, ModelValuesChangeAtOnceWhilePresentationMoves)
{
    auto view = View::create({0, 0, 100, 100});
    std::vector<bool> completions;
    AnimationOptions options;
    options.duration = 1;
    options.curve = AnimationCurve::Linear;
    View::animate(
        options,
        [&] {
            view->setCenter({150, 50});
            view->setAlpha(0);
        },
        [&](bool finished) { completions.push_back(finished); });
    EXPECT_EQ(view->center(), (Point{150, 50}));
    EXPECT_EQ(view->alpha(), 0);
    EXPECT_EQ(view->presentationCenter(), (Point{50, 50}));

    clock->advance(0.5);
    EXPECT_NEAR(view->presentationCenter().x, 100, 1e-6);
    EXPECT_NEAR(view->presentationAlpha(), 0.5, 1e-6);
    RunLoop::main().runUntilIdle();
    EXPECT_TRUE(completions.empty());

    clock->advance(0.6);
    EXPECT_EQ(view->presentationCenter(), (Point{150, 50}));
    EXPECT_FALSE(view->hasAnimations());
    EXPECT_TRUE(completions.empty()) << "the completion is posted, not called inside the tick";
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(completions, (std::vector<bool>{true}));
}

TEST_F(Animations, InterruptedOrOrphanedAnimationsReportUnfinished)
{
    auto view = View::create({0, 0, 100, 100});
    std::vector<bool> completions;
    auto record = [&](bool finished) { completions.push_back(finished); };

    View::animate(1, [&] { view->setAlpha(0.2); }, record);
    clock->advance(0.5);
    double halfway = view->presentationAlpha();
    View::animate(1, [&] { view->setAlpha(1); }, record); // replaces the first
    EXPECT_NEAR(view->presentationAlpha(), halfway, 1e-6) << "continues from where it was on screen";
    clock->advance(2);
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(completions, (std::vector<bool>{false, true}));

    completions.clear();
    View::animate(1, [&] { view->setCenter({0, 0}); }, record);
    view->setCenter({10, 10}); // set without animation
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(completions, (std::vector<bool>{false}));
    EXPECT_EQ(view->presentationCenter(), (Point{10, 10}));

    completions.clear();
    View::animate(1, [&] { view->setAlpha(0.5); }, record);
    view.reset();
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(completions, (std::vector<bool>{false})) << "the view went away";

    completions.clear();
    View::animate(1, [] {}, record);
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(completions, (std::vector<bool>{true})) << "nothing to animate still completes";
}

TEST_F(Animations, DelayHoldsTheStartValue)
{
    auto view = View::create({0, 0, 10, 10});
    AnimationOptions options;
    options.duration = 1;
    options.delay = 0.5;
    View::animate(options, [&] { view->setBackgroundColor(Color::whiteColor()); });
    clock->advance(0.4);
    EXPECT_EQ(view->presentationBackgroundColor(), Color::clear());
    clock->advance(1.2);
    EXPECT_EQ(view->presentationBackgroundColor(), Color::whiteColor());
}

TEST_F(Animations, DisplayLinkFiresEveryFrameUntilPausedOrReleased)
{
    std::vector<double> stamps;
    auto link = DisplayLink::create([&](DisplayLink& l) { stamps.push_back(l.timestamp()); });
    clock->advance(0.1);
    EXPECT_TRUE(stamps.empty()) << "paused until started";
    link->start();
    clock->advance(0.1);
    EXPECT_EQ(stamps.size(), 6u);
    EXPECT_NEAR(link->duration(), 1.0 / 60, 1e-9);
    link->setPaused(true);
    clock->advance(0.1);
    EXPECT_EQ(stamps.size(), 6u);
    link->start();
    link.reset();
    clock->advance(0.1);
    EXPECT_EQ(stamps.size(), 6u) << "a released link is never called";
}

TEST(AnimationsOnTheSystemClock, TheMainLoopDrivesThemToCompletion)
{
    auto view = View::create({0, 0, 10, 10});
    bool finished = false;
    View::animate(0.05, [&] { view->setAlpha(0.5); }, [&](bool ok) { finished = ok; });
    EXPECT_TRUE(view->hasAnimations());
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return finished; }, Seconds(5)));
    EXPECT_EQ(view->presentationAlpha(), 0.5);
    EXPECT_TRUE(Animator::shared().isIdle()) << "the frame timer stops with the last animation";
}
