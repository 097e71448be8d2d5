#include "platform/net/OperationQueue.h"

#include "platform/foundation/BriefLook.h"

#include <algorithm>

namespace pf {

OperationQueue::OperationQueue(int maxConcurrentOperationCount) : m_width(std::max(1, maxConcurrentOperationCount))
{
}

OperationQueue::~OperationQueue()
{
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        threads.swap(m_threads);
    }
    cancelAllOperations();
    {
        std::lock_guard lock(m_mutex);
        for (auto* wake : m_idleThreads)
            wake->notify_one();
    }
    for (auto& thread : threads)
        thread.join();
}

void OperationQueue::addOperation(OperationRef operation)
{
    if (!operation)
        return;
    std::condition_variable* idle = nullptr;
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping)
            return;
        m_waiting.push_back(std::move(operation));
        m_waitingCount = m_waiting.size();
        // A thread still looking before it sleeps takes the operation
        // itself; waking another would hand it to a colder thread.
        if (m_waiting.size() > m_looking) {
            if (!m_idleThreads.empty()) {
                idle = m_idleThreads.back();
                m_idleThreads.pop_back();
            } else if (static_cast<int>(m_threads.size()) < m_width) {
                m_threads.emplace_back([this] { work(); });
            }
        }
    }
    // Woken outside the lock, or it would wake only to wait for the lock.
    // The wake-up outlives this: a thread ends only once the queue stops.
    if (idle)
        idle->notify_one();
}

std::vector<OperationRef> OperationQueue::operations() const
{
    std::lock_guard lock(m_mutex);
    std::vector<OperationRef> all(m_running.begin(), m_running.end());
    all.insert(all.end(), m_waiting.begin(), m_waiting.end());
    return all;
}

std::size_t OperationQueue::operationCount() const
{
    std::lock_guard lock(m_mutex);
    return m_running.size() + m_waiting.size();
}

std::size_t OperationQueue::idleThreadCount() const
{
    std::lock_guard lock(m_mutex);
    return m_idleThreads.size();
}

void OperationQueue::cancelAllOperations()
{
    for (auto& operation : operations())
        operation->cancel();
}

void OperationQueue::waitUntilAllOperationsAreFinished()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [&] { return m_waiting.empty() && m_running.empty(); });
}

void OperationQueue::work()
{
    // Exchanges often come back to back (a list page, then the next request
    // of the same screen): look again for a short while before sleeping,
    // which saves a wake-up on each of them.
    std::condition_variable wake;
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_waiting.empty() && !m_stopping) {
            ++m_looking;
            lock.unlock();
            lookBriefly([this] { return m_waitingCount.load(std::memory_order_acquire) == 0; });
            lock.lock();
            --m_looking;
            if (!m_waiting.empty() || m_stopping)
                continue;
            // Listed exactly while waiting, so that addOperation() and the
            // destructor reach it; after any wake-up it looks again.
            m_idleThreads.push_back(&wake);
            wake.wait(lock);
            std::erase(m_idleThreads, &wake);
            continue;
        }
        if (m_waiting.empty())
            return; // stopping
        OperationRef operation = std::move(m_waiting.front());
        m_waiting.pop_front();
        m_waitingCount = m_waiting.size();
        if (!operation->isCancelled()) {
            m_running.push_back(operation);
            operation->m_executing = true;
            lock.unlock();
            operation->main();
            lock.lock();
            operation->m_executing = false;
            std::erase(m_running, operation);
        }
        operation->m_finished = true;
        // Release outside the lock: an operation's destructor may post work.
        lock.unlock();
        operation.reset();
        lock.lock();
        if (m_waiting.empty() && m_running.empty())
            m_idle.notify_all();
    }
}

}
