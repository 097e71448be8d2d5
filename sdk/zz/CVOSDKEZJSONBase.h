#pragma once

// Shared state of the SDK's JSON parser and writer: the trace of errors of the
// last call and the nesting limit.
//
// Every failure of a parse or write appends an error to the trace; an error
// added while the trace already holds one wraps it as its underlying error, so
// the last error of the trace leads through the whole chain (for example
// "Broken unicode character" ← "Missing hex quad" ← "Missing hex digit in quad").
// Each top-level call starts with an empty trace.
//
// One thread at a time; only maxDepth may be read and set from any thread.

#include "platform/foundation/Error.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

struct CVOSDKEZJSONError : pf::Error {
    // The error this one wraps, or null.
    std::shared_ptr<const CVOSDKEZJSONError> underlying;
};
using CVOSDKEZJSONErrorRef = std::shared_ptr<const CVOSDKEZJSONError>;

class CVOSDKEZJSONBase {
public:
    static constexpr const char* kErrorDomain = "org.zomaru.zz.json.ErrorDomain";
    // Nesting beyond this many levels always fails, even with maxDepth 0, so
    // hostile text cannot exhaust the stack.
    static constexpr unsigned kHardDepthLimit = 2048;

    CVOSDKEZJSONBase() = default;
    CVOSDKEZJSONBase(const CVOSDKEZJSONBase&) = delete;
    CVOSDKEZJSONBase& operator=(const CVOSDKEZJSONBase&) = delete;
    virtual ~CVOSDKEZJSONBase() = default;

    const std::vector<CVOSDKEZJSONErrorRef>& errorTrace() const { return m_errorTrace; }
    // The last error of the trace, or null when it is empty.
    CVOSDKEZJSONErrorRef lastError() const { return m_errorTrace.empty() ? nullptr : m_errorTrace.back(); }
    void addErrorWithCode(long long code, std::string description);
    void clearErrorTrace() { m_errorTrace.clear(); }

    // 512 after construction; 0 lifts the configured limit (the hard limit
    // above still holds).
    unsigned maxDepth() const { return m_maxDepth.load(std::memory_order_relaxed); }
    virtual void setMaxDepth(unsigned maxDepth) { m_maxDepth.store(maxDepth, std::memory_order_relaxed); }

    unsigned depth() const { return m_depth; }

protected:
    // Enters one level of nesting; false (with error 7 added) when too deep.
    bool enterLevel();
    void leaveLevel() { --m_depth; }
    void setErrorTrace(std::vector<CVOSDKEZJSONErrorRef> trace) { m_errorTrace = std::move(trace); }

    unsigned m_depth = 0;

private:
    std::vector<CVOSDKEZJSONErrorRef> m_errorTrace;
    std::atomic<unsigned> m_maxDepth { 512 };
};
