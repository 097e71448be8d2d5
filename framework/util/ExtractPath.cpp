#include "framework/util/ExtractPath.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

void ScopedFd::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

bool splitEntryName(std::string_view name, std::vector<std::string>& parts)
{
    // A NUL ends the name the file system sees: "..\0x" would pass as a
    // plain part and open as "..".
    if (name.empty() || name[0] == '/' || name[0] == '\\' || name.find('\0') != std::string_view::npos)
        return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("/\\", start);
        if (end == std::string_view::npos)
            end = name.size();
        std::string_view part = name.substr(start, end - start);
        if (part == "..")
            return false;
        if (!part.empty() && part != ".")
            parts.emplace_back(part);
        start = end + 1;
    }
    return !parts.empty();
}

ScopedFd openFoldersBelow(int root, const std::vector<std::string>& parts, unsigned mode)
{
    ScopedFd current(::dup(root));
    for (const std::string& part : parts) {
        if (::mkdirat(current.get(), part.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST)
            return ScopedFd();
        ScopedFd next(::openat(current.get(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next)
            return next;
        current = std::move(next);
    }
    return current;
}

bool writeAllBytes(int fd, const void* bytes, std::size_t length)
{
    auto* cursor = static_cast<const char*>(bytes);
    while (length > 0) {
        ssize_t n = ::write(fd, cursor, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        cursor += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}
