#pragma once

// Serial dispatch queues: each runs its tasks one at a time, in order, on a
// thread of its own. A queue is a good home for one piece of state (a cache
// database, a monitor database) in place of a lock.
//
// async() never runs the task synchronously. Tasks still queued when the
// queue is destroyed are run before the thread ends, so no write is lost.

#include "platform/foundation/RunLoop.h"

#include <string>

namespace pf {

class DispatchQueue {
public:
    static std::shared_ptr<DispatchQueue> create(std::string label);
    ~DispatchQueue();

    const std::string& label() const { return m_label; }
    void async(Task task);
    // Runs `task` on the queue and waits for it; never call it from the queue itself.
    void sync(const Task& task);
    void after(Seconds delay, Task task);
    bool isCurrent() const;

    DispatchQueue(const DispatchQueue&) = delete;
    DispatchQueue& operator=(const DispatchQueue&) = delete;

private:
    explicit DispatchQueue(std::string label);
    struct Impl;
    std::string m_label;
    std::unique_ptr<Impl> m_impl;
};
using DispatchQueueRef = std::shared_ptr<DispatchQueue>;

// Any thread: runs `task` on the main run loop's next turn.
void dispatchMain(Task task);
// Any thread: runs `task` on the main run loop after `delay`.
void dispatchMainAfter(Seconds delay, Task task);

}
