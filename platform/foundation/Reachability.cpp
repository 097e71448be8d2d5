#include "platform/foundation/Reachability.h"

#include <ifaddrs.h>
#include <mutex>
#include <net/if.h>
#include <netinet/in.h>

namespace pf {

namespace {

std::mutex g_mutex; // guards g_provider
ReachabilityProvider g_provider;

std::uint32_t interfaceFlags()
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return 0;
    std::uint32_t flags = 0;
    for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET)
            continue;
        if ((entry->ifa_flags & IFF_UP) && !(entry->ifa_flags & IFF_LOOPBACK)) {
            flags = kReachabilityReachable;
            break;
        }
    }
    freeifaddrs(list);
    return flags;
}

}

std::uint32_t currentReachabilityFlags()
{
    ReachabilityProvider provider;
    {
        std::lock_guard lock(g_mutex);
        provider = g_provider;
    }
    return provider ? provider() : interfaceFlags();
}

void setReachabilityProvider(ReachabilityProvider provider)
{
    std::lock_guard lock(g_mutex);
    g_provider = std::move(provider);
}

}
