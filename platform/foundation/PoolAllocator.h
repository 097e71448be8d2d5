#pragma once

// A standard allocator over BlockPool, for the storage of the collections'
// private vectors and for std::allocate_shared. Stateless: any two compare
// equal, and a block may be freed through any of them on any thread.

#include "platform/foundation/BlockPool.h"

#include <cstddef>

namespace pf {

template <class T> class PoolAllocator {
public:
    using value_type = T;
    static_assert(alignof(T) <= BlockPool::kAlignment, "the pool aligns blocks to 16 bytes");

    PoolAllocator() noexcept = default;
    template <class U> PoolAllocator(const PoolAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) { return static_cast<T*>(BlockPool::allocate(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) noexcept { BlockPool::deallocate(p, n * sizeof(T)); }

    template <class U> bool operator==(const PoolAllocator<U>&) const noexcept { return true; }
};

}
