#pragma once

// The one clock behind every "now" of the collector (sessions, event times,
// the strategy-5 period, the user record, timings), in whole seconds since
// 1970. Tests replace it; local midnight and day of the year still come
// from the C library under TZ. Any thread.

#include <cstdint>
#include <functional>

class MCA4ZCClock {
public:
    static std::uint32_t now();
    // An empty function restores the system clock.
    static void setSource(std::function<std::uint32_t()> source);
};
