#include "platform/script/ScriptContext.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/script/ScriptValues.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace pf {

constexpr const char* keysKey = "pfKeys";

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
    void* keptKey(std::string_view name)
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

    // Pushes the interned name.
    void pushKey(std::string_view name)
    {
        if (void* key = keptKey(name))
            duk_push_heapptr(ctx, key);
        else
            duk_push_lstring(ctx, name.data(), name.size());
    }

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
    const Path* splitPath(std::string_view text)
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

    ~Heap()
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

    static void* allocate(void* udata, duk_size_t size)
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

    static void* reallocate(void* udata, void* pointer, duk_size_t size)
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

    static void release(void* udata, void* pointer)
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

    // Reached only for an error outside any protected call, which our calls
    // never make; the engine cannot continue after it.
    static void fatal(void*, const char* message)
    {
        log("ScriptContext: fatal engine error: %s", message ? message : "");
        std::abort();
    }

    static Heap& of(duk_context* ctx)
    {
        duk_memory_functions functions;
        duk_get_memory_functions(ctx, &functions);
        return *static_cast<Heap*>(functions.udata);
    }
};

// Keeps the context while a script runs on it: a native may drop its last
// owner. The context's owners let it go through release(), which leaves a
// running context to the outermost call running on it; so no call takes a
// reference (two atomic updates) of its own.
class ScriptContext::Running {
public:
    explicit Running(ScriptContext& context) : m_context(context) { ++context.m_runningDepth; }
    ~Running()
    {
        if (--m_context.m_runningDepth == 0 && m_context.m_released)
            delete &m_context; // the last thing the call does
    }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

private:
    ScriptContext& m_context;
};

namespace {

constexpr const char* timersKey = "pfTimers";
constexpr const char* builtinEncodeKey = "pfEncodeURIComponent";

constexpr const char* hexDigits = "0123456789ABCDEF";

// The ASCII bytes encodeURIComponent leaves as they are.
constexpr auto unreservedInURIComponent = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 128; ++c)
        table[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                   c == '_' || c == '.' || c == '!' || c == '~' || c == '*' || c == '\'' || c == '(' || c == ')';
    return table;
}();

// What each byte becomes in encodeURIComponent's output (bytes beyond ASCII
// are never looked up): itself, or "%" and two hex digits. Written four bytes
// at a time with no branch on the byte, which text mixing letters and blanks
// would mispredict again and again.
struct EncodedByte {
    char bytes[4];
    unsigned length;
};
constexpr auto encodedBytes = [] {
    std::array<EncodedByte, 256> table{};
    for (int c = 0; c < 256; ++c) {
        if (unreservedInURIComponent[c])
            table[c] = {{static_cast<char>(c), 0, 0, 0}, 1};
        else
            table[c] = {{'%', "0123456789ABCDEF"[c >> 4], "0123456789ABCDEF"[c & 15], 0}, 3};
    }
    return table;
}();

// Writes the encoding of ASCII `text` at `out`, which has room for
// 3 * length + 1 bytes; answers the end.
char* writeEncoded(char* out, const unsigned char* text, std::size_t length)
{
    for (std::size_t k = 0; k < length; ++k) {
        const EncodedByte& encoded = encodedBytes[text[k]];
        std::memcpy(out, encoded.bytes, 4);
        out += encoded.length;
    }
    return out;
}

// Whether all `length` bytes at `text` are ASCII, looked at eight at a time.
bool isAscii(const unsigned char* text, std::size_t length)
{
    std::uint64_t high = 0;
    std::size_t k = 0;
    for (; k + 8 <= length; k += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text + k, 8);
        high |= word;
    }
    for (; k < length; ++k)
        high |= text[k];
    return (high & 0x8080808080808080u) == 0;
}

