#pragma once

// One script engine heap with a browser-like global environment: `window` is
// the global object, `alert(text)`, `console.log(...)`, `setTimeout(f, ms)`
// and `clearTimeout(id)` exist, and `openURL(url[, type])` asks the delegate
// whether a navigation may start and answers its verdict synchronously (the
// hook through which scripts reach native code). encodeURIComponent answers
// what the engine's own does, with a faster path for plain ASCII;
// encodeURIComponentJoin(text, value, text, ...) answers what
// text + encodeURIComponent(value) + text ... does, made as one string.
//
// Main thread only. Every call into the engine is protected: a script error,
// an exhausted memory cap or a thrown value ends that call with no result and
// never aborts the process. The context is re-entrant: a delegate or a sink
// called from a script may evaluate again on the same context. Its last owner
// may let it go while a script runs on it: it goes when the outermost call
// running ends (weak references to it have expired by then).
//
// Limits: the heap is capped at the byte count given to create(). There is no
// execution-time guard: the system's engine library is built without the
// interrupt check it would need, so a script that loops forever blocks the
// main thread. Only our own, verified scripts are run.

#include "platform/foundation/Value.h"
#include "platform/script/Forward.h"

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pf {

class Timer;

enum class NavigationType { LinkClicked = 0, FormSubmitted, BackForward, Reload, FormResubmitted, Other };

class ScriptContextDelegate {
public:
    virtual ~ScriptContextDelegate() = default;
    // Called synchronously from inside the script's openURL(); the answer is
    // the script's result. May call back into the context.
    virtual bool shouldStartLoad(const std::string& url, NavigationType type) = 0;
};

class ScriptContext : public std::enable_shared_from_this<ScriptContext> {
public:
    static constexpr std::size_t defaultMemoryLimit = 64u << 20;
    using Sink = std::function<void(const std::string&)>;

    // Null when the engine cannot make a heap within the limit.
    static std::shared_ptr<ScriptContext> create(std::size_t memoryLimit = defaultMemoryLimit);
    ~ScriptContext();
    ScriptContext(const ScriptContext&) = delete;
    ScriptContext& operator=(const ScriptContext&) = delete;

    // Runs `text` as global code and answers its completion value as text:
    // "" for undefined, null, or when the script failed.
    std::string evaluate(std::string_view text);
    // Calls the function at the dotted path from the global object (for
    // example "SendCmd.setReturnValue") with `this` bound to its owner. The
    // arguments become script values: nil and null become null, numbers,
    // booleans and strings their script kind, arrays and dictionaries arrays
    // and plain objects; dates, data and native objects become null. Answers the
    // result converted back the same way (undefined and functions give nil),
    // or nil when the path is not a function or the call failed.
    Value callFunction(std::string_view path, const std::vector<Value>& arguments = {});

    std::weak_ptr<ScriptContextDelegate> delegate() const { return m_delegate; }
    void setDelegate(std::weak_ptr<ScriptContextDelegate> delegate) { m_delegate = std::move(delegate); }
    // console.log lines (arguments joined by a blank); by default the log.
    void setConsoleSink(Sink sink);
    // alert() texts; by default the log.
    void setAlertSink(Sink sink);

    // The text of the last script failure, for diagnostics; "" after success.
    const std::string& lastError() const { return m_lastError; }
    std::size_t memoryLimit() const;
    std::size_t memoryInUse() const;
    // Timers set by scripts that have not fired or been cleared.
    std::size_t pendingTimerCount() const { return m_timers.size(); }

private:
    struct Heap;
    struct Natives;
    class Running;
    friend struct Natives;

    explicit ScriptContext(std::unique_ptr<Heap> heap);
    // The owners' deleter: a context released while a script runs on it goes
    // when the outermost call running ends.
    static void release(ScriptContext* context);
    // Keeps a buffer whose room the next URL or console line reuses.
    void keepSpare(std::string&& text);
    static constexpr std::size_t spareTextLimit = 4096;
    bool installGlobals();
    void fireTimer(unsigned id);

    std::unique_ptr<Heap> m_heap;
    std::weak_ptr<ScriptContextDelegate> m_delegate;
    Sink m_consoleSink;
    Sink m_alertSink;
    std::string m_lastError;
    std::string m_spareText;
    unsigned m_runningDepth = 0; // calls running a script on this context
    bool m_released = false;     // by its owners, while running
    unsigned m_nextTimerId = 1;
    std::map<unsigned, std::shared_ptr<Timer>> m_timers;
};

}
