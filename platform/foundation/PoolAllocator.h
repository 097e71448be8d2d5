#pragma once

// A standard allocator over BlockPool, for the storage of the collections'
// private vectors and for std::allocate_shared. Stateless: any two compare
// equal, and a block may be freed through any of them on any thread.
//
// Under the address sanitizer it allocates with operator new instead: pooled
// memory stays reachable from the pool, so the leak checker would no longer
// see a collection caught in a reference cycle, and the sanitizer's own
// quarantine catches late uses the pool's poisoning cannot. The pool itself
// is tested directly.

#include "platform/foundation/BlockPool.h"

#include <cstddef>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define ZMR_POOL_BYPASS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZMR_POOL_BYPASS 1
#endif
#endif

namespace pf {

template <class T> class PoolAllocator {
public:
    using value_type = T;
    static_assert(alignof(T) <= BlockPool::kAlignment, "the pool aligns blocks to 16 bytes");

    PoolAllocator() noexcept = default;
    template <class U> PoolAllocator(const PoolAllocator<U>&) noexcept {}

#ifdef ZMR_POOL_BYPASS
    T* allocate(std::size_t n) { return static_cast<T*>(::operator new(n * sizeof(T))); }
    void deallocate(T* p, std::size_t) noexcept { ::operator delete(p); }
#else
    T* allocate(std::size_t n) { return static_cast<T*>(BlockPool::allocate(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) noexcept { BlockPool::deallocate(p, n * sizeof(T)); }
#endif

    template <class U> bool operator==(const PoolAllocator<U>&) const noexcept { return true; }
};

}
