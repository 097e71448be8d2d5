#include "platform/foundation/FileSystem.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <pwd.h>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

namespace pf {

namespace {

std::mutex g_mutex; // guards g_home
std::optional<std::string> g_home;

Error ioError(const std::string& what, const std::string& path)
{
    return Error{"NSPOSIXErrorDomain", errno, what + " " + path + ": " + std::strerror(errno)};
}

}

std::optional<std::string> defaultHomeDirectory()
{
    if (const char* env = std::getenv("ZMR_HOME"); env && *env)
        return std::string(env);
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.zomaru";
    // Without HOME the account's own home still is private; a shared folder is not.
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    struct passwd entry;
    struct passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        return std::string(found->pw_dir) + "/.zomaru";
    return std::nullopt;
}

std::string homeDirectory()
{
    std::lock_guard lock(g_mutex);
    if (!g_home) {
        g_home = defaultHomeDirectory();
        if (!g_home) {
            std::fprintf(stderr, "zomaru: no home folder for the data: set ZMR_HOME or HOME\n");
            std::exit(1);
        }
    }
    return *g_home;
}

void setHomeDirectory(std::string path)
{
    std::lock_guard lock(g_mutex);
    g_home = std::move(path);
}

std::string documentsDirectory() { return homeDirectory() + "/Documents"; }
std::string cachesDirectory() { return homeDirectory() + "/Library/Caches"; }
std::string temporaryDirectory() { return homeDirectory() + "/tmp"; }

bool createDirectories(const std::string& path)
{
    // Folders made here hold one user's data and caches: only that user may enter them.
    for (std::size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        std::string prefix = path.substr(0, slash);
        if (!prefix.empty() && mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            break;
        if (slash == std::string::npos)
            break;
    }
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

bool fileExists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::optional<Bytes> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return bytes;
}

std::optional<Error> writeFileAtomically(const std::string& path, std::string_view bytes)
{
    auto slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0)
        createDirectories(path.substr(0, slash));
    std::string temporary = path + ".tmp." + std::to_string(getpid());
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return ioError("cannot create", temporary);
    std::size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            Error error = ioError("cannot write", temporary);
            close(fd);
            unlink(temporary.c_str());
            return error;
        }
        written += static_cast<std::size_t>(n);
    }
    if (fsync(fd) != 0 || close(fd) != 0) {
        Error error = ioError("cannot flush", temporary);
        unlink(temporary.c_str());
        return error;
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        Error error = ioError("cannot replace", path);
        unlink(temporary.c_str());
        return error;
    }
    return std::nullopt;
}

}