// Runs `body` protected; on failure answers false and leaves the error text.
template <class Body>
bool protectedCall(duk_context* ctx, Body& body, std::string& error)
{
    if (!duk_check_stack(ctx, 2)) {
        error = "script stack exhausted";
        return false;
    }
    auto trampoline = [](duk_context* c, void* udata) -> duk_ret_t {
        (*static_cast<Body*>(udata))(c);
        return 0;
    };
    bool ok = duk_safe_call(ctx, trampoline, &body, 0, 1) == DUK_EXEC_SUCCESS;
    if (ok)
        error.clear();
    else
        error = duk_safe_to_string(ctx, -1);
    duk_pop(ctx);
    return ok;
}

void pushTimers(duk_context* ctx)
{
    duk_push_heap_stash(ctx);
    if (!duk_get_prop_string(ctx, -1, timersKey)) {
        duk_pop(ctx);
        duk_push_object(ctx);
        duk_dup_top(ctx);
        duk_put_prop_string(ctx, -3, timersKey);
    }
    duk_remove(ctx, -2);
}

// The bytes of the text at `index`, or null when it is no text or may be a
// symbol, which needs the full checks. The engine marks a symbol by a first
// byte that no text encoded by it starts with (a continuation byte or 0xFF),
// so a text starting otherwise is taken with one call instead of three.
const char* plainText(duk_context* ctx, duk_idx_t index, duk_size_t* length)
{
    const char* text = duk_get_lstring(ctx, index, length);
    if (!text || *length == 0)
        return text;
    auto first = static_cast<unsigned char>(text[0]);
    return (first & 0xC0) == 0x80 || first == 0xFF ? nullptr : text;
}

// Appends the arguments to `line`, joined by a blank.
void appendJoinedArguments(duk_context* ctx, std::string& line)
{
    duk_idx_t count = duk_get_top(ctx);
    for (duk_idx_t i = 0; i < count; ++i) {
        if (i)
            line.push_back(' ');
        duk_size_t length = 0;
        if (const char* text = plainText(ctx, i, &length)) {
            // A text is itself: no protected conversion needed (every
            // bridge call logs its URL).
            line.append(text, length);
            continue;
        }
        if (duk_is_string(ctx, i) && !duk_is_symbol(ctx, i)) {
            const char* text = duk_get_lstring(ctx, i, &length);
            line.append(text, length);
            continue;
        }
        duk_dup(ctx, i);
        const char* text = duk_safe_to_lstring(ctx, -1, &length);
        line.append(text, length);
        duk_pop(ctx);
    }
}

std::string joinedArguments(duk_context* ctx)
{
    std::string line;
    appendJoinedArguments(ctx, line);
    return line;
}

}

struct ScriptContext::Natives {
    static ScriptContext* owner(duk_context* ctx) { return Heap::of(ctx).owner; }

    static duk_ret_t consoleLog(duk_context* ctx)
    {
        auto* self = owner(ctx);
        if (!self)
            return 0;
        // Every bridge call logs a line: its text is made in the spare
        // buffer's room, taken out while in use so that a sink which logs
        // again from a script finds none and makes its own.
        std::string line = std::move(self->m_spareText);
        line.clear();
        appendJoinedArguments(ctx, line);
        Sink sink = self->m_consoleSink; // the sink may replace itself
        if (sink)
            sink(line);
        else
            log("[script] %s", line.c_str());
        self->keepSpare(std::move(line));
        return 0;
    }

    static duk_ret_t alert(duk_context* ctx)
    {
        auto* self = owner(ctx);
        if (!self)
            return 0;
        duk_set_top(ctx, 1);
        std::string text = joinedArguments(ctx);
        Sink sink = self->m_alertSink;
        if (sink)
            sink(text);
        else
            log("[script alert] %s", text.c_str());
        return 0;
    }

