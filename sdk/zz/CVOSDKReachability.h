#pragma once

// The SDK's network-reachability watcher for a host name, an IPv4 address,
// the internet or the local Wi-Fi link. Status 0 not reachable, 1 via WWAN,
// 2 via Wi-Fi. Every query reads the flags afresh. While notifying, each
// change posts "CVOSDKReachabilityChangedNotification" (object: the watcher)
// on the main run loop; the watcher is not kept alive for it.
//
// Two watchers with the same key (host name, dotted address or the fixed
// names of the internet and local Wi-Fi watchers) are equal. A watcher made
// without a target is a programming error: its queries assert in debug
// builds and log in release builds, answering 0 or false.
//
// Main queue only.

#include "platform/foundation/Object.h"
#include "platform/foundation/Reachability.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

inline constexpr const char* kCVOSDKReachabilityChangedNotification = "CVOSDKReachabilityChangedNotification";

class CVOSDKReachability : public pf::Object {
public:
    enum NetworkStatus { NotReachable = 0, ReachableViaWWAN = 1, ReachableViaWiFi = 2 };
    static constexpr const char* kInternetKey = "CVOSDKInternetConnection";
    static constexpr const char* kLocalWiFiKey = "CVOSDKLocalWiFiConnection";

    // Null for an empty host name.
    static std::shared_ptr<CVOSDKReachability> reachabilityWithHostName(const std::string& hostName);
    // `ipv4` in host byte order.
    static std::shared_ptr<CVOSDKReachability> reachabilityWithAddress(std::uint32_t ipv4);
    static std::shared_ptr<CVOSDKReachability> reachabilityForInternetConnection();
    static std::shared_ptr<CVOSDKReachability> reachabilityForLocalWiFi();
    // "a.b.c.d" of an address in host byte order.
    static std::string makeAddressKey(std::uint32_t ipv4);

    explicit CVOSDKReachability(std::optional<pf::ReachabilityTarget> target, std::string key = {});
    ~CVOSDKReachability() override;

    const std::string& key() const { return m_key; }
    void setKey(std::string key) { m_key = std::move(key); }
    bool isEqual(const pf::Object& other) const override;

    bool startNotifier();
    void stopNotifier();

    NetworkStatus networkStatusForFlags(std::uint32_t flags) const;
    NetworkStatus currentReachabilityStatus() const;
    bool isReachable() const;
    bool isReachableViaWWAN() const;
    bool isReachableViaWiFi() const;
    bool isConnectionRequired() const;
    bool connectionRequired() const { return isConnectionRequired(); }
    bool isConnectionOnDemand() const;
    bool isInterventionRequired() const;
    std::uint32_t reachabilityFlags() const;

private:
    // The flags, or nothing (reported) when the watcher has no target.
    std::optional<std::uint32_t> flagsFor(const char* query) const;

    std::optional<pf::ReachabilityTarget> m_target;
    std::string m_key;
    std::uint64_t m_observer = 0;
};
