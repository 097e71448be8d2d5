#pragma once

// An exception that nobody caught, as the crash reporter sees it: a name, an
// optional reason and the call stack where it was met. C++ exceptions that
// escape a run-loop task, a queue task or main() become one of these (the
// name is the exception's type), the installed handler is called once, and
// the process ends.

#include "platform/foundation/Object.h"

#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pf {

struct CallStack {
    std::vector<std::string> symbols;
    std::vector<std::uintptr_t> returnAddresses;
    // The stack of the calling thread, leaving out `skip` innermost frames.
    static CallStack capture(int skip = 0);
};

class Exception : public Object {
public:
    Exception(std::string name, std::optional<std::string> reason);

    const std::string& name() const { return m_name; }
    const std::optional<std::string>& reason() const { return m_reason; }
    const std::vector<std::string>& callStackSymbols() const { return m_callStack.symbols; }
    const std::vector<std::uintptr_t>& callStackReturnAddresses() const { return m_callStack.returnAddresses; }
    void setCallStack(CallStack stack) { m_callStack = std::move(stack); }
    std::string description() const override { return m_reason.value_or(m_name); }

    // The name and reason of a caught C++ exception.
    static std::shared_ptr<Exception> fromCurrent(std::exception_ptr exception);

private:
    std::string m_name;
    std::optional<std::string> m_reason;
    CallStack m_callStack;
};

using UncaughtExceptionHandler = std::function<void(const std::shared_ptr<Exception>&)>;

// Installs the handler (replacing any earlier one) and the terminate hook.
void setUncaughtExceptionHandler(UncaughtExceptionHandler handler);
// Hands the exception to the handler, once per process, then aborts.
[[noreturn]] void terminateWithUncaughtException(std::exception_ptr exception);

}
