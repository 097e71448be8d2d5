#pragma once

// The repeating timer of script-package updates: the block runs first after
// `delay` minutes, then every `interval` minutes (30 when 0), on the serial
// queue "JS_UPDATE_TIMER_QUEUE" of each start. stop() ends it; a block that
// is already running finishes. Destroying the timer stops it. The clock is process-wide and replaceable, so
// tests can move time by hand.
//
// start() and stop() from one thread (the main thread).

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Value.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

// Time as the updater sees it. The default is the wall clock and the queue's
// own delays.
class JsUpdateClock {
public:
    virtual ~JsUpdateClock() = default;
    virtual pf::Date now();
    // Runs `task` on `queue` once `delay` has passed.
    virtual void after(const pf::DispatchQueueRef& queue, pf::Seconds delay, pf::Task task);
};

class JsUpdateTimer {
public:
    static std::shared_ptr<JsUpdateClock> clock();
    // Null puts the default clock back.
    static void setClock(std::shared_ptr<JsUpdateClock> clock);

    JsUpdateTimer(std::uint32_t interval, std::uint32_t delay) : m_interval(interval), m_delay(delay) {}
    ~JsUpdateTimer() { stop(); }
    JsUpdateTimer(const JsUpdateTimer&) = delete;
    JsUpdateTimer& operator=(const JsUpdateTimer&) = delete;

    std::uint32_t interval() const { return m_interval; }
    std::uint32_t delay() const { return m_delay; }
    // Starts once; later calls do nothing.
    void start(std::function<void()> block);
    void stop();

private:
    std::uint32_t m_interval = 0;
    std::uint32_t m_delay = 0;
    std::shared_ptr<std::atomic<bool>> m_stopped; // shared with the firings
    // Destroying it drops the firing that waits.
    pf::DispatchQueueRef m_queue;
};
