#include "sdk/zz/JsUpdateTimer.h"

#include <mutex>

namespace {

std::mutex g_clockMutex; // guards g_clock
std::shared_ptr<JsUpdateClock> g_clock;

struct Firing {
    std::weak_ptr<pf::DispatchQueue> queue; // owned by the timer
    std::shared_ptr<std::atomic<bool>> stopped;
    std::function<void()> block;
    pf::Seconds period;
};

void schedule(const std::shared_ptr<Firing>& firing, pf::Seconds delay)
{
    pf::DispatchQueueRef queue = firing->queue.lock();
    if (!queue)
        return;
    JsUpdateTimer::clock()->after(queue, delay, [firing] {
        if (firing->stopped->load())
            return;
        firing->block();
        if (!firing->stopped->load())
            schedule(firing, firing->period);
    });
}

}

pf::Date JsUpdateClock::now()
{
    return pf::Date::now();
}

void JsUpdateClock::after(const pf::DispatchQueueRef& queue, pf::Seconds delay, pf::Task task)
{
    queue->after(delay, std::move(task));
}

std::shared_ptr<JsUpdateClock> JsUpdateTimer::clock()
{
    std::lock_guard<std::mutex> lock(g_clockMutex);
    if (!g_clock)
        g_clock = std::make_shared<JsUpdateClock>();
    return g_clock;
}

void JsUpdateTimer::setClock(std::shared_ptr<JsUpdateClock> clock)
{
    std::lock_guard<std::mutex> lock(g_clockMutex);
    g_clock = std::move(clock);
}

void JsUpdateTimer::start(std::function<void()> block)
{
    if (m_stopped)
        return;
    m_stopped = std::make_shared<std::atomic<bool>>(false);
    auto firing = std::make_shared<Firing>();
    m_queue = pf::DispatchQueue::create("JS_UPDATE_TIMER_QUEUE");
    firing->queue = m_queue;
    firing->stopped = m_stopped;
    firing->block = std::move(block);
    firing->period = pf::Seconds(60.0 * (m_interval ? m_interval : 30));
    schedule(firing, pf::Seconds(60.0 * m_delay));
}

void JsUpdateTimer::stop()
{
    if (m_stopped)
        m_stopped->store(true);
}