    static duk_ret_t openURL(duk_context* ctx)
    {
        auto* self = owner(ctx);
        // Made in the spare buffer's room, as a console line is.
        std::string url = self ? std::move(self->m_spareText) : std::string();
        url.clear();
        if (duk_get_top(ctx) > 0) {
            duk_size_t length = 0;
            // A text needs no protected conversion (every bridge call is one).
            const char* text = plainText(ctx, 0, &length);
            if (!text)
                text = duk_is_string(ctx, 0) && !duk_is_symbol(ctx, 0) ? duk_get_lstring(ctx, 0, &length)
                                                                      : duk_safe_to_lstring(ctx, 0, &length);
            url.assign(text, length);
        }
        auto type = NavigationType::Other;
        if (duk_get_top(ctx) > 1 && duk_is_number(ctx, 1)) {
            double code = duk_get_number(ctx, 1);
            if (code >= 0 && code <= static_cast<double>(NavigationType::Other) && std::trunc(code) == code)
                type = static_cast<NavigationType>(static_cast<int>(code));
        }
        bool allowed = true;
        if (self) {
            if (auto delegate = self->m_delegate.lock())
                allowed = delegate->shouldStartLoad(url, type);
            // Still alive: every call that runs a script holds the context.
            self->keepSpare(std::move(url));
        }
        duk_push_boolean(ctx, allowed);
        return 1;
    }

    // The engine's own encodeURIComponent for everything but plain ASCII,
    // which it encodes several times slower than this loop; every native
    // call from the SDK's scripts encodes its arguments. No C++ object lives
    // across the engine calls here, which may throw.
    static duk_ret_t encodeURIComponent(duk_context* ctx)
    {
        duk_set_top(ctx, 1);
        duk_size_t length = 0;
        const auto* text = reinterpret_cast<const unsigned char*>(duk_to_lstring(ctx, 0, &length));
        // One pass: a short result is written on the stack as the text is
        // read (a plain array: nothing to unwind), a longer one is measured
        // first and written into an engine buffer. The string's bytes stay
        // put while it sits at index 0.
        char local[512];
        duk_size_t written = 0;
        bool changed = false;
        for (duk_size_t i = 0; i < length; ++i) {
            unsigned char c = text[i];
            if (c >= 0x80)
                return builtinEncode(ctx);
            if (unreservedInURIComponent[c]) {
                if (written < sizeof local)
                    local[written] = static_cast<char>(c);
                written += 1;
            } else {
                if (written + 3 <= sizeof local) {
                    local[written] = '%';
                    local[written + 1] = hexDigits[c >> 4];
                    local[written + 2] = hexDigits[c & 15];
                }
                written += 3;
                changed = true;
            }
        }
        if (!changed)
            return 1;
        if (written <= sizeof local) {
            duk_push_lstring(ctx, local, written);
            return 1;
        }
        auto* out = static_cast<char*>(duk_push_fixed_buffer(ctx, written));
        for (duk_size_t i = 0; i < length; ++i) {
            unsigned char c = text[i];
            if (unreservedInURIComponent[c]) {
                *out++ = static_cast<char>(c);
            } else {
                *out++ = '%';
                *out++ = hexDigits[c >> 4];
                *out++ = hexDigits[c & 15];
            }
        }
        duk_buffer_to_string(ctx, -1);
        return 1;
    }

    // encodeURIComponentJoin(text, value, text, value, ..., text): the
    // arguments joined as texts, each one at an odd position passed through
    // encodeURIComponent first; what "text + encodeURIComponent(value) +
    // text ..." answers, with one string made instead of one per piece.
    // Arguments are converted left to right, each value encoded before the
    // next is converted, so a conversion or encoding that throws stops where
    // the script's own expression would.
    static duk_ret_t encodeURIComponentJoin(duk_context* ctx)
    {
        // The common case, a short result of ASCII values, in one pass:
        // each argument converted, checked and written as it is read.
        // Anything else starts over on the general path below, where the
        // arguments already converted are texts and convert to themselves.
        char local[1024];
        char* out = local;
        duk_idx_t count = duk_get_top(ctx);
        for (duk_idx_t i = 0;; ++i) {
            if (i == count) {
                duk_push_lstring(ctx, local, static_cast<duk_size_t>(out - local));
                return 1;
            }
            duk_size_t length = 0;
            const auto* text = reinterpret_cast<const unsigned char*>(duk_to_lstring(ctx, i, &length));
            auto room = static_cast<std::size_t>(local + sizeof local - out);
            if (i % 2 == 0) {
                if (length > room)
                    break;
                std::memcpy(out, text, length);
                out += length;
                continue;
            }
            // Four bytes written per byte read, of which up to three count.
            if (length > room / 4 || !isAscii(text, length))
                break;
            out = writeEncoded(out, text, length);
        }
        return encodeURIComponentJoinGeneral(ctx);
    }

