#pragma once

// The time that view animations and display links follow, in seconds. By
// default it is the system's monotonic clock and a main-loop timer ticks the
// animator at 60 frames a second while anything animates. Tests and the
// headless host install a ManualClock instead, which moves only when told
// and ticks the animator itself, so animations run deterministically.
//
// Main thread only.

#include "platform/ui/Forward.h"

namespace pf {

class AnimationClock {
public:
    virtual ~AnimationClock() = default;
    virtual double now() const = 0;
    // A manual clock drives the animator itself; no timer is scheduled.
    virtual bool isManual() const { return false; }

    static AnimationClock& current();
    // Null puts the system clock back.
    static void setCurrent(std::shared_ptr<AnimationClock> clock);
};

class ManualClock final : public AnimationClock {
public:
    // Where a manual clock starts: well away from zero, as real timestamps
    // are, yet small enough that sums of frames stay exact to a nanosecond.
    // The status bar's clock reads it as noon.
    static constexpr double Start = 1000;

    double now() const override { return m_now; }
    bool isManual() const override { return true; }
    // Moves time forward in frames of 1/60 s (the last one shorter), ticking
    // the animator after each, so display links see every frame.
    void advance(double seconds);

private:
    double m_now = Start;
};

}
