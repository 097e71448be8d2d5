#include "platform/foundation/BlockPool.h"

#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

// Free blocks are poisoned for the address sanitizer, and so is the slack
// of a block past the size asked for, so pooled storage is checked as
// closely as the sanitizer's own allocations (short of its quarantine).
#if defined(__SANITIZE_ADDRESS__)
#define ZMR_POOL_POISON 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZMR_POOL_POISON 1
#endif
#endif

namespace pf {

namespace {

#ifdef ZMR_POOL_POISON
void poison(void* p, std::size_t n) { ASAN_POISON_MEMORY_REGION(p, n); }
void unpoison(void* p, std::size_t n) { ASAN_UNPOISON_MEMORY_REGION(p, n); }
#else
void poison(void*, std::size_t) {}
void unpoison(void*, std::size_t) {}
#endif

static_assert(alignof(std::max_align_t) >= BlockPool::kAlignment, "malloc must align runs for every class");

// Sixteen-byte steps up to 128 bytes, then eight classes per doubling, so a
// block wastes at most an eighth of itself.
constexpr unsigned kSmallClasses = 8;
constexpr std::size_t kSmallLimit = 128;
constexpr unsigned kClassCount = kSmallClasses + (14 - 7) * 8;

unsigned classOf(std::size_t size)
{
    if (size <= kSmallLimit)
        return size == 0 ? 0 : unsigned((size - 1) / 16);
    // 2^k < size <= 2^(k+1), k >= 7; eight steps of 2^(k-3) in between.
    unsigned k = 63 - unsigned(__builtin_clzll(size - 1));
    unsigned step = unsigned((size - 1 - (std::size_t(1) << k)) >> (k - 3));
    return kSmallClasses + (k - 7) * 8 + step;
}

struct ClassTable {
    std::uint32_t size[kClassCount];
    // Blocks in one batch, and in one fresh run: about 64 KB worth.
    std::uint32_t batchLimit[kClassCount];
};

constexpr ClassTable makeClassTable()
{
    ClassTable table{};
    for (unsigned c = 0; c < kClassCount; c++) {
        std::size_t size = (c + 1) * 16;
        if (c >= kSmallClasses) {
            unsigned k = 7 + (c - kSmallClasses) / 8, step = (c - kSmallClasses) % 8;
            size = (std::size_t(1) << k) + (std::size_t(step) + 1) * (std::size_t(1) << (k - 3));
        }
        table.size[c] = std::uint32_t(size);
        table.batchLimit[c] = std::uint32_t(std::clamp<std::size_t>(65536 / size, 8, 512));
    }
    return table;
}

constexpr ClassTable kClasses = makeClassTable();
static_assert(kClasses.size[kClassCount - 1] == BlockPool::kLargestBlock, "the last class is the largest block");

inline std::size_t classSize(unsigned c) { return kClasses.size[c]; }
inline std::uint32_t batchLimit(unsigned c) { return kClasses.batchLimit[c]; }

// Free blocks of one class, as an array of their addresses: taking and
// giving blocks never touches their (often cold) memory.
struct Batch {
    std::size_t count;
    // The batchLimit addresses follow the header.
    void*& operator[](std::size_t i) { return reinterpret_cast<void**>(this + 1)[i]; }
};

Batch* newBatch(unsigned c)
{
    void* memory = std::malloc(sizeof(Batch) + sizeof(void*) * batchLimit(c));
    if (!memory)
        throw std::bad_alloc();
    auto* batch = static_cast<Batch*>(memory);
    batch->count = 0;
    return batch;
}

// What every thread shares: batches handed over whole, empty batches to
// hand back, and the runs carved for the classes (kept so that the memory
// stays reachable).
struct SharedStore {
    std::mutex mutex; // guards everything below
    std::vector<Batch*> full[kClassCount];
    std::vector<Batch*> empty[kClassCount];
    std::vector<void*> runs;

    // A fresh run of blocks of class c, poisoned; returns its start.
    char* newRun(unsigned c, char** end)
    {
        std::size_t bytes = batchLimit(c) * classSize(c);
        void* run = std::malloc(bytes);
        if (!run)
            throw std::bad_alloc();
        runs.push_back(run);
        poison(run, bytes);
        *end = static_cast<char*>(run) + bytes;
        return static_cast<char*>(run);
    }

    Batch* takeEmpty(unsigned c)
    {
        if (empty[c].empty())
            return newBatch(c);
        Batch* batch = empty[c].back();
        empty[c].pop_back();
        return batch;
    }

    // Keeps a batch with blocks for other threads; an empty one for reuse.
    void give(unsigned c, Batch* batch)
    {
        if (batch)
            (batch->count ? full[c] : empty[c]).push_back(batch);
    }

    // Without a thread cache (while a thread ends): one block at a time.
    void giveOne(unsigned c, void* block)
    {
        std::lock_guard lock(mutex);
        if (full[c].empty() || full[c].back()->count == batchLimit(c))
            full[c].push_back(takeEmpty(c));
        Batch* batch = full[c].back();
        (*batch)[batch->count++] = block;
    }

