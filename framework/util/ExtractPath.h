#pragma once

// Writing an archive's entries below a folder without ever leaving it: entry
// names are split into plain components (absolute names and ".." refused),
// and folders are opened one component at a time without following links,
// so neither a crafted name nor a link already in the folder leads outside.
// Any thread; no shared state.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A file descriptor, closed on destruction.
class ScopedFd {
public:
    ScopedFd() = default;
    explicit ScopedFd(int fd) : m_fd(fd) {}
    ScopedFd(ScopedFd&& other) noexcept : m_fd(other.release()) {}
    ScopedFd& operator=(ScopedFd&& other) noexcept
    {
        reset(other.release());
        return *this;
    }
    ~ScopedFd() { reset(-1); }
    ScopedFd(const ScopedFd&) = delete;
    ScopedFd& operator=(const ScopedFd&) = delete;

    void reset(int fd);
    explicit operator bool() const { return m_fd >= 0; }
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd = -1;
};

// Splits a relative name at "/" and "\" into plain components; false for a
// name with a root or a ".." component, or with nothing left. Empty and "."
// components are dropped.
bool splitEntryName(std::string_view name, std::vector<std::string>& parts);

// Opens (creating with `mode` when missing) each folder of `parts` below the
// open folder `root` in turn, never through a link; an invalid descriptor
// when any step fails.
ScopedFd openFoldersBelow(int root, const std::vector<std::string>& parts, unsigned mode = 0755);

// Writes every byte, retrying after interruptions; false on any failure or a
// write that makes no progress.
bool writeAllBytes(int fd, const void* bytes, std::size_t length);
