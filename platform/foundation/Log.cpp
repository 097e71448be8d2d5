#include "platform/foundation/Log.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <poll.h>
#include <unistd.h>

namespace pf {

namespace {

constexpr std::size_t kMaxLineWithoutWaiting = 4096;

LogLevel initialLevel()
{
    const char* env = std::getenv("ZMR_LOG");
    if (env && std::strcmp(env, "debug") == 0)
        return LogLevel::Debug;
    if (env && std::strcmp(env, "error") == 0)
        return LogLevel::Error;
    return LogLevel::Info;
}

std::atomic<LogLevel>& level()
{
    static std::atomic<LogLevel> l{initialLevel()};
    return l;
}

// Keeps lines whole across threads.
std::mutex& writeLock()
{
    static std::mutex mutex;
    return mutex;
}

// The line as formatted, with its secrets masked.
std::optional<std::string> formatted(const char* format, va_list args)
{
    char stackBuffer[1024];
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(stackBuffer, sizeof stackBuffer, format, copy);
    va_end(copy);
    if (n < 0)
        return std::nullopt;
    std::string text;
    if (static_cast<std::size_t>(n) < sizeof stackBuffer) {
        text.assign(stackBuffer, static_cast<std::size_t>(n));
    } else {
        text.resize(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<std::size_t>(n));
    }
    // Every line, so no URL or request slips a token out through a caller
    // that forgot.
    return redactSecrets(text);
}

void vlog(LogLevel at, const char* format, va_list args)
{
    if (at < level().load())
        return;
    auto text = formatted(format, args);
    if (!text)
        return;
    std::lock_guard lock(writeLock());
    std::fprintf(stderr, "%s\n", text->c_str());
}

}

void log(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vlog(LogLevel::Info, format, args);
    va_end(args);
}

void logLevel(LogLevel at, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    vlog(at, format, args);
    va_end(args);
}

bool logWithoutWaiting(const char* format, ...)
{
    if (LogLevel::Info < level().load())
        return true;
    va_list args;
    va_start(args, format);
    auto text = formatted(format, args);
    va_end(args);
    if (!text)
        return false;
    // A pipe with room for a page takes a write of up to a page whole,
    // without waiting; a longer line is cut.
    text->resize(std::min<std::size_t>(text->size(), kMaxLineWithoutWaiting - 1));
    *text += '\n';
    std::unique_lock lock(writeLock(), std::try_to_lock);
    if (!lock.owns_lock())
        return false;
    pollfd out{STDERR_FILENO, POLLOUT, 0};
    if (poll(&out, 1, 0) != 1 || !(out.revents & POLLOUT))
        return false;
    ssize_t written = ::write(STDERR_FILENO, text->data(), text->size());
    return written == static_cast<ssize_t>(text->size());
}

void setLogLevel(LogLevel l) { level().store(l); }

}

bool pf::isLogLevelEnabled(LogLevel at)
{
    return at >= level().load();
}
