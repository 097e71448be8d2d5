#pragma once

// View animations: the animator keeps each view's running property
// animations and keyed animations, interpolates presentation values and
// reports completions.
//
// Main thread only. Completions are posted to the main loop, never called
// inside the call that finished them.

#include "platform/foundation/Forward.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Forward.h"

#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace pf {

enum class AnimationCurve { EaseInOut, EaseIn, EaseOut, Linear };

struct AnimationOptions {
    double duration = 0.25;
    double delay = 0;
    AnimationCurve curve = AnimationCurve::EaseInOut;
};

// Rotation is for keyed animations only: an angle in radians, clockwise on
// screen, turning the view about its centre before its own transform.
enum class AnimatedProperty { Center, Bounds, Alpha, Transform, BackgroundColor, LayerMaskColor, Rotation };
using AnimatedValue = std::variant<Point, Rect, double, AffineTransform, Color>;

constexpr double kAnimationRepeatForever = std::numeric_limits<double>::infinity();

// An animation a view holds under a key (View::addAnimation). It changes only
// what the compositor draws: the view's own values stay as set and show again
// once the animation ends or is removed. Each cycle passes through `values`
// in order; the curve eases the whole cycle.
struct KeyframeAnimation {
    AnimatedProperty property = AnimatedProperty::Alpha;
    // At least one, each of the property's type: a Point for the center, a
    // Rect for the bounds, a number for alpha and rotation, an
    // AffineTransform, a Color. One value holds the property at it.
    std::vector<AnimatedValue> values;
    // Where each value falls in a cycle, ascending from 0 to 1, one per
    // value; empty spaces the values evenly.
    std::vector<double> keyTimes;
    double duration = 0.25; // of one cycle, in seconds
    double delay = 0;
    AnimationCurve curve = AnimationCurve::Linear;
    // How many cycles play: 0 plays one, a fraction ends within the last.
    // kAnimationRepeatForever, or a count that would play for over a year,
    // repeats until the animation is removed, and such an animation never
    // keeps the animator from settling.
    double repeatCount = 0;
    // Each cycle adds the last value once per cycle before it, so a turn
    // from 0 to 2π keeps turning (numbers and points; other values repeat).
    bool cumulative = false;

    // Whether the values and timing can play: values of the property's
    // type, finite positive duration, finite non-negative delay, a
    // non-negative count and key times that fit.
    bool isValid() const;
    bool repeatsForever() const;
};

struct KeyedAnimation {
    std::string key;
    KeyframeAnimation animation;
    double begin = 0; // on the animation clock, delay included
};

struct AnimationGroup {
    std::function<void(bool)> completion;
    int running = 0;
    bool finished = true;
    bool open = true; // its block is still collecting changes
};

struct PropertyAnimation {
    AnimatedProperty property;
    AnimatedValue from;
    AnimatedValue to;
    double begin = 0;
    double duration = 0;
    AnimationCurve curve = AnimationCurve::EaseInOut;
    std::shared_ptr<AnimationGroup> group;
};

class Animator {
public:
    static Animator& shared();

    // Inside begin()/commit() property changes are recorded as animations.
    // Blocks nest; the innermost one's options apply.
    void begin(const AnimationOptions& options, std::function<void(bool)> completion);
    void commit();
    bool isRecording() const { return !m_blocks.empty(); }

    // Called by views: a property changes from `from` to the value now set.
    // Inside a block this adds an animation; outside it removes any running
    // animation of the property, whose group will then report unfinished.
    void propertyChanged(View& view, AnimatedProperty property, const AnimatedValue& from);
    void viewDestroyed(std::vector<PropertyAnimation>& animations);
    // The value of `property` now, or nothing when it does not animate.
    const PropertyAnimation* running(const View& view, AnimatedProperty property) const;
    AnimatedValue presentationValue(const PropertyAnimation& animation) const;
    // Called by views when they gained a keyed animation: ticks start.
    void keyedAnimationAdded(View& view);
    // What the view's latest keyed animation of `property` shows now;
    // nothing before it begins, after it ends or without one.
    std::optional<AnimatedValue> keyedValue(const View& view, AnimatedProperty property) const;

    void addDisplayLink(const std::shared_ptr<DisplayLink>& link);
    // Advances animations and display links to the clock's time.
    void tick();
    // Nothing needs frames: no view animates and no display link runs.
    bool isIdle() const;
    // Nothing that will end is under way: no property animation, no keyed
    // animation short of repeating forever, no running display link. A
    // spinner that turns until it is stopped leaves the animator settled.
    bool isSettled() const;

private:
    struct Block {
        AnimationOptions options;
        std::shared_ptr<AnimationGroup> group;
    };
    void finishOne(const std::shared_ptr<AnimationGroup>& group, bool finished);
    void watch(View& view);
    void scheduleTicks();

    std::vector<Block> m_blocks;
    std::vector<std::weak_ptr<View>> m_animatingViews;
    std::vector<std::weak_ptr<DisplayLink>> m_displayLinks;
    std::shared_ptr<Timer> m_timer;
};

}
