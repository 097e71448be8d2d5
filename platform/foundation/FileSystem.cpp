#include "platform/foundation/FileSystem.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
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
#include <sys/uio.h>
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
    if (const char* env = std::getenv("ZMR_HOME"); env && *env) {
        // Fixed against the folder the program started in, so a later change
        // of folder cannot move the data.
        std::error_code ec;
        auto absolute = std::filesystem::absolute(env, ec);
        return ec ? std::string(env) : absolute.lexically_normal().string();
    }
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

namespace {

std::atomic<bool> g_homeUnwritable{false};

}

std::optional<Error> prepareHomeDirectory()
{
    std::string home = homeDirectory();
    createDirectories(home);
    std::string probe = home + "/.write-probe-XXXXXX";
    int fd = mkstemp(probe.data());
    g_homeUnwritable = fd < 0;
    if (fd < 0)
        return ioError("cannot write to", home);
    close(fd);
    unlink(probe.c_str());
    return std::nullopt;
}

bool homeDirectoryIsUnwritable() { return g_homeUnwritable; }

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
    // Mostly the folder is there already (boards and caches ask before every
    // write): one stat instead of a mkdir per path component.
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return true;
    // Folders made here hold one user's data and caches: only that user may enter them.
    for (std::size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        std::string prefix = path.substr(0, slash);
        if (!prefix.empty() && mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            break;
        if (slash == std::string::npos)
            break;
    }
    return std::filesystem::is_directory(path, ec);
}

bool fileExists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::optional<Bytes> readFile(const std::string& path)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat status;
    if (fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
        close(fd);
        return std::nullopt;
    }
    // Read into a buffer of the file's size; a file that grows meanwhile (or
    // reports no size, like a pipe) is read on to its end.
    Bytes bytes(status.st_size > 0 ? std::size_t(status.st_size) : 0);
    std::size_t used = 0;
    std::uint8_t probe[4096];
    for (;;) {
        bool full = used == bytes.size();
        ssize_t n = full ? read(fd, probe, sizeof probe) : read(fd, bytes.data() + used, bytes.size() - used);
        if (n > 0 && full) {
            bytes.insert(bytes.end(), probe, probe + n);
            used += std::size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        used += std::size_t(n);
    }
    close(fd);
    bytes.resize(used);
    return bytes;
}

std::optional<Error> writeFileAtomically(const std::string& path, std::string_view bytes)
{
    return writeFileAtomically(path, std::span<const std::string_view>(&bytes, 1));
}

std::optional<Error> writeFileAtomically(const std::string& path, std::span<const std::string_view> parts)
{
    std::string temporary = path + ".tmp." + std::to_string(getpid());
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    // The folder is made when it is missing, not looked for on every write.
    if (auto slash = path.rfind('/'); fd < 0 && errno == ENOENT && slash != std::string::npos && slash > 0) {
        createDirectories(path.substr(0, slash));
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    }
    if (fd < 0)
        return ioError("cannot create", temporary);
    // One writev for all pieces while it takes them whole; a short write
    // goes on where it stopped.
    std::vector<iovec> pending;
    pending.reserve(parts.size());
    for (std::string_view part : parts)
        if (!part.empty())
            pending.push_back({const_cast<char*>(part.data()), part.size()});
    for (std::size_t first = 0; first < pending.size();) {
        int count = static_cast<int>(std::min<std::size_t>(pending.size() - first, IOV_MAX));
        ssize_t n = writev(fd, pending.data() + first, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            Error error = ioError("cannot write", temporary);
            close(fd);
            unlink(temporary.c_str());
            return error;
        }
        for (auto done = static_cast<std::size_t>(n); done > 0;) {
            iovec& head = pending[first];
            std::size_t step = std::min(done, head.iov_len);
            head.iov_base = static_cast<char*>(head.iov_base) + step;
            head.iov_len -= step;
            done -= step;
            if (head.iov_len == 0)
                ++first;
        }
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
