#pragma once

// Network reachability as flag bits, in the layout the system's callers test.
// Linux has no reachability service, so the default provider answers from
// the interface list: reachable when a non-loopback interface is up with an
// IPv4 address, and never WWAN; a loopback target (127.x.x.x, "localhost",
// "::1") is always reachable, as a local address. Tests install a provider of
// their own, which then answers for loopback targets too.
//
// Targets (a host name or an IPv4 address; 0.0.0.0 stands for the internet)
// are handed to a target provider; the plain provider, when set, answers for
// every target.
//
// Change notification: observers are called by reachabilityChanged(), on the
// calling thread. While at least one observer is registered, a watcher
// thread follows the kernel's interface and address changes and calls it;
// tests call it themselves after swapping providers.

#include <cstdint>
#include <functional>
#include <string>

namespace pf {

enum ReachabilityFlag : std::uint32_t {
    kReachabilityTransientConnection = 1u << 0,
    kReachabilityReachable = 1u << 1,
    kReachabilityConnectionRequired = 1u << 2,
    kReachabilityConnectionOnTraffic = 1u << 3,
    kReachabilityInterventionRequired = 1u << 4,
    kReachabilityConnectionOnDemand = 1u << 5,
    kReachabilityIsLocalAddress = 1u << 16,
    kReachabilityIsDirect = 1u << 17,
    kReachabilityIsWWAN = 1u << 18,
};

struct ReachabilityTarget {
    enum class Kind { Address, HostName };
    // 169.254.0.0, the link-local network that stands for local Wi-Fi.
    static constexpr std::uint32_t kLinkLocalNetwork = 0xA9FE0000u;

    static ReachabilityTarget forHostName(std::string name);
    static ReachabilityTarget forAddress(std::uint32_t ipv4);

    Kind kind = Kind::Address;
    std::string hostName;
    std::uint32_t ipv4 = 0; // host byte order
};

// What a reading of the flags says beyond reachable and WWAN, the same for
// every watcher: a connection must be made first; it would be made on
// traffic or on demand; the user must act to make it.
bool reachabilityNeedsConnection(std::uint32_t flags);
bool reachabilityConnectsOnDemand(std::uint32_t flags);
bool reachabilityNeedsIntervention(std::uint32_t flags);
// One letter per flag, "-" where clear ("WR ctiCDld"), for logs.
std::string reachabilityFlagsDescription(std::uint32_t flags);

using ReachabilityProvider = std::function<std::uint32_t()>;
using ReachabilityTargetProvider = std::function<std::uint32_t(const ReachabilityTarget&)>;

// Any thread. Reads the flags now (it may block briefly).
std::uint32_t currentReachabilityFlags();
std::uint32_t reachabilityFlagsForTarget(const ReachabilityTarget& target);
// Any thread. An empty provider restores the default.
void setReachabilityProvider(ReachabilityProvider provider);
void setReachabilityTargetProvider(ReachabilityTargetProvider provider);

// Any thread. Answers a token for removeReachabilityObserver().
std::uint64_t addReachabilityObserver(std::function<void()> observer);
void removeReachabilityObserver(std::uint64_t token);
// Calls every observer now, on the calling thread.
void reachabilityChanged();

}