    static duk_ret_t encodeURIComponentJoinGeneral(duk_context* ctx)
    {
        duk_idx_t count = duk_get_top(ctx);
        // Values beyond ASCII are encoded by the engine's own in place; the
        // mask marks them (and everything, past its width) as final text.
        constexpr duk_idx_t maskWidth = 64;
        std::uint64_t encodedInPlace = 0;
        duk_size_t most = 0; // the length if every ASCII value byte is escaped
        for (duk_idx_t i = 0; i < count; ++i) {
            duk_size_t length = 0;
            const auto* text = reinterpret_cast<const unsigned char*>(duk_to_lstring(ctx, i, &length));
            if (i % 2 == 0) {
                most += length;
                continue;
            }
            bool ascii = i < maskWidth;
            for (duk_size_t k = 0; k < length && ascii; ++k)
                ascii = text[k] < 0x80;
            if (ascii) {
                most += 3 * length;
                continue;
            }
            duk_push_heap_stash(ctx);
            duk_get_prop_string(ctx, -1, builtinEncodeKey);
            duk_dup(ctx, i);
            duk_call(ctx, 1);
            duk_replace(ctx, i);
            duk_pop(ctx);
            if (i < maskWidth)
                encodedInPlace |= std::uint64_t(1) << i;
            duk_get_lstring(ctx, i, &length);
            most += length;
        }
        // The arguments' bytes stay put while they sit on the stack. A short
        // result is written on the stack (a plain array: nothing to unwind)
        // and pushed as the string at once; a longer one is written into an
        // engine buffer that is then cut to its length.
        char local[1024 + 4];
        bool onStack = most + 4 <= sizeof local;
        auto* start = onStack ? local : static_cast<char*>(duk_push_dynamic_buffer(ctx, most + 4));
        char* out = start;
        for (duk_idx_t i = 0; i < count; ++i) {
            duk_size_t length = 0;
            const auto* text = reinterpret_cast<const unsigned char*>(duk_get_lstring(ctx, i, &length));
            if (i % 2 == 0 || i >= maskWidth || (encodedInPlace >> i & 1)) {
                std::memcpy(out, text, length);
                out += length;
            } else {
                out = writeEncoded(out, text, length);
            }
        }
        auto written = static_cast<duk_size_t>(out - start);
        if (onStack) {
            duk_push_lstring(ctx, local, written);
        } else {
            duk_resize_buffer(ctx, -1, written);
            duk_buffer_to_string(ctx, -1);
        }
        return 1;
    }

    // The engine's own, for text beyond ASCII (and its errors for broken
    // surrogates).
    static duk_ret_t builtinEncode(duk_context* ctx)
    {
        duk_push_heap_stash(ctx);
        duk_get_prop_string(ctx, -1, builtinEncodeKey);
        duk_dup(ctx, 0);
        duk_call(ctx, 1);
        return 1;
    }

    static duk_ret_t setTimeout(duk_context* ctx)
    {
        auto* self = owner(ctx);
        if (!duk_is_callable(ctx, 0) && !duk_is_string(ctx, 0))
            return duk_type_error(ctx, "setTimeout needs a function or a text");
        if (!self)
            return 0;
        double ms = duk_get_top(ctx) > 1 ? duk_to_number(ctx, 1) : 0;
        if (!(ms > 0))
            ms = 0;
        ms = std::fmin(ms, 2147483647.0);
        unsigned id = self->m_nextTimerId++;
        pushTimers(ctx);
        duk_dup(ctx, 0);
        duk_put_prop_index(ctx, -2, id);
        duk_pop(ctx);
        std::weak_ptr<ScriptContext> weak = self->weak_from_this();
        self->m_timers[id] = RunLoop::main().scheduleTimer(Seconds(ms / 1000.0), false, [weak, id] {
            if (auto context = weak.lock())
                context->fireTimer(id);
        });
        duk_push_uint(ctx, id);
        return 1;
    }

