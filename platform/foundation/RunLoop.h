#pragma once

// The main run loop. There is one, on the thread that runs the application
// (the main thread); "the main queue" everywhere in the code is this loop.
// Other threads reach it only through post() and timers scheduled from the
// main thread.
//
// Guarantees: post() never runs the task synchronously, even from the main
// thread; tasks posted from one thread run in posting order; timers with
// equal fire times fire in scheduling order; a cancelled timer never fires
// again. Tests drive the loop with runUntilIdle() and runUntil().

#include "platform/foundation/Forward.h"

#include <cassert>
#include <chrono>
#include <functional>

namespace pf {

using Task = std::function<void()>;
using Seconds = std::chrono::duration<double>;

class Timer {
public:
    virtual ~Timer() = default;
    // Any thread. After it returns the timer never fires again.
    virtual void invalidate() = 0;
    virtual bool isValid() const = 0;
};
using TimerRef = std::shared_ptr<Timer>;

class RunLoop {
public:
    static RunLoop& main();

    // Any thread. Runs `task` on a later turn of the loop.
    void post(Task task);
    // Any thread. Runs `task` on a later turn once no posted task or due
    // timer is ready, before the loop would wait: for work nobody waits on
    // (tearing down what a frame replaced), so it cannot hold up the next
    // request or answer. Idle tasks run in posting order.
    void postWhenIdle(Task task);
    // Any thread. Whether a posted task waits to run: idle work cut into
    // slices stops early on it, so an answer or a touch waits one slice at
    // most. A snapshot; another thread may post right after.
    bool hasPostedTasks() const;
    // Any thread. Fires `task` on the loop after `delay`, then every `delay`
    // when repeating.
    TimerRef scheduleTimer(Seconds delay, bool repeats, Task task);

    // Main thread. Runs posted tasks and due timers, then idle tasks, until
    // nothing is ready to run now (timers not yet due are left). Answers how
    // many ran.
    std::size_t runUntilIdle();
    // Main thread. Runs the loop, waiting for tasks and timers, until the
    // predicate holds or the time-out passes; answers the predicate's value.
    // The predicate is looked at after every turn and at least every 5 ms.
    bool runUntil(const std::function<bool()>& predicate, Seconds timeout);
    // Main thread. Runs until stop() is called.
    void run();
    // Any thread.
    void stop();

    bool isMainThread() const;

    // Any thread. Held while another thread is about to post an answer the
    // main thread waits for (an exchange in flight): the loop then looks
    // for posted work longer before it sleeps, since the answer usually
    // comes within a fraction of a millisecond and waking a sleeping main
    // thread costs more than looking. A long look that finds nothing is not
    // repeated until work is posted again, so a stalled exchange costs one.
    class AnswerExpected {
    public:
        AnswerExpected();
        ~AnswerExpected();
        AnswerExpected(const AnswerExpected&) = delete;
        AnswerExpected& operator=(const AnswerExpected&) = delete;
        // Any thread. The answer is being made now and is posted within a
        // fraction of a millisecond (the body is in, it is being decoded): a
        // main thread that went to sleep after its long look missed wakes
        // and looks once more, so the wake-up overlaps the decoding.
        void arriving();
    };

    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;
    ~RunLoop();

private:
    RunLoop();
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// Debug builds check that main-thread-only code runs there.
#ifndef NDEBUG
#define PF_ASSERT_MAIN_THREAD() assert(::pf::RunLoop::main().isMainThread())
#else
#define PF_ASSERT_MAIN_THREAD() ((void)0)
#endif

}
