#include "platform/foundation/DispatchQueue.h"

#include "platform/foundation/Exception.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

namespace pf {

namespace {
using Clock = std::chrono::steady_clock;
thread_local const DispatchQueue* t_currentQueue = nullptr;
}

struct DispatchQueue::Impl {
    std::mutex mutex; // guards tasks, delayed, sequence, stopping
    std::condition_variable wake;
    std::deque<Task> tasks;
    std::map<std::pair<Clock::time_point, std::uint64_t>, Task> delayed;
    std::uint64_t sequence = 0;
    bool stopping = false;
    std::thread thread;

    void loop(const DispatchQueue* owner)
    {
        t_currentQueue = owner;
        std::unique_lock lock(mutex);
        for (;;) {
            while (!delayed.empty() && delayed.begin()->first.first <= Clock::now()) {
                tasks.push_back(std::move(delayed.begin()->second));
                delayed.erase(delayed.begin());
            }
            if (!tasks.empty()) {
                Task task = std::move(tasks.front());
                tasks.pop_front();
                lock.unlock();
                try {
                    task();
                } catch (...) {
                    terminateWithUncaughtException(std::current_exception());
                }
                lock.lock();
                continue;
            }
            if (stopping)
                return;
            if (delayed.empty())
                wake.wait(lock);
            else {
                // A copy: wait_until reads the deadline again after waking,
                // and the node may be gone by then (the destructor clears it).
                Clock::time_point deadline = delayed.begin()->first.first;
                wake.wait_until(lock, deadline);
            }
        }
    }
};

DispatchQueue::DispatchQueue(std::string label) : m_label(std::move(label)), m_impl(std::make_unique<Impl>()) {}

std::shared_ptr<DispatchQueue> DispatchQueue::create(std::string label)
{
    std::shared_ptr<DispatchQueue> queue(new DispatchQueue(std::move(label)));
    Impl* impl = queue->m_impl.get();
    const DispatchQueue* owner = queue.get();
    impl->thread = std::thread([impl, owner] { impl->loop(owner); });
    return queue;
}

DispatchQueue::~DispatchQueue()
{
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->stopping = true;
        m_impl->delayed.clear();
    }
    m_impl->wake.notify_all();
    if (m_impl->thread.get_id() == std::this_thread::get_id()) {
        // The last owner let go inside one of the queue's own tasks: the
        // thread finishes the queue on its own and must keep the state alive.
        m_impl->thread.detach();
        (void)m_impl.release(); // the detached loop still uses it; a rare, bounded leak
        return;
    }
    if (m_impl->thread.joinable())
        m_impl->thread.join();
}

void DispatchQueue::async(Task task)
{
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->tasks.push_back(std::move(task));
    }
    m_impl->wake.notify_all();
}

void DispatchQueue::sync(const Task& task)
{
    std::mutex doneMutex;
    std::condition_variable doneWake;
    bool done = false;
    async([&] {
        task();
        std::lock_guard lock(doneMutex);
        done = true;
        doneWake.notify_all();
    });
    std::unique_lock lock(doneMutex);
    doneWake.wait(lock, [&] { return done; });
}

void DispatchQueue::after(Seconds delay, Task task)
{
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->delayed.emplace(std::make_pair(Clock::now() + std::chrono::duration_cast<Clock::duration>(delay),
                                               m_impl->sequence++),
                                std::move(task));
    }
    m_impl->wake.notify_all();
}

bool DispatchQueue::isCurrent() const { return t_currentQueue == this; }

void dispatchMain(Task task) { RunLoop::main().post(std::move(task)); }

void dispatchMainAfter(Seconds delay, Task task) { RunLoop::main().scheduleTimer(delay, false, std::move(task)); }

}
