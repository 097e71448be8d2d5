#include "platform/web/HtmlFile.h"

#include "platform/web/HtmlDocument.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pf {

namespace {

Error htmlError(HtmlDocumentError code, std::string description)
{
    return {htmlDocumentErrorDomain, static_cast<long long>(code), std::move(description)};
}

struct FileCloser {
    int fd;
    ~FileCloser() { ::close(fd); }
};

}

ErrorOr<std::string> readHtmlFileOrError(const URL& url, std::size_t maxBytes)
{
    if (url.scheme() != "file" || (!url.host().empty() && url.host() != "localhost"))
        return htmlError(HtmlDocumentError::UnsupportedURL, "only local file URLs load: " + url.absoluteString());
    std::string path = url.path();
    // Non-blocking, so that opening a pipe or device cannot hang before the check below.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return htmlError(HtmlDocumentError::Unreadable, path + ": " + std::strerror(errno));
    FileCloser closer{fd};
    struct stat info;
    if (::fstat(fd, &info) != 0)
        return htmlError(HtmlDocumentError::Unreadable, path + ": " + std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        return htmlError(HtmlDocumentError::NotRegularFile, path + " is not a regular file");
    if (static_cast<unsigned long long>(info.st_size) > maxBytes)
        return htmlError(HtmlDocumentError::TooLarge, path + " is larger than " + std::to_string(maxBytes) + " bytes");

    // The file may grow after fstat: reading goes on to one byte past the limit to notice.
    std::string bytes(static_cast<std::size_t>(info.st_size) + 1, '\0');
    std::size_t filled = 0;
    while (true) {
        if (filled == bytes.size()) {
            if (bytes.size() > maxBytes)
                break;
            bytes.resize(std::min(bytes.size() * 2, maxBytes + 1));
        }
        ssize_t n = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return htmlError(HtmlDocumentError::Unreadable, path + ": " + std::strerror(errno));
        if (n == 0)
            break;
        filled += static_cast<std::size_t>(n);
    }
    if (filled > maxBytes)
        return htmlError(HtmlDocumentError::TooLarge, path + " is larger than " + std::to_string(maxBytes) + " bytes");
    bytes.resize(filled);
    return bytes;
}

std::optional<std::string> readHtmlFile(const URL& url, std::size_t maxBytes)
{
    auto result = readHtmlFileOrError(url, maxBytes);
    if (!result)
        return std::nullopt;
    return std::move(result.value());
}

}
