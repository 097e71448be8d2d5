#include "platform/foundation/Log.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace pf {

namespace {

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

void vlog(LogLevel at, const char* format, va_list args)
{
    if (at < level().load())
        return;
    char stackBuffer[1024];
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(stackBuffer, sizeof stackBuffer, format, copy);
    va_end(copy);
    if (n < 0)
        return;
    std::string text;
    if (static_cast<std::size_t>(n) < sizeof stackBuffer) {
        text.assign(stackBuffer, static_cast<std::size_t>(n));
    } else {
        text.resize(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<std::size_t>(n));
    }
    static std::mutex mutex; // keeps lines whole across threads
    std::lock_guard lock(mutex);
    std::fprintf(stderr, "%s\n", text.c_str());
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

void setLogLevel(LogLevel l) { level().store(l); }

namespace {

bool isSecretKey(std::string_view key)
{
    static const char* const words[] = {"password", "token", "secret", "key", "passwd"};
    std::string lower(key);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const char* w : words)
        if (lower.find(w) != std::string::npos)
            return true;
    return false;
}

bool isKeyChar(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '-' || c == '_' || c == '.';
}

}

std::string redactSecrets(std::string_view text)
{
    // Covers the shapes secrets take in our logs: form and query items
    // (key=value&...), JSON members ("key": "value" or number) and
    // property-list descriptions (key = value;).
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (!isKeyChar(text[i])) {
            out += text[i++];
            continue;
        }
        std::size_t keyStart = i;
        while (i < text.size() && isKeyChar(text[i]))
            ++i;
        std::string_view key = text.substr(keyStart, i - keyStart);
        out.append(key);
        if (!isSecretKey(key))
            continue;
        // Optional closing quote of a JSON key, blanks, then the separator.
        std::size_t j = i;
        if (j < text.size() && text[j] == '"')
            ++j;
        while (j < text.size() && text[j] == ' ')
            ++j;
        if (j >= text.size() || (text[j] != '=' && text[j] != ':'))
            continue;
        ++j;
        while (j < text.size() && text[j] == ' ')
            ++j;
        out.append(text.substr(i, j - i));
        std::size_t valueEnd = j;
        if (j < text.size() && text[j] == '"') {
            valueEnd = j + 1;
            while (valueEnd < text.size() && text[valueEnd] != '"') {
                if (text[valueEnd] == '\\')
                    ++valueEnd;
                ++valueEnd;
            }
            out += "\"***\"";
            i = std::min(valueEnd + 1, text.size());
            continue;
        }
        while (valueEnd < text.size() && text[valueEnd] != '&' && text[valueEnd] != ';' && text[valueEnd] != ','
               && text[valueEnd] != '}' && text[valueEnd] != '\n' && text[valueEnd] != ' ')
            ++valueEnd;
        if (valueEnd > j)
            out += "***";
        i = valueEnd;
    }
    return out;
}

}

bool pf::isLogLevelEnabled(LogLevel at)
{
    return at >= level().load();
}
