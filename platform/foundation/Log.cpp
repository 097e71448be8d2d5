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
    // Every line, so no URL or request slips a token out through a caller
    // that forgot.
    text = redactSecrets(text);
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
    // A request signature; matched whole, as "sign" is part of many words.
    return lower == "sign";
}

bool isKeyChar(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '-' || c == '_' || c == '.';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// One character of the text as it reads after percent-decoding, however
// often it was encoded ("%3D", "%253D"): what it stands for and how many
// bytes of the text it takes. Callback URLs travel encoded inside other
// URLs, so their items hide behind escapes.
struct Unit {
    char c;
    std::size_t length;
    int depth = 0; // how often it was encoded
};

Unit unitAt(std::string_view text, std::size_t i)
{
    auto pairAt = [&](std::size_t k) {
        return k + 1 < text.size() && hexValue(text[k]) >= 0 && hexValue(text[k + 1]) >= 0;
    };
    if (text[i] != '%' || !pairAt(i + 1))
        return {text[i], 1, 0};
    // "%25" is an encoded percent: the pair after it is the real escape.
    std::size_t k = i + 1;
    int depth = 1;
    while (text[k] == '2' && text[k + 1] == '5' && pairAt(k + 2)) {
        k += 2;
        ++depth;
    }
    return {static_cast<char>(hexValue(text[k]) * 16 + hexValue(text[k + 1])), k + 2 - i, depth};
}

bool endsValue(char c)
{
    return c == '&' || c == ';' || c == ',' || c == '}' || c == '\n' || c == ' ' || c == '"' || c == '\'';
}

}

std::string redactSecrets(std::string_view text)
{
    // Covers the shapes secrets take in our logs: form and query items
    // (key=value&...), JSON members ("key": "value" or number) and
    // property-list descriptions (key = value;), plain or percent-encoded.
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
        auto unit = [&] { return j < text.size() ? unitAt(text, j) : Unit{'\0', 0}; };
        if (unit().c == '"')
            j += unit().length;
        while (j < text.size() && unit().c == ' ')
            j += unit().length;
        if (j >= text.size() || (unit().c != '=' && unit().c != ':'))
            continue;
        // The value ends at a delimiter encoded as often as its separator, or
        // less: "a=x%26y" is one value, "cb=u%3Fa%3Dx%26y%3D1" ends a at x.
        int depth = unit().depth;
        j += unit().length;
        while (j < text.size() && unit().c == ' ')
            j += unit().length;
        out.append(text.substr(i, j - i));
        if (j < text.size() && unit().c == '"' && unit().depth <= depth) {
            std::size_t quote = unit().length;
            out.append(text.substr(j, quote));
            std::size_t k = j + quote;
            while (k < text.size()) {
                Unit u = unitAt(text, k);
                if (u.c == '"' && u.depth <= depth)
                    break;
                k += u.length;
                if (u.c == '\\' && k < text.size())
                    k += unitAt(text, k).length;
            }
            out += "***";
            if (k < text.size()) {
                std::size_t close = unitAt(text, k).length;
                out.append(text.substr(k, close));
                k += close;
            }
            i = k;
            continue;
        }
        std::size_t valueEnd = j;
        while (valueEnd < text.size()) {
            Unit u = unitAt(text, valueEnd);
            if (endsValue(u.c) && u.depth <= depth)
                break;
            valueEnd += u.length;
        }
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
