#include "platform/foundation/BlockPool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

using pf::BlockPool;

TEST(BlockPool, ClassesCoverEverySizeWithLittleWaste)
{
    for (std::size_t size = 1; size <= BlockPool::kLargestBlock; size++) {
        std::size_t block = BlockPool::blockSize(size);
        ASSERT_GE(block, size);
        ASSERT_EQ(block % BlockPool::kAlignment, 0u) << size;
        ASSERT_LE(block, size <= 128 ? size + 15 : size + size / 8) << size;
    }
    EXPECT_EQ(BlockPool::blockSize(BlockPool::kLargestBlock + 1), BlockPool::kLargestBlock + 1);
}

TEST(BlockPool, LiveBlocksNeverOverlap)
{
    // Sizes across the classes and past the largest one, each block filled
    // with its own byte and checked after every other one was written.
    const std::size_t sizes[] = {1, 8, 16, 17, 100, 129, 1000, 1296, 4097, 16384, 20000};
    std::vector<std::pair<unsigned char*, std::size_t>> live;
    for (int round = 0; round < 2; round++) {
        for (int i = 0; i < 600; i++) {
            std::size_t size = sizes[i % std::size(sizes)];
            auto* block = static_cast<unsigned char*>(BlockPool::allocate(size));
            ASSERT_EQ(reinterpret_cast<std::uintptr_t>(block) % BlockPool::kAlignment, 0u);
            std::memset(block, int(live.size() & 0xFF), size);
            live.emplace_back(block, size);
        }
        for (std::size_t i = 0; i < live.size(); i++) {
            std::vector<unsigned char> expected(live[i].second, static_cast<unsigned char>(i & 0xFF));
            ASSERT_EQ(std::memcmp(live[i].first, expected.data(), expected.size()), 0) << "block " << i;
        }
        // Free every other block, so the next round reuses them among live ones.
        std::vector<std::pair<unsigned char*, std::size_t>> kept;
        for (std::size_t i = 0; i < live.size(); i++) {
            if (i % 2)
                BlockPool::deallocate(live[i].first, live[i].second);
            else
                kept.push_back(live[i]);
        }
        live.clear();
        for (auto& [block, size] : kept) {
            std::memset(block, int(live.size() & 0xFF), size);
            live.emplace_back(block, size);
        }
    }
    for (auto& [block, size] : live)
        BlockPool::deallocate(block, size);
}

TEST(BlockPool, BlocksFreedOnAnotherThreadAreReusedAfterItEnds)
{
    // A size no other code of this program asks for.
    constexpr std::size_t kSize = 9000;
    constexpr int kCount = 200;
    std::size_t before = BlockPool::sharedFreeBlocksForTesting(kSize);
    std::vector<void*> blocks;
    for (int i = 0; i < kCount; i++)
        blocks.push_back(BlockPool::allocate(kSize));
    std::thread([&] {
        for (void* block : blocks)
            BlockPool::deallocate(block, kSize);
    }).join();
    EXPECT_GE(BlockPool::sharedFreeBlocksForTesting(kSize), before + kCount);

    std::set<void*> freed(blocks.begin(), blocks.end());
    int reused = 0;
    std::thread([&] {
        std::vector<void*> again;
        for (int i = 0; i < kCount; i++) {
            again.push_back(BlockPool::allocate(kSize));
            reused += freed.count(again.back()) ? 1 : 0;
        }
        for (void* block : again)
            BlockPool::deallocate(block, kSize);
    }).join();
    EXPECT_EQ(reused, kCount);
}

TEST(BlockPool, ThreadsTradingBlocksKeepThemIntact)
{
    // Each thread takes blocks, marks them, hands half to the next thread
    // through a shared pile and frees what it finds there, checking marks.
    constexpr int kThreads = 4;
    std::mutex mutex;
    std::vector<std::pair<std::uint32_t*, std::uint32_t>> pile; // guarded by mutex
    std::vector<std::thread> threads;
    std::vector<int> bad(kThreads, 0);
    for (int t = 0; t < kThreads; t++) {
        threads.emplace_back([&, t] {
            for (std::uint32_t i = 0; i < 3000; i++) {
                std::size_t size = 16 + (i * 7 + std::uint32_t(t) * 131) % 2000;
                auto* block = static_cast<std::uint32_t*>(BlockPool::allocate(size * 4));
                std::uint32_t mark = std::uint32_t(t) << 24 | i;
                for (std::size_t j = 0; j < size; j++)
                    block[j] = mark;
                std::pair<std::uint32_t*, std::uint32_t> other{nullptr, 0};
                {
                    std::lock_guard lock(mutex);
                    if (i % 2) {
                        pile.emplace_back(block, std::uint32_t(size));
                        block = nullptr;
                    }
                    if (!pile.empty() && i % 3 == 0) {
                        other = pile.back();
                        pile.pop_back();
                    }
                }
                for (auto [p, n] : {std::pair{block, std::uint32_t(size)}, other}) {
                    if (!p)
                        continue;
                    for (std::size_t j = 1; j < n; j++)
                        bad[std::size_t(t)] += p[j] != p[0];
                    BlockPool::deallocate(p, n * 4);
                }
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (auto [p, n] : pile)
        BlockPool::deallocate(p, n * 4);
    for (int t = 0; t < kThreads; t++)
        EXPECT_EQ(bad[std::size_t(t)], 0) << "thread " << t;
}
