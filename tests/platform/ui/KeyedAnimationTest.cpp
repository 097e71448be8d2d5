#include "tests/platform/ui/UiTestSupport.h"

#include <cfloat>
#include <cmath>

using namespace pf;

namespace {

class KeyedAnimations : public pf::test::ScreenTest {};

// The spinner's turn: a quarter at a time, cumulative, until stopped.
KeyframeAnimation spin()
{
    KeyframeAnimation a;
    a.property = AnimatedProperty::Rotation;
    for (float v : {0.0f, float(M_PI / 2), float(M_PI), float(3 * M_PI / 2), float(2 * M_PI)})
        a.values.push_back(double(v));
    a.duration = 0.8;
    a.cumulative = true;
    a.repeatCount = FLT_MAX;
    return a;
}

KeyframeAnimation fade(double repeatCount)
{
    KeyframeAnimation a;
    a.property = AnimatedProperty::Alpha;
    a.values = {1.0, 0.0};
    a.duration = 1;
    a.repeatCount = repeatCount;
    return a;
}

// The angle a presentation transform turns by.
double angleOf(const AffineTransform& t) { return std::atan2(t.b, t.a); }

}

TEST_F(KeyedAnimations, SpinTurnsCumulativelyWithoutTouchingTheModel)
{
    auto view = View::create({0, 0, 20, 20});
    ASSERT_TRUE(view->addAnimation("loading", spin()));
    EXPECT_TRUE(view->animationForKey("loading"));
    EXPECT_TRUE(view->hasAnimations());
    struct Row {
        double at; // seconds since the start
        double turned;
    };
    // The angle is compared on the circle, so 2π + π/2 reads as π/2; the
    // cycle count shows in the second half of a cycle (3π/4 after 1.1 s).
    const Row rows[] = {{0.2, M_PI / 2}, {0.3, 3 * M_PI / 4}, {1.0, M_PI / 2}, {1.1, 3 * M_PI / 4}, {8.4, M_PI}};
    double now = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.at);
        clock->advance(row.at - now);
        now = row.at;
        double turned = angleOf(view->presentationTransform());
        EXPECT_NEAR(std::remainder(turned - row.turned, 2 * M_PI), 0, 1e-5);
        EXPECT_TRUE(view->transform().isIdentity());
    }
    EXPECT_FALSE(Animator::shared().isIdle()) << "a spinner still needs frames";
    EXPECT_TRUE(Animator::shared().isSettled()) << "but it never holds a settle wait";
    view->removeAnimation("loading");
    EXPECT_FALSE(view->animationForKey("loading"));
    EXPECT_FALSE(view->hasAnimations());
    EXPECT_TRUE(view->presentationTransform().isIdentity());
    clock->advance(0.1);
    EXPECT_TRUE(Animator::shared().isIdle());
}

TEST_F(KeyedAnimations, CumulativeCyclesAddTheLastValue)
{
    auto view = View::create({0, 0, 20, 20});
    KeyframeAnimation a = spin();
    a.property = AnimatedProperty::Center;
    a.values = {Point{0, 0}, Point{10, 5}};
    a.duration = 1;
    a.repeatCount = 3;
    ASSERT_TRUE(view->addAnimation("walk", a));
    clock->advance(2.5);
    EXPECT_NEAR(view->presentationCenter().x, 25, 1e-9);
    EXPECT_NEAR(view->presentationCenter().y, 12.5, 1e-9);
    a.cumulative = false;
    ASSERT_TRUE(view->addAnimation("walk", a)); // replaces the first, starting now
    clock->advance(1.5);
    EXPECT_NEAR(view->presentationCenter().x, 5, 1e-9);
}

