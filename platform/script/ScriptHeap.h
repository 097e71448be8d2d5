#pragma once

// The engine heap of a script context: its byte budget, the small blocks it
// keeps for reuse, and the names and paths of callFunction interned once.
// Internal to this library; used on the context's thread only.

#include "platform/script/ScriptContext.h"

#include <duktape.h>

#include <array>
#include <cstddef>
#include <string_view>

namespace pf {

// The engine heap and its byte budget. Every block carries its size in a
// header so that frees and reallocations keep the count exact.
struct ScriptContext::Heap {
    std::size_t limit = 0;
    std::size_t used = 0;
    ScriptContext* owner = nullptr; // cleared before the heap goes away
    duk_context* ctx = nullptr;

    // Names that callFunction paths are made of, interned once and kept
    // alive in the heap stash: native code calls the same few functions
    // over and over (an answer to every script call of the bridge), and
    // interning a name anew hashes and looks it up each time. Fixed room,
    // so that filling it never allocates inside the engine's calls.
    struct Key {
        char name[24];
        std::size_t length = 0;
        void* string = nullptr;
    };
    std::array<Key, 16> keys{};
    std::size_t keyCount = 0;

    // The interned name, kept; null when there is no room left for it.
    void* keptKey(std::string_view name);

    // Pushes the interned name.
    void pushKey(std::string_view name);

    // Paths given to callFunction, split once into their kept names: the
    // same few are called over and over, and splitting a path again and
    // finding each of its names cost a good part of the lookups themselves.
    struct Path {
        char text[48];
        std::size_t length = 0;
        std::array<void*, 4> names{};
        std::size_t count = 0;
    };
    std::array<Path, 8> paths{};
    std::size_t pathCount = 0;

    // The split path; null when it has an empty name or is not kept (too
    // long, too many names, or no room left for it or its names).
    const Path* splitPath(std::string_view text);

    ~Heap();

    static constexpr std::size_t header = alignof(std::max_align_t);

    // Freed small blocks kept for reuse, by size class: the engine makes and
    // drops a few short strings on every call (a bridge URL, an argument),
    // and taking one back from here is several times cheaper than the
    // system's allocator. Blocks up to `spareLargest` bytes are made in
    // whole classes; each class keeps at most `spareDepth` blocks, linked
    // through their first bytes. Kept blocks do not count as in use.
    static constexpr std::size_t spareStep = 16;
    static constexpr std::size_t spareLargest = 256;
    static constexpr std::size_t spareDepth = 32;
    std::array<void*, spareLargest / spareStep> spare{};
    std::array<std::size_t, spareLargest / spareStep> spareCount{};

    // The engine's memory functions, `udata` being the heap.
    static void* allocate(void* udata, duk_size_t size);
    static void* reallocate(void* udata, void* pointer, duk_size_t size);
    static void release(void* udata, void* pointer);

    // Reached only for an error outside any protected call, which our calls
    // never make; the engine cannot continue after it.
    static void fatal(void*, const char* message);

    // The heap of an engine context made by ScriptContext::create.
    static Heap& of(duk_context* ctx)
    {
        duk_memory_functions functions;
        duk_get_memory_functions(ctx, &functions);
        return *static_cast<Heap*>(functions.udata);
    }
};

}
