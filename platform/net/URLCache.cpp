#include "platform/net/URLCache.h"

#include <mutex>

namespace pf {

namespace {

std::mutex g_sharedMutex; // guards g_shared
std::shared_ptr<URLCache> g_shared;

}

std::shared_ptr<URLCache> URLCache::shared()
{
    std::lock_guard lock(g_sharedMutex);
    if (!g_shared)
        g_shared = std::make_shared<URLCache>();
    return g_shared;
}

void URLCache::setShared(std::shared_ptr<URLCache> cache)
{
    std::lock_guard lock(g_sharedMutex);
    g_shared = std::move(cache);
}

std::optional<CachedURLResponse> URLCache::cachedResponseForRequest(const HttpRequest&)
{
    return std::nullopt;
}

}
