#pragma once

// A short look for an answer from another thread before sleeping: the
// answer often follows within microseconds, and finding it awake saves both
// threads a wake-up. The look yields the core between turns and ends after
// 200 turns (a few hundred microseconds on an idle core) or 1 ms, whichever
// comes first. Turns alone are not enough: on a core other programs keep
// busy each turn can hand the core away for a whole time slice, and 200 of
// them kept a thread from its own deadlines (a run loop's timers) for a
// second. Any thread.

#include <chrono>
#include <thread>

namespace pf {

inline constexpr int kBriefLookTurns = 200;
inline constexpr std::chrono::microseconds kBriefLookTime{1000};

// Yields while `waiting()` holds, for at most `turns` turns and `time`;
// true once it no longer holds, false when the look ended first.
template <class Waiting>
bool lookBriefly(Waiting&& waiting, std::chrono::microseconds time = kBriefLookTime, int turns = kBriefLookTurns)
{
    const auto start = std::chrono::steady_clock::now();
    for (int turn = 0; waiting(); ++turn) {
        if (turn >= turns || std::chrono::steady_clock::now() - start >= time)
            return false;
        std::this_thread::yield();
    }
    return true;
}

}
