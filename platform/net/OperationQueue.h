#pragma once

// Operations run on a queue of worker threads, at most `maxConcurrentOperationCount`
// at once, started in the order they were added. A worker thread lives as long
// as the queue and runs one operation after another (so its HTTP connections
// are reused). An operation added while threads are idle goes to the one that
// became idle last: its caches are warm, and exchanges sent one after another
// keep to one thread and its connections.
//
// An operation cancelled before it starts never runs. Destroying the queue
// cancels every operation and waits for the running ones to return.

#include "platform/net/Forward.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace pf {

class Operation : public std::enable_shared_from_this<Operation> {
public:
    virtual ~Operation() = default;

    // Worker thread.
    virtual void main() = 0;
    // Any thread. Subclasses that wait or transfer wake themselves here and
    // call the base.
    virtual void cancel() { m_cancelled = true; }
    bool isCancelled() const { return m_cancelled.load(); }
    bool isExecuting() const { return m_executing.load(); }
    bool isFinished() const { return m_finished.load(); }

private:
    friend class OperationQueue;
    std::atomic<bool> m_cancelled = false;
    std::atomic<bool> m_executing = false;
    std::atomic<bool> m_finished = false;
};
using OperationRef = std::shared_ptr<Operation>;

class OperationQueue {
public:
    // A width below 1 means 1.
    explicit OperationQueue(int maxConcurrentOperationCount = 1);
    ~OperationQueue();
    OperationQueue(const OperationQueue&) = delete;
    OperationQueue& operator=(const OperationQueue&) = delete;

    int maxConcurrentOperationCount() const { return m_width; }
    // Any thread.
    void addOperation(OperationRef operation);
    // Waiting and running operations, in the order they were added.
    std::vector<OperationRef> operations() const;
    std::size_t operationCount() const;
    // Threads waiting for an operation.
    std::size_t idleThreadCount() const;
    void cancelAllOperations();
    // Blocks until nothing waits or runs. Never call it from an operation.
    void waitUntilAllOperationsAreFinished();

private:
    void work();

    const int m_width;
    mutable std::mutex m_mutex; // guards everything below
    std::condition_variable m_idle;
    std::deque<OperationRef> m_waiting;
    std::atomic<std::size_t> m_waitingCount{0}; // m_waiting.size(), readable without the lock
    std::vector<OperationRef> m_running;
    std::vector<std::thread> m_threads;
    // The wake-up of each idle thread, the one that became idle last on top.
    std::vector<std::condition_variable*> m_idleThreads;
    // Threads looking for work a short while before they sleep; each takes
    // an operation when it relocks, so that many need no wake-up.
    std::size_t m_looking = 0;
    bool m_stopping = false;
};

}
