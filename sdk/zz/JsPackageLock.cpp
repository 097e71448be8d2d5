#include "sdk/zz/JsPackageLock.h"

#include "platform/foundation/FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <unistd.h>

namespace {

std::mutex& packageMutex()
{
    static std::mutex mutex;
    return mutex;
}

}

JsPackageLock::JsPackageLock(const std::string& cachesFolder)
{
    packageMutex().lock();
    // Without the file the mutex still orders this process's users.
    if (pf::createDirectories(cachesFolder))
        m_fd = ::open((cachesFolder + "/js.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    while (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

JsPackageLock::~JsPackageLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
    packageMutex().unlock();
}
