#include "platform/foundation/RunLoop.h"

#include "platform/foundation/BriefLook.h"
#include "platform/foundation/Exception.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <limits>
#include <map>
#include <mutex>
#include <thread>

namespace pf {

namespace {

using Clock = std::chrono::steady_clock;

// Static initialisation runs on the thread that enters main().
const std::thread::id g_mainThread = std::this_thread::get_id();

class LoopTimer final : public Timer {
public:
    LoopTimer(Seconds every, bool repeating, Task work) : interval(every), repeats(repeating), task(std::move(work)) {}
    void invalidate() override { valid.store(false); }
    bool isValid() const override { return valid.load(); }

    const Seconds interval;
    const bool repeats;
    Task task;
    std::atomic<bool> valid{true};
};

}

struct RunLoop::Impl {
    std::mutex mutex; // guards posted, idle, timers, sequence, stopped, answerArriving
    std::condition_variable wake;
    std::deque<Task> posted;
    std::deque<Task> idle;
    // Ordered by fire time, then by scheduling order.
    std::map<std::pair<Clock::time_point, std::uint64_t>, std::shared_ptr<LoopTimer>> timers;
    std::uint64_t sequence = 0;
    bool stopped = false;
    std::atomic<std::size_t> postedCount{0}; // posted.size(), readable without the lock
    std::atomic<int> answersExpected{0};     // live RunLoop::AnswerExpected
    bool longLookMissed = false;             // main thread only
    bool answerArriving = false;             // set by AnswerExpected::arriving

    void addTimer(Clock::time_point at, std::shared_ptr<LoopTimer> timer)
    {
        timers.emplace(std::make_pair(at, sequence++), std::move(timer));
    }

    // The first valid timer that is due, taken off (a repeating one put back
    // for its next time); null when none is. Under the lock.
    std::shared_ptr<LoopTimer> takeDueTimer()
    {
        while (!timers.empty() && !timers.begin()->second->isValid())
            timers.erase(timers.begin());
        if (timers.empty() || timers.begin()->first.first > Clock::now())
            return nullptr;
        auto timer = timers.begin()->second;
        timers.erase(timers.begin());
        if (timer->repeats)
            addTimer(Clock::now() + std::chrono::duration_cast<Clock::duration>(timer->interval), timer);
        return timer;
    }

    // Runs one ready task or due timer, else one idle task; answers false
    // when none was ready.
    bool runOne()
    {
        Task task;
        std::shared_ptr<LoopTimer> timer;
        {
            std::unique_lock lock(mutex);
            if (!posted.empty()) {
                task = std::move(posted.front());
                posted.pop_front();
                postedCount.store(posted.size(), std::memory_order_relaxed);
            } else if (!(timer = takeDueTimer())) {
                if (idle.empty())
                    return false;
                task = std::move(idle.front());
                idle.pop_front();
            }
        }
        // Nothing above the loop could handle an exception that got this far.
        try {
            if (task) {
                task();
            } else if (timer->isValid()) {
                if (!timer->repeats)
                    timer->invalidate();
                // Hold the timer: the task may invalidate it and drop the last owner.
                auto keep = timer;
                keep->task();
            }
        } catch (...) {
            terminateWithUncaughtException(std::current_exception());
        }
        return true;
    }

    void waitUntil(Clock::time_point deadline)
    {
        std::unique_lock lock(mutex);
        if (posted.empty() && idle.empty() && !stopped && !answerArriving) {
            Clock::time_point until = deadline;
            if (!timers.empty() && timers.begin()->first.first < until)
                until = timers.begin()->first.first;
            wake.wait_until(lock, until);
        }
        if (!posted.empty() || answerArriving)
            longLookMissed = false;
        answerArriving = false;
    }

    // An answer from another thread often follows within microseconds (a
    // queue thread handing back an exchange): look again for a short while
    // before sleeping, which saves both threads a wake-up. While an answer
    // is expected the look lasts longer, unless the last long look missed.
    void spinBriefly()
    {
        static constexpr auto longLook = std::chrono::microseconds(500);
        auto waiting = [this] { return postedCount.load(std::memory_order_acquire) == 0; };
        if (lookBriefly(waiting)) {
            longLookMissed = false;
            return;
        }
        // Read again here: the exchange may have been handed on while the
        // short look ran.
        if (longLookMissed || answersExpected.load(std::memory_order_relaxed) == 0)
            return;
        longLookMissed = !lookBriefly(waiting, longLook, std::numeric_limits<int>::max());
    }
};

RunLoop::RunLoop() : m_impl(std::make_unique<Impl>()) {}
RunLoop::~RunLoop() = default;

RunLoop& RunLoop::main()
{
    static RunLoop* loop = new RunLoop; // never destroyed: worker threads may post during exit
    return *loop;
}

void RunLoop::post(Task task)
{
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->posted.push_back(std::move(task));
        m_impl->postedCount.store(m_impl->posted.size(), std::memory_order_release);
    }
    m_impl->wake.notify_all();
}

bool RunLoop::hasPostedTasks() const
{
    return m_impl->postedCount.load(std::memory_order_acquire) != 0;
}

void RunLoop::postWhenIdle(Task task)
{
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->idle.push_back(std::move(task));
    }
    m_impl->wake.notify_all();
}

TimerRef RunLoop::scheduleTimer(Seconds delay, bool repeats, Task task)
{
    if (delay < Seconds(0))
        delay = Seconds(0);
    // A repeating timer needs some interval, or it would starve everything else.
    auto timer = std::make_shared<LoopTimer>(repeats && delay < Seconds(0.001) ? Seconds(0.001) : delay, repeats,
                                             std::move(task));
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->addTimer(Clock::now() + std::chrono::duration_cast<Clock::duration>(delay), timer);
    }
    m_impl->wake.notify_all();
    return timer;
}

std::size_t RunLoop::runUntilIdle()
{
    std::size_t ran = 0;
    while (m_impl->runOne())
        ++ran;
    return ran;
}

bool RunLoop::runUntil(const std::function<bool()>& predicate, Seconds timeout)
{
    auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(timeout);
    for (;;) {
        runUntilIdle();
        if (predicate())
            return true;
        auto now = Clock::now();
        if (now >= deadline)
            return predicate();
        m_impl->spinBriefly();
        if (m_impl->postedCount.load(std::memory_order_acquire))
            continue;
        // The predicate may turn on work of other threads that never wakes
        // the loop, so look again at least every few milliseconds.
        m_impl->waitUntil(std::min(deadline, now + std::chrono::milliseconds(5)));
    }
}

void RunLoop::run()
{
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->stopped = false;
    }
    for (;;) {
        runUntilIdle();
        {
            std::lock_guard lock(m_impl->mutex);
            if (m_impl->stopped)
                return;
        }
        m_impl->spinBriefly();
        m_impl->waitUntil(Clock::now() + std::chrono::hours(1));
    }
}

void RunLoop::stop()
{
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->stopped = true;
    }
    m_impl->wake.notify_all();
}

RunLoop::AnswerExpected::AnswerExpected()
{
    main().m_impl->answersExpected.fetch_add(1, std::memory_order_relaxed);
}

RunLoop::AnswerExpected::~AnswerExpected()
{
    main().m_impl->answersExpected.fetch_sub(1, std::memory_order_relaxed);
}

void RunLoop::AnswerExpected::arriving()
{
    auto& impl = *main().m_impl;
    {
        std::lock_guard lock(impl.mutex);
        impl.answerArriving = true;
    }
    impl.wake.notify_all();
}

bool RunLoop::isMainThread() const { return std::this_thread::get_id() == g_mainThread; }

}
