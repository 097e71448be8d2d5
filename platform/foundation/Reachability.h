#pragma once

// Network reachability as flag bits, in the layout the system's callers test:
// reachable (bit 1), connection required (bit 2), a cellular path (bit 18).
// Linux has no reachability service, so the default provider answers from
// the interface list: reachable when a non-loopback interface is up with an
// IPv4 address. Tests install a provider of their own.

#include <cstdint>
#include <functional>

namespace pf {

enum ReachabilityFlag : std::uint32_t {
    kReachabilityReachable = 1u << 1,
    kReachabilityConnectionRequired = 1u << 2,
    kReachabilityIsWWAN = 1u << 18,
};

using ReachabilityProvider = std::function<std::uint32_t()>;

// Any thread. Reads the flags now (it may block briefly).
std::uint32_t currentReachabilityFlags();
// Any thread. An empty provider restores the default.
void setReachabilityProvider(ReachabilityProvider provider);

}
