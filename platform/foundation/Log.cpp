#include "platform/foundation/Log.h"

#include <algorithm>
#include <atomic>
#include <cctype>
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

namespace {

bool isSecretKey(std::string_view key)
{
    static const char* const words[] = {"password", "token", "secret", "key", "passwd", "pwd", "authorization"};
    std::string lower(key);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const char* w : words)
        if (lower.find(w) != std::string::npos)
            return true;
    // A request signature; matched whole, as "sign" is part of many words.
    return lower == "sign";
}

bool isAuthorizationKey(std::string_view key)
{
    std::string lower(key);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower.find("authorization") != std::string::npos;
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
    if (i >= text.size())
        return {'\0', 0};
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
    return c == '&' || c == ';' || c == ',' || c == '}' || c == ']' || c == '\n' || c == ' ' || c == '\t' || c == '"'
        || c == '\'';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A quote as JSON writes it at some level of strings within strings: a
// run of backslashes, then the quote character. `"` opens a string, `\"`
// one held in a string, `\\\"` one a level further in.
struct Quote {
    std::size_t length = 0; // 0: no quote here
    std::size_t backslashes = 0;
    std::size_t run = 0; // the bytes of the backslashes
    char c = 0;
};

constexpr int kAnyDepth = 1 << 30;

Quote quoteAt(std::string_view text, std::size_t i, int depth)
{
    Quote quote;
    std::size_t k = i;
    for (Unit u = unitAt(text, k); u.length && u.c == '\\' && u.depth <= depth; u = unitAt(text, k)) {
        ++quote.backslashes;
        k += u.length;
    }
    quote.run = k - i;
    Unit u = unitAt(text, k);
    if (u.length && (u.c == '"' || u.c == '\'') && u.depth <= depth) {
        quote.length = k + u.length - i;
        quote.c = u.c;
    }
    return quote;
}

// Whether a quote of `quote.backslashes` ends a string opened with `open`
// backslashes. At level n (1, 3, 7… backslashes) the string's own quotes
// carry 2n+1 and its backslashes pair up: a run of b closes when b is n
// more than a multiple of 2n+2. Fewer than n close an enclosing string,
// which ends this one too.
bool closes(const Quote& quote, std::size_t open)
{
    return quote.backslashes < open || quote.backslashes % (2 * open + 2) == open;
}

// Where the quoted value opened by `open` at `from` ends: the start of its
// closing quote, or the end of the text.
std::size_t quotedValueEnd(std::string_view text, std::size_t from, const Quote& open, int depth)
{
    std::size_t k = from;
    while (k < text.size()) {
        Quote quote = quoteAt(text, k, depth);
        if (quote.length && quote.c == open.c && closes(quote, open.backslashes))
            return k;
        // Past the quote, the backslashes before something else, or one unit.
        k += quote.length ? quote.length : quote.run ? quote.run : unitAt(text, k).length;
    }
    return k;
}

// Where the array opened just before `from` ends: at its closing bracket,
// strings in it skipped, or the end of the text.
std::size_t arrayEnd(std::string_view text, std::size_t from, int depth)
{
    int open = 1;
    std::size_t k = from;
    while (k < text.size()) {
        Quote quote = quoteAt(text, k, depth);
        if (quote.length) {
            k = quotedValueEnd(text, k + quote.length, quote, depth);
            k += quoteAt(text, k, depth).length;
            continue;
        }
        if (quote.run) {
            k += quote.run;
            continue;
        }
        Unit u = unitAt(text, k);
        if (u.depth <= depth && u.c == '[')
            ++open;
        if (u.depth <= depth && u.c == ']' && --open == 0)
            return k;
        k += u.length;
    }
    return k;
}

}

std::string redactSecrets(std::string_view text)
{
    // Covers the shapes secrets take in our logs: form and query items
    // (key=value&...), JSON members ("key": "value", number or array, also
    // inside JSON held in a string, and with single quotes), property-list
    // descriptions (key = value;) and headers ("Authorization: Bearer x"),
    // plain or percent-encoded.
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
        auto unit = [&] { return unitAt(text, j); };
        j += quoteAt(text, j, kAnyDepth).length;
        while (j < text.size() && isBlank(unit().c))
            j += unit().length;
        if (j >= text.size() || (unit().c != '=' && unit().c != ':'))
            continue;
        // The value ends at a delimiter encoded as often as its separator, or
        // less: "a=x%26y" is one value, "cb=u%3Fa%3Dx%26y%3D1" ends a at x.
        int depth = unit().depth;
        j += unit().length;
        while (j < text.size() && isBlank(unit().c))
            j += unit().length;
        out.append(text.substr(i, j - i));
        if (Quote open = quoteAt(text, j, depth); open.length) {
            out.append(text.substr(j, open.length));
            std::size_t k = quotedValueEnd(text, j + open.length, open, depth);
            out += "***";
            std::size_t close = quoteAt(text, k, depth).length;
            out.append(text.substr(k, close));
            i = k + close;
            continue;
        }
        if (unit().c == '[' && unit().depth <= depth) {
            out.append(text.substr(j, unit().length));
            std::size_t k = arrayEnd(text, j + unit().length, depth);
            out += "***";
            std::size_t close = unitAt(text, k).length;
            out.append(text.substr(k, close));
            i = k + close;
            continue;
        }
        // "Authorization: Bearer x": the scheme names how, the rest is the secret.
        if (isAuthorizationKey(key)) {
            std::size_t scheme = j;
            while (scheme < text.size() && std::isalpha(static_cast<unsigned char>(text[scheme])))
                ++scheme;
            std::size_t after = scheme;
            while (after < text.size() && isBlank(text[after]))
                ++after;
            if (scheme > j && after > scheme && after < text.size() && !endsValue(text[after])) {
                out.append(text.substr(j, after - j));
                j = after;
            }
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