    void* takeOne(unsigned c)
    {
        std::lock_guard lock(mutex);
        if (full[c].empty()) {
            char* end;
            char* run = newRun(c, &end);
            Batch* batch = takeEmpty(c);
            for (char* block = run; block < end; block += classSize(c))
                (*batch)[batch->count++] = block;
            full[c].push_back(batch);
        }
        Batch* batch = full[c].back();
        void* block = (*batch)[--batch->count];
        if (batch->count == 0) {
            full[c].pop_back();
            empty[c].push_back(batch);
        }
        return block;
    }
};

SharedStore& shared()
{
    static SharedStore* store = new SharedStore; // never destroyed: blocks are freed during exit
    return *store;
}

// One thread's blocks of one class: two batches (so a thread hovering at a
// batch boundary does not trade batches on every call) and what is left of
// a fresh run. Blocks are taken from `current` first.
struct ClassCache {
    Batch* current = nullptr;
    Batch* other = nullptr;
    char* run = nullptr;
    char* runEnd = nullptr;
};

struct ThreadCache {
    ClassCache classes[kClassCount];
};

thread_local ThreadCache* t_cache = nullptr;
thread_local bool t_gone = false;

// Hands the thread's blocks to the shared store when the thread ends.
struct ThreadCacheReaper {
    bool armed = false;
    ~ThreadCacheReaper()
    {
        ThreadCache* cache = t_cache;
        t_cache = nullptr;
        t_gone = true;
        if (!cache)
            return;
        SharedStore& store = shared();
        std::lock_guard lock(store.mutex);
        for (unsigned c = 0; c < kClassCount; c++) {
            ClassCache& mine = cache->classes[c];
            store.give(c, mine.current);
            store.give(c, mine.other);
            for (char* block = mine.run; block && block < mine.runEnd; block += classSize(c)) {
                if (store.full[c].empty() || store.full[c].back()->count == batchLimit(c))
                    store.full[c].push_back(store.takeEmpty(c));
                Batch* batch = store.full[c].back();
                (*batch)[batch->count++] = block;
            }
        }
        delete cache;
    }
};
thread_local ThreadCacheReaper t_reaper;

[[gnu::noinline]] ThreadCache* makeThreadCache()
{
    if (t_gone)
        return nullptr;
    t_reaper.armed = true; // constructs it, so its destructor runs at thread end
    t_cache = new (std::nothrow) ThreadCache; // without one, blocks go to the shared store directly
    return t_cache;
}

inline ThreadCache* threadCache() { return t_cache ? t_cache : makeThreadCache(); }

// `current` and `other` are both empty (or missing): takes a batch from the
// store, or else a fresh run.
[[gnu::noinline]] void refill(unsigned c, ClassCache& mine)
{
    SharedStore& store = shared();
    std::lock_guard lock(store.mutex);
    if (store.full[c].empty()) {
        mine.run = store.newRun(c, &mine.runEnd);
        return;
    }
    store.give(c, mine.current);
    mine.current = store.full[c].back();
    store.full[c].pop_back();
}

// `current` is full or missing: makes room in it, passing a full batch to
// the store when both are full.
[[gnu::noinline]] void makeRoom(unsigned c, ClassCache& mine)
{
    if (mine.other && mine.other->count < batchLimit(c)) {
        std::swap(mine.current, mine.other);
        return;
    }
    SharedStore& store = shared();
    std::lock_guard lock(store.mutex);
    if (mine.other)
        store.give(c, mine.other);
    mine.other = mine.current;
    mine.current = store.takeEmpty(c);
}

}

void* BlockPool::allocate(std::size_t size)
{
    if (size > kLargestBlock)
        return ::operator new(size);
    unsigned c = classOf(size);
    ThreadCache* cache = threadCache();
    void* block;
    if (!cache) {
        block = shared().takeOne(c);
    } else {
        ClassCache& mine = cache->classes[c];
        if ((!mine.current || !mine.current->count) && mine.other && mine.other->count)
            std::swap(mine.current, mine.other);
        if ((!mine.current || !mine.current->count) && mine.run == mine.runEnd)
            refill(c, mine);
        if (mine.current && mine.current->count) {
            block = (*mine.current)[--mine.current->count];
        } else {
            block = mine.run;
            mine.run += classSize(c);
        }
    }
    // The slack past `size` stays poisoned.
    unpoison(block, size);
    return block;
}

void BlockPool::deallocate(void* block, std::size_t size) noexcept
{
    if (!block)
        return;
    if (size > kLargestBlock) {
        ::operator delete(block);
        return;
    }
    unsigned c = classOf(size);
    poison(block, classSize(c));
    ThreadCache* cache = threadCache();
    if (!cache) {
        shared().giveOne(c, block);
        return;
    }
    ClassCache& mine = cache->classes[c];
    if (!mine.current || mine.current->count == batchLimit(c))
        makeRoom(c, mine);
    (*mine.current)[mine.current->count++] = block;
}

std::size_t BlockPool::blockSize(std::size_t size)
{
    return size > kLargestBlock ? size : classSize(classOf(size));
}

std::size_t BlockPool::sharedFreeBlocksForTesting(std::size_t size)
{
    if (size > kLargestBlock)
        return 0;
    SharedStore& store = shared();
    std::lock_guard lock(store.mutex);
    std::size_t n = 0;
    for (const Batch* batch : store.full[classOf(size)])
        n += batch->count;
    return n;
}

}
