#include "platform/script/ScriptHeap.h"

#include "platform/foundation/Log.h"

#include <cstdlib>
#include <cstring>

namespace pf {

namespace {

constexpr const char* keysKey = "pfKeys";

}

void* ScriptContext::Heap::keptKey(std::string_view name)
{
    for (std::size_t i = 0; i < keyCount; ++i) {
        const Key& key = keys[i];
        if (key.length == name.size() && std::memcmp(key.name, name.data(), name.size()) == 0)
            return key.string;
    }
    if (keyCount == keys.size() || name.size() > sizeof keys[0].name)
        return nullptr;
    Key& key = keys[keyCount];
    duk_push_lstring(ctx, name.data(), name.size());
    duk_push_heap_stash(ctx);
    if (!duk_get_prop_string(ctx, -1, keysKey)) {
        duk_pop(ctx);
        duk_push_array(ctx);
        duk_dup_top(ctx);
        duk_put_prop_string(ctx, -3, keysKey);
    }
    duk_dup(ctx, -3);
    duk_put_prop_index(ctx, -2, static_cast<duk_uarridx_t>(keyCount));
    duk_pop_2(ctx);
    std::memcpy(key.name, name.data(), name.size());
    key.length = name.size();
    key.string = duk_get_heapptr(ctx, -1);
    duk_pop(ctx);
    keyCount++;
    return key.string;
}

void ScriptContext::Heap::pushKey(std::string_view name)
{
    if (void* key = keptKey(name))
        duk_push_heapptr(ctx, key);
    else
        duk_push_lstring(ctx, name.data(), name.size());
}

const ScriptContext::Heap::Path* ScriptContext::Heap::splitPath(std::string_view text)
{
    for (std::size_t i = 0; i < pathCount; ++i) {
        const Path& path = paths[i];
        if (path.length == text.size() && std::memcmp(path.text, text.data(), text.size()) == 0)
            return &path;
    }
    if (pathCount == paths.size() || text.size() > sizeof paths[0].text)
        return nullptr;
    Path path{};
    std::string_view rest = text;
    for (;;) {
        auto dot = rest.find('.');
        std::string_view name = rest.substr(0, dot);
        void* key = name.empty() || path.count == path.names.size() ? nullptr : keptKey(name);
        if (!key)
            return nullptr;
        path.names[path.count++] = key;
        if (dot == std::string_view::npos)
            break;
        rest.remove_prefix(dot + 1);
    }
    std::memcpy(path.text, text.data(), text.size());
    path.length = text.size();
    paths[pathCount] = path;
    return &paths[pathCount++];
}

ScriptContext::Heap::~Heap()
{
    if (ctx)
        duk_destroy_heap(ctx);
    for (void*& first : spare) {
        while (first) {
            void* next = nullptr;
            std::memcpy(&next, static_cast<unsigned char*>(first) + header, sizeof next);
            std::free(first);
            first = next;
        }
    }
}

void* ScriptContext::Heap::allocate(void* udata, duk_size_t size)
{
    auto& heap = *static_cast<Heap*>(udata);
    if (size == 0)
        return nullptr;
    std::size_t sizeClass = 0;
    if (size <= spareLargest) {
        sizeClass = (size - 1) / spareStep;
        size = (sizeClass + 1) * spareStep;
    }
    if (size > heap.limit - heap.used)
        return nullptr;
    unsigned char* block = nullptr;
    if (size <= spareLargest && heap.spare[sizeClass]) {
        block = static_cast<unsigned char*>(heap.spare[sizeClass]);
        std::memcpy(&heap.spare[sizeClass], block + header, sizeof(void*));
        heap.spareCount[sizeClass]--;
    } else {
        block = static_cast<unsigned char*>(std::malloc(header + size));
        if (!block)
            return nullptr;
    }
    std::memcpy(block, &size, sizeof size);
    heap.used += size;
    return block + header;
}

void* ScriptContext::Heap::reallocate(void* udata, void* pointer, duk_size_t size)
{
    if (!pointer)
        return allocate(udata, size);
    auto& heap = *static_cast<Heap*>(udata);
    if (size == 0) {
        release(udata, pointer);
        return nullptr;
    }
    auto* block = static_cast<unsigned char*>(pointer) - header;
    std::size_t old = 0;
    std::memcpy(&old, block, sizeof old);
    if (size > old && size - old > heap.limit - heap.used)
        return nullptr; // the old block stays valid, as the engine expects
    auto* grown = static_cast<unsigned char*>(std::realloc(block, header + size));
    if (!grown)
        return nullptr;
    std::memcpy(grown, &size, sizeof size);
    heap.used = heap.used - old + size;
    return grown + header;
}

void ScriptContext::Heap::release(void* udata, void* pointer)
{
    if (!pointer)
        return;
    auto& heap = *static_cast<Heap*>(udata);
    auto* block = static_cast<unsigned char*>(pointer) - header;
    std::size_t size = 0;
    std::memcpy(&size, block, sizeof size);
    heap.used -= size;
    // Any block whose size is a whole class has room for one of it.
    if (size <= spareLargest && size % spareStep == 0) {
        std::size_t sizeClass = size / spareStep - 1;
        if (heap.spareCount[sizeClass] < spareDepth) {
            std::memcpy(block + header, &heap.spare[sizeClass], sizeof(void*));
            heap.spare[sizeClass] = block;
            heap.spareCount[sizeClass]++;
            return;
        }
    }
    std::free(block);
}

void ScriptContext::Heap::fatal(void*, const char* message)
{
    log("ScriptContext: fatal engine error: %s", message ? message : "");
    std::abort();
}

}