    static duk_ret_t clearTimeout(duk_context* ctx)
    {
        auto* self = owner(ctx);
        if (!self || !duk_is_number(ctx, 0))
            return 0;
        double number = duk_get_number(ctx, 0);
        if (!(number >= 1 && number < 4294967296.0))
            return 0;
        auto id = static_cast<unsigned>(number);
        auto timer = self->m_timers.find(id);
        if (timer == self->m_timers.end())
            return 0;
        timer->second->invalidate();
        self->m_timers.erase(timer);
        pushTimers(ctx);
        duk_del_prop_index(ctx, -1, id);
        return 0;
    }
};

std::shared_ptr<ScriptContext> ScriptContext::create(std::size_t memoryLimit)
{
    auto heap = std::make_unique<Heap>();
    heap->limit = memoryLimit;
    heap->ctx = duk_create_heap(Heap::allocate, Heap::reallocate, Heap::release, heap.get(), Heap::fatal);
    if (!heap->ctx)
        return nullptr;
    std::shared_ptr<ScriptContext> context(new ScriptContext(std::move(heap)), release);
    if (!context->installGlobals())
        return nullptr;
    return context;
}

void ScriptContext::release(ScriptContext* context)
{
    if (context->m_runningDepth > 0)
        context->m_released = true;
    else
        delete context;
}

ScriptContext::ScriptContext(std::unique_ptr<Heap> heap) : m_heap(std::move(heap))
{
    m_heap->owner = this;
}

ScriptContext::~ScriptContext()
{
    for (auto& [id, timer] : m_timers)
        timer->invalidate();
    // Finalizers run while the heap is destroyed must not reach this object.
    m_heap->owner = nullptr;
    m_heap.reset();
}

bool ScriptContext::installGlobals()
{
    auto body = [](duk_context* ctx) {
        duk_push_global_object(ctx);
        duk_dup_top(ctx);
        duk_put_prop_string(ctx, -2, "window");
        struct Entry {
            const char* name;
            duk_c_function function;
            duk_idx_t arguments;
        };
        const Entry entries[] = {
            {"alert", Natives::alert, 1},
            {"openURL", Natives::openURL, DUK_VARARGS},
            {"setTimeout", Natives::setTimeout, DUK_VARARGS},
            {"clearTimeout", Natives::clearTimeout, 1},
        };
        for (const auto& entry : entries) {
            duk_push_c_function(ctx, entry.function, entry.arguments);
            duk_put_prop_string(ctx, -2, entry.name);
        }
        duk_push_heap_stash(ctx);
        duk_get_prop_string(ctx, -2, "encodeURIComponent");
        duk_put_prop_string(ctx, -2, builtinEncodeKey);
        duk_pop(ctx);
        duk_push_c_function(ctx, Natives::encodeURIComponent, 1);
        duk_put_prop_string(ctx, -2, "encodeURIComponent");
        duk_push_c_function(ctx, Natives::encodeURIComponentJoin, DUK_VARARGS);
        duk_put_prop_string(ctx, -2, "encodeURIComponentJoin");
        duk_push_object(ctx);
        duk_push_c_function(ctx, Natives::consoleLog, DUK_VARARGS);
        duk_put_prop_string(ctx, -2, "log");
        duk_put_prop_string(ctx, -2, "console");
        duk_pop(ctx);
    };
    if (protectedCall(m_heap->ctx, body, m_lastError))
        return true;
    log("ScriptContext: cannot set up the global object: %s", m_lastError.c_str());
    return false;
}