TEST_F(KeyedAnimations, FiniteRepeatsEndAndLeaveTheModelValue)
{
    auto view = View::create({0, 0, 20, 20});
    view->setAlpha(0.8);
    ASSERT_TRUE(view->addAnimation("blink", fade(2)));
    clock->advance(0.25);
    EXPECT_NEAR(view->presentationAlpha(), 0.75, 1e-9);
    EXPECT_FALSE(Animator::shared().isSettled()) << "an animation that will end holds the settle wait";
    clock->advance(1.0);
    EXPECT_NEAR(view->presentationAlpha(), 0.75, 1e-9) << "the second cycle starts over";
    clock->advance(1.0);
    EXPECT_EQ(view->presentationAlpha(), 0.8);
    EXPECT_FALSE(view->animationForKey("blink")) << "a finished animation removes itself";
    EXPECT_TRUE(Animator::shared().isSettled());

    // A fractional count ends inside the last cycle.
    ASSERT_TRUE(view->addAnimation("blink", fade(1.5)));
    clock->advance(1.4);
    EXPECT_NEAR(view->presentationAlpha(), 0.6, 1e-9);
    clock->advance(0.2);
    EXPECT_FALSE(view->hasAnimations());
}

TEST_F(KeyedAnimations, KeyTimesDelayAndPrecedence)
{
    auto view = View::create({0, 0, 20, 20});
    KeyframeAnimation a = fade(0);
    a.values = {0.0, 1.0, 0.5};
    a.keyTimes = {0, 0.2, 1};
    a.delay = 1;
    ASSERT_TRUE(view->addAnimation("steps", a));
    clock->advance(0.5);
    EXPECT_EQ(view->presentationAlpha(), 1) << "before its delay the model value shows";
    clock->advance(0.6); // 0.1 into the cycle: halfway to the second key time
    EXPECT_NEAR(view->presentationAlpha(), 0.5, 1e-9);
    clock->advance(0.5); // 0.6: halfway between 0.2 and 1
    EXPECT_NEAR(view->presentationAlpha(), 0.75, 1e-9);

    // A keyed animation is drawn over a block animation of the same value,
    // which still runs and completes beneath it.
    std::vector<bool> done;
    View::animate(0.2, [&] { view->setAlpha(0); }, [&](bool finished) { done.push_back(finished); });
    EXPECT_NEAR(view->presentationAlpha(), 0.75, 1e-9);
    clock->advance(0.3);
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(done, (std::vector<bool>{true}));
    view->removeAllAnimations();
    EXPECT_EQ(view->presentationAlpha(), 0);
}

TEST_F(KeyedAnimations, AnimationsThatCannotPlayAreRefused)
{
    struct Row {
        const char* name;
        std::function<void(KeyframeAnimation&)> spoil;
    };
    const Row rows[] = {
        {"no values", [](KeyframeAnimation& a) { a.values.clear(); }},
        {"value of another type", [](KeyframeAnimation& a) { a.values[1] = Point{1, 1}; }},
        {"value not finite", [](KeyframeAnimation& a) { a.values[0] = std::nan(""); }},
        {"zero duration", [](KeyframeAnimation& a) { a.duration = 0; }},
        {"duration not a number", [](KeyframeAnimation& a) { a.duration = std::nan(""); }},
        {"infinite duration", [](KeyframeAnimation& a) { a.duration = INFINITY; }},
        {"negative delay", [](KeyframeAnimation& a) { a.delay = -1; }},
        {"repeat count not a number", [](KeyframeAnimation& a) { a.repeatCount = std::nan(""); }},
        {"negative repeat count", [](KeyframeAnimation& a) { a.repeatCount = -2; }},
        {"key times of another count", [](KeyframeAnimation& a) { a.keyTimes = {0}; }},
        {"key times descending", [](KeyframeAnimation& a) { a.keyTimes = {0.5, 0.2}; }},
        {"key time past the end", [](KeyframeAnimation& a) { a.keyTimes = {0, 1.5}; }},
    };
    auto view = View::create({0, 0, 20, 20});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        KeyframeAnimation a = fade(0);
        row.spoil(a);
        EXPECT_FALSE(view->addAnimation("x", a));
        EXPECT_FALSE(view->hasAnimations());
    }
    KeyframeAnimation forever = fade(kAnimationRepeatForever);
    EXPECT_TRUE(view->addAnimation("", forever));
    EXPECT_FALSE(view->animationForKey("")) << "an empty key is never found";
    EXPECT_TRUE(Animator::shared().isSettled());
}
