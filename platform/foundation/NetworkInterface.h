#pragma once

// Names of network interfaces. The application asks about the phone's
// wireless interface by its name there, "en0"; on Linux that name is mapped
// to one real interface, so that the hardware address, the IPv4 address and
// the "on wireless" answer all speak of the same one. Any thread.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pf {

struct NetworkInterfaceInfo {
    std::string name;
    bool up = false;
    bool loopback = false;
    bool wireless = false;
};

// The interfaces of the machine, in the system's order.
std::vector<NetworkInterfaceInfo> systemNetworkInterfaces();

// The interface "en0" stands for: `chosen` (ZMR_NET_INTERFACE) when set and
// not empty, else the first up, non-loopback wireless interface, else the
// first up, non-loopback one; nullopt when there is none.
std::optional<std::string> interfaceForEn0(const std::vector<NetworkInterfaceInfo>& interfaces,
                                           const char* chosen);

// `name` as the system knows it: "en0" mapped as above (reading the
// machine's interfaces and ZMR_NET_INTERFACE), any other name unchanged.
std::optional<std::string> systemInterfaceName(std::string_view name);

}
