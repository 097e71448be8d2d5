#include "platform/foundation/NetworkInterface.h"

#include <cstdlib>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/stat.h>

namespace pf {

namespace {

bool isWireless(const std::string& name)
{
    struct stat info;
    std::string base = "/sys/class/net/" + name;
    return ::stat((base + "/wireless").c_str(), &info) == 0 || ::stat((base + "/phy80211").c_str(), &info) == 0;
}

}

std::vector<NetworkInterfaceInfo> systemNetworkInterfaces()
{
    std::vector<NetworkInterfaceInfo> interfaces;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return interfaces;
    // getifaddrs lists an interface once per address family.
    for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        std::string name = entry->ifa_name ? entry->ifa_name : "";
        bool seen = false;
        for (const auto& known : interfaces)
            seen = seen || known.name == name;
        if (name.empty() || seen)
            continue;
        interfaces.push_back({name, (entry->ifa_flags & IFF_UP) != 0, (entry->ifa_flags & IFF_LOOPBACK) != 0,
                              isWireless(name)});
    }
    freeifaddrs(list);
    return interfaces;
}

std::optional<std::string> interfaceForEn0(const std::vector<NetworkInterfaceInfo>& interfaces, const char* chosen)
{
    if (chosen && *chosen)
        return std::string(chosen);
    const NetworkInterfaceInfo* firstUp = nullptr;
    for (const auto& interface : interfaces) {
        if (!interface.up || interface.loopback)
            continue;
        if (interface.wireless)
            return interface.name;
        if (!firstUp)
            firstUp = &interface;
    }
    return firstUp ? std::optional(firstUp->name) : std::nullopt;
}

std::optional<std::string> systemInterfaceName(std::string_view name)
{
    if (name != "en0")
        return std::string(name);
    return interfaceForEn0(systemNetworkInterfaces(), std::getenv("ZMR_NET_INTERFACE"));
}

}
