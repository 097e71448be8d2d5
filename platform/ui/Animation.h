#pragma once

// View animations: the animator keeps each view's running property
// animations, interpolates presentation values and reports completions.
//
// Main thread only. Completions are posted to the main loop, never called
// inside the call that finished them.

#include "platform/foundation/Forward.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Forward.h"

#include <functional>
#include <variant>
#include <vector>

namespace pf {

enum class AnimationCurve { EaseInOut, EaseIn, EaseOut, Linear };

struct AnimationOptions {
    double duration = 0.25;
    double delay = 0;
    AnimationCurve curve = AnimationCurve::EaseInOut;
};

enum class AnimatedProperty { Center, Bounds, Alpha, Transform, BackgroundColor, LayerMaskColor };
using AnimatedValue = std::variant<Point, Rect, double, AffineTransform, Color>;

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

    void addDisplayLink(const std::shared_ptr<DisplayLink>& link);
    // Advances animations and display links to the clock's time.
    void tick();
    bool isIdle() const;

private:
    struct Block {
        AnimationOptions options;
        std::shared_ptr<AnimationGroup> group;
    };
    void finishOne(const std::shared_ptr<AnimationGroup>& group, bool finished);
    void scheduleTicks();

    std::vector<Block> m_blocks;
    std::vector<std::weak_ptr<View>> m_animatingViews;
    std::vector<std::weak_ptr<DisplayLink>> m_displayLinks;
    std::shared_ptr<Timer> m_timer;
};

}