std::string ScriptContext::evaluate(std::string_view text)
{
    PF_ASSERT_MAIN_THREAD();
    Running running(*this);
    std::string result;
    auto body = [&](duk_context* ctx) {
        duk_eval_lstring(ctx, text.data(), text.size());
        if (!duk_is_null_or_undefined(ctx, -1)) {
            duk_size_t length = 0;
            const char* completion = duk_safe_to_lstring(ctx, -1, &length);
            result.assign(completion, length);
        }
    };
    if (!protectedCall(m_heap->ctx, body, m_lastError)) {
        log("ScriptContext: script failed: %s", m_lastError.c_str());
        return {};
    }
    return result;
}

Value ScriptContext::callFunction(std::string_view path, const std::vector<Value>& arguments)
{
    PF_ASSERT_MAIN_THREAD();
    Running running(*this);
    Value result;
    auto body = [&](duk_context* ctx) {
        duk_push_global_object(ctx);
        if (const Heap::Path* split = m_heap->splitPath(path)) {
            // Each owner stays on the stack below the next: the protected
            // call drops them all, cheaper than removing each.
            for (std::size_t i = 0; i < split->count; ++i) {
                if (!duk_is_object(ctx, -1))
                    return;
                duk_push_heapptr(ctx, split->names[i]);
                duk_get_prop(ctx, -2);
            }
        } else {
            std::string_view rest = path;
            for (;;) {
                auto dot = rest.find('.');
                std::string_view name = rest.substr(0, dot);
                if (name.empty() || !duk_is_object(ctx, -1))
                    return;
                m_heap->pushKey(name);
                duk_get_prop(ctx, -2);
                if (dot == std::string_view::npos)
                    break;
                duk_remove(ctx, -2);
                rest.remove_prefix(dot + 1);
            }
        }
        if (!duk_is_callable(ctx, -1))
            return;
        duk_swap_top(ctx, -2); // function, then its owner as `this`
        duk_require_stack(ctx, static_cast<duk_idx_t>(arguments.size()) + 2);
        for (const Value& argument : arguments)
            script::pushValue(ctx, argument);
        duk_call_method(ctx, static_cast<duk_idx_t>(arguments.size()));
        // Most answers to native calls give nothing back.
        if (!duk_is_undefined(ctx, -1))
            result = script::toValue(ctx, -1);
    };
    if (!protectedCall(m_heap->ctx, body, m_lastError)) {
        log("ScriptContext: call of %.*s failed: %s", static_cast<int>(path.size()), path.data(), m_lastError.c_str());
        return {};
    }
    return result;
}

void ScriptContext::fireTimer(unsigned id)
{
    auto timer = m_timers.find(id);
    if (timer == m_timers.end())
        return; // cleared meanwhile
    m_timers.erase(timer);
    Running running(*this);
    auto body = [id](duk_context* ctx) {
        pushTimers(ctx);
        duk_get_prop_index(ctx, -1, id);
        duk_del_prop_index(ctx, -2, id);
        if (duk_is_string(ctx, -1)) {
            duk_eval(ctx);
        } else {
            duk_push_undefined(ctx);
            duk_call_method(ctx, 0);
        }
    };
    if (!protectedCall(m_heap->ctx, body, m_lastError))
        log("ScriptContext: timer %u failed: %s", id, m_lastError.c_str());
}

void ScriptContext::keepSpare(std::string&& text)
{
    // A text grown by one huge line is not kept.
    if (text.capacity() <= spareTextLimit && text.capacity() > m_spareText.capacity())
        m_spareText = std::move(text);
}

void ScriptContext::setConsoleSink(Sink sink)
{
    m_consoleSink = std::move(sink);
}

void ScriptContext::setAlertSink(Sink sink)
{
    m_alertSink = std::move(sink);
}

std::size_t ScriptContext::memoryLimit() const
{
    return m_heap->limit;
}

std::size_t ScriptContext::memoryInUse() const
{
    return m_heap->used;
}

}
