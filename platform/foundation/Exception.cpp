#include "platform/foundation/Exception.h"

#include <atomic>
#include <cstdlib>
#include <cxxabi.h>
#include <execinfo.h>
#include <mutex>
#include <typeinfo>

namespace pf {

namespace {

std::mutex g_mutex; // guards g_handler
UncaughtExceptionHandler g_handler;
std::atomic<bool> g_reporting{false};

std::string demangle(const char* name)
{
    int status = 0;
    char* text = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    std::string out = status == 0 && text ? text : name;
    std::free(text);
    return out;
}

void onTerminate() { terminateWithUncaughtException(std::current_exception()); }

}

CallStack CallStack::capture(int skip)
{
    void* frames[128];
    int count = backtrace(frames, 128);
    CallStack stack;
    char** symbols = backtrace_symbols(frames, count);
    for (int i = skip + 1; i < count; ++i) {
        stack.returnAddresses.push_back(reinterpret_cast<std::uintptr_t>(frames[i]));
        stack.symbols.emplace_back(symbols ? symbols[i] : "?");
    }
    std::free(symbols);
    return stack;
}

Exception::Exception(std::string name, std::optional<std::string> reason)
    : m_name(std::move(name)), m_reason(std::move(reason))
{
}

std::shared_ptr<Exception> Exception::fromCurrent(std::exception_ptr exception)
{
    if (!exception)
        return std::make_shared<Exception>("std::terminate", std::nullopt);
    try {
        std::rethrow_exception(exception);
    } catch (const std::exception& e) {
        return std::make_shared<Exception>(demangle(typeid(e).name()), std::string(e.what()));
    } catch (...) {
        auto* type = abi::__cxa_current_exception_type();
        return std::make_shared<Exception>(type ? demangle(type->name()) : "unknown", std::nullopt);
    }
}

void setUncaughtExceptionHandler(UncaughtExceptionHandler handler)
{
    {
        std::lock_guard lock(g_mutex);
        g_handler = std::move(handler);
    }
    std::set_terminate(onTerminate);
}

void terminateWithUncaughtException(std::exception_ptr exception)
{
    // A second exception on the way out (in the handler, or on another
    // thread) must not report again or recurse.
    if (!g_reporting.exchange(true)) {
        auto report = Exception::fromCurrent(exception);
        report->setCallStack(CallStack::capture(1));
        UncaughtExceptionHandler handler;
        {
            std::lock_guard lock(g_mutex);
            handler = g_handler;
        }
        if (handler) {
            try {
                handler(report);
            } catch (...) {
            }
        }
    }
    std::abort();
}

}
