#include "sdk/zz/ZZApiLog.h"

#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <string>
#include <sys/time.h>

namespace {

constexpr std::uintmax_t kRotateAbove = 1048576;
constexpr std::uintmax_t kKeptTail = 524288;
constexpr std::size_t kChunk = 16384;

std::mutex& logLock()
{
    static std::mutex lock;
    return lock;
}

// Guarded by logLock().
FILE*& logFile()
{
    static FILE* file = nullptr;
    return file;
}

std::string stamp()
{
    timeval now {};
    gettimeofday(&now, nullptr);
    tm local {};
    localtime_r(&now.tv_sec, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%.4d-%.2d-%.2d:%.2d:%.2d:%.2d:%.3d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(now.tv_usec / 1000));
    return text;
}

// Keeps the last kKeptTail bytes of a log that grew past kRotateAbove.
void rotate(const std::string& path)
{
    std::error_code error;
    auto size = std::filesystem::file_size(path, error);
    if (error || size <= kRotateAbove)
        return;
    std::string temp = std::filesystem::path(path).parent_path() / "ZZApiTemp.log";
    std::filesystem::remove(temp, error);
    FILE* from = std::fopen(path.c_str(), "rb");
    FILE* to = std::fopen(temp.c_str(), "wb");
    bool copied = from && to && std::fseek(from, static_cast<long>(size - kKeptTail), SEEK_SET) == 0;
    char buffer[kChunk];
    while (copied) {
        std::size_t n = std::fread(buffer, 1, sizeof buffer, from);
        if (n == 0)
            break;
        copied = std::fwrite(buffer, 1, n, to) == n;
    }
    if (from)
        std::fclose(from);
    if (to && std::fclose(to) != 0)
        copied = false;
    if (!copied) {
        std::filesystem::remove(temp, error);
        return;
    }
    std::filesystem::rename(temp, path, error);
}

void openLog()
{
    std::string directory = pf::documentsDirectory();
    pf::createDirectories(directory);
    std::string path = directory + "/ZZApi.log";
    rotate(path);
    FILE* file = std::fopen(path.c_str(), "a+");
    if (!file)
        return;
    time_t now = std::time(nullptr);
    tm local {};
    localtime_r(&now, &local);
    char date[64];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    std::fprintf(file, "\n\n\n\n\n********** BEGIN LOG ON %s **********\n", date);
    std::fflush(file);
    logFile() = file;
}

}

void ZZApiLog(const char* file, int line, const char* format, ...)
{
    std::string base = file ? file : "";
    if (auto slash = base.rfind('/'); slash != std::string::npos)
        base.erase(0, slash + 1);
    base.resize(std::min<std::size_t>(base.size(), 63));

    va_list arguments;
    va_start(arguments, format);
    va_list copy;
    va_copy(copy, arguments);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string message(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0)
        std::vsnprintf(message.data(), message.size() + 1, format, arguments);
    va_end(arguments);

    std::string entry = stamp() + " -ZZAPI- ";
    if (!base.empty())
        entry += base + ":" + std::to_string(line) + " ";
    // The messages carry URLs and answers of the ZZ app, which may hold tokens.
    entry += pf::redactSecrets(message) + "\n";

    std::lock_guard guard(logLock());
    std::fputs(entry.c_str(), stdout);
    if (!logFile())
        openLog();
    if (FILE* log = logFile()) {
        std::fputs(entry.c_str(), log);
        std::fflush(log);
    }
}

void ZZApiLogCloseForTesting()
{
    std::lock_guard guard(logLock());
    if (logFile())
        std::fclose(logFile());
    logFile() = nullptr;
}
