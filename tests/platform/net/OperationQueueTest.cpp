#include "platform/net/HttpExchange.h"
#include "platform/net/OperationQueue.h"

#include "tools/testserver/TestServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

namespace {

struct Counts {
    std::atomic<int> running = 0, peak = 0, ran = 0;
};

struct CountingOperation final : pf::Operation {
    Counts& counts;
    explicit CountingOperation(Counts& c) : counts(c) {}
    void main() override
    {
        int now = ++counts.running;
        for (int seen = counts.peak.load(); now > seen && !counts.peak.compare_exchange_weak(seen, now);) {
        }
        std::this_thread::sleep_for(30ms);
        --counts.running;
        ++counts.ran;
    }
};

}

TEST(OperationQueueWidth, RunsAtMostTheWidthAtOnceAndBelowOneMeansOne)
{
    struct Row {
        int width;
        int peak;
    } rows[] = {{0, 1}, {-3, 1}, {1, 1}, {3, 3}};
    for (auto row : rows) {
        Counts counts;
        pf::OperationQueue queue(row.width);
        for (int i = 0; i < 8; ++i)
            queue.addOperation(std::make_shared<CountingOperation>(counts));
        queue.waitUntilAllOperationsAreFinished();
        EXPECT_EQ(counts.peak.load(), row.peak) << row.width;
        EXPECT_EQ(counts.ran.load(), 8);
    }
}

TEST(OperationQueueCancel, CancelledBeforeStartNeverRuns)
{
    Counts counts;
    pf::OperationQueue queue(1);
    auto second = std::make_shared<CountingOperation>(counts);
    queue.addOperation(std::make_shared<CountingOperation>(counts));
    queue.addOperation(second);
    second->cancel();
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(counts.ran.load(), 1);
    EXPECT_TRUE(second->isFinished());
}

// Exchanges sent one after another keep to the thread that went idle last,
// with its warm caches and connections, however many threads the queue has.
TEST(OperationQueueThreads, OneAfterAnotherRunOnTheThreadIdleLast)
{
    struct Recording final : pf::Operation {
        std::function<void()> body;
        explicit Recording(std::function<void()> b) : body(std::move(b)) {}
        void main() override { body(); }
    };
    pf::OperationQueue queue(4);
    std::mutex mutex;
    std::condition_variable changed;
    int started = 0;
    bool release = false;
    for (int i = 0; i < 4; ++i) {
        queue.addOperation(std::make_shared<Recording>([&] {
            std::unique_lock lock(mutex);
            ++started;
            changed.notify_all();
            changed.wait(lock, [&] { return release; });
        }));
    }
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, 10s, [&] { return started == 4; })); // four threads exist
        release = true;
        changed.notify_all();
    }
    for (auto deadline = std::chrono::steady_clock::now() + 10s;
         queue.idleThreadCount() < 4 && std::chrono::steady_clock::now() < deadline;)
        std::this_thread::yield();
    ASSERT_EQ(queue.idleThreadCount(), 4u);
    std::vector<std::thread::id> ranOn;
    for (int i = 0; i < 6; ++i) {
        queue.addOperation(std::make_shared<Recording>([&] { ranOn.push_back(std::this_thread::get_id()); }));
        queue.waitUntilAllOperationsAreFinished();
    }
    ASSERT_EQ(ranOn.size(), 6u);
    for (const auto& id : ranOn)
        EXPECT_EQ(id, ranOn.front());
}

TEST(HttpExchangeAsync, CancelSilencesAStalledExchangeAndFreesTheThread)
{
    zmr::TestServer server;
    pf::OperationQueue queue(1);
    std::atomic<int> ends = 0;
    pf::HttpExchangeCallbacks callbacks;
    callbacks.finished = [&] { ++ends; };
    callbacks.failed = [&](const pf::Error&) { ++ends; };
    auto exchange = std::make_shared<pf::HttpExchange>(pf::HttpRequest(server.url("/stall")), callbacks);
    queue.addOperation(exchange);
    for (auto deadline = std::chrono::steady_clock::now() + 60s;
         server.count("/stall") == 0 && std::chrono::steady_clock::now() < deadline;)
        std::this_thread::yield();
    ASSERT_EQ(server.count("/stall"), 1u);
    // The server stalls for good: the wait returns only if cancel frees the thread.
    exchange->cancel();
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(ends.load(), 0);
}
