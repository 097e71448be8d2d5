#pragma once

// Memory blocks in size classes for the storage of the shared collections.
// A decoded answer builds thousands of dictionaries and arrays at once and
// frees them together later; glibc keeps only a handful of free blocks per
// size in its thread cache and none past about a kilobyte, so such bursts
// went through its slow paths (and its consolidation) block by block.
//
// Thread-safe; a block may be freed on any thread, not only the one that took
// it. Each thread keeps up to two batches of free blocks per class and trades
// whole batches with a shared store under a lock, so the lock is taken once
// per batch, never per block; a thread's blocks go to the store when it ends.
// Memory the pool has taken stays in it for reuse and is not returned to the
// system. Requests larger than `kLargestBlock` go to operator new.
//
// Under the address sanitizer, free blocks and the slack past the size asked
// for are poisoned.

#include <cstddef>

namespace pf {

class BlockPool {
public:
    static constexpr std::size_t kLargestBlock = 16384;
    static constexpr std::size_t kAlignment = 16;

    // A block of at least `size` bytes, aligned to kAlignment; throws
    // std::bad_alloc as operator new does.
    static void* allocate(std::size_t size);
    // `size` is the size the block was asked for. Null is ignored.
    static void deallocate(void* block, std::size_t size) noexcept;

    // The bytes a request of `size` takes (its class), or `size` itself past
    // the largest class.
    static std::size_t blockSize(std::size_t size);
    // Free blocks of the class of `size` held by the shared store, for tests
    // of the exchange between threads.
    static std::size_t sharedFreeBlocksForTesting(std::size_t size);
};

}
