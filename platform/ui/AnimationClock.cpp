#include "platform/ui/AnimationClock.h"

#include "platform/ui/Animation.h"
#include "platform/ui/PerformRequest.h"

#include <algorithm>
#include <chrono>

namespace pf {

namespace {

class SystemClock final : public AnimationClock {
public:
    double now() const override
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }
};

std::shared_ptr<AnimationClock>& currentClock()
{
    static std::shared_ptr<AnimationClock> clock = std::make_shared<SystemClock>();
    return clock;
}

}

AnimationClock& AnimationClock::current() { return *currentClock(); }

void AnimationClock::setCurrent(std::shared_ptr<AnimationClock> clock)
{
    currentClock() = clock ? std::move(clock) : std::make_shared<SystemClock>();
}

void ManualClock::advance(double seconds)
{
    constexpr double kFrame = 1.0 / 60;
    while (seconds > 1e-9) {
        double step = std::min(seconds, kFrame);
        m_now += step;
        seconds -= step;
        Animator::shared().tick();
        runDuePerformRequests(m_now);
    }
}

}
