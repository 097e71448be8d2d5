#pragma once

// Waiting on the analytics collector's queues, for the collector's own tests
// and for the SDKs that feed it.

#include "platform/foundation/DispatchQueue.h"
#include "sdk/analytics/MCA4ZC.h"
#include "sdk/analytics/MCA4ZCDispatcher.h"
#include "sdk/analytics/MCA4ZCStore.h"

#include <chrono>
#include <functional>
#include <thread>

namespace analytics_test {

// Lets the facade, store and upload queues finish what is posted so far.
inline void drain()
{
    for (int round = 0; round < 4; ++round) {
        if (auto facade = MCA4ZC::getInstance())
            facade->getTaskQueue()->sync([] {});
        if (auto store = MCA4ZCStore::peekInstance())
            store->getTaskQueue()->sync([] {});
        MCA4ZCDispatcher::getInstance()->getTaskQueue()->sync([] {});
    }
}

// Waits (generously) for the condition; with `draining`, lets the queues run between looks.
inline bool waitFor(const std::function<bool()>& condition, bool draining = true)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::yield();
        if (draining)
            drain();
    }
    return true;
}

}
