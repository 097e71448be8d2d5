#include "platform/script/ScriptContext.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/script/ScriptHeap.h"
#include "platform/script/ScriptURIEncoding.h"
#include "platform/script/ScriptValues.h"

#include <cmath>

namespace pf {

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
        duk_put_prop_string(ctx, -2, script::builtinEncodeKey);
        duk_pop(ctx);
        duk_push_c_function(ctx, script::encodeURIComponent, 1);
        duk_put_prop_string(ctx, -2, "encodeURIComponent");
        duk_push_c_function(ctx, script::encodeURIComponentJoin, DUK_VARARGS);
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
