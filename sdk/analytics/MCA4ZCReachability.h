#pragma once

// One reachability target (a host name, an IPv4 address, the zero address
// for the internet, the link-local network for local Wi-Fi) and the answers
// the collector asks of it. Every query reads the flags afresh on the
// calling thread. While notifying, changes call the blocks on the watcher's
// own serial queue and post "kReachabilityChangedNotification" (object: the
// watcher) on the main queue; the watcher keeps itself alive meanwhile.

#include "platform/foundation/Object.h"
#include "platform/foundation/Reachability.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace pf {
class DispatchQueue;
}

inline constexpr const char* kReachabilityChangedNotification = "kReachabilityChangedNotification";

class MCA4ZCReachability : public pf::Object {
public:
    enum NetworkStatus { NotReachable = 0, ReachableViaWWAN = 1, ReachableViaWiFi = 2 };
    using Block = std::function<void(MCA4ZCReachability&)>;

    static std::shared_ptr<MCA4ZCReachability> reachabilityWithHostname(const std::string& hostName);
    // `ipv4` in host byte order.
    static std::shared_ptr<MCA4ZCReachability> reachabilityWithAddress(std::uint32_t ipv4);
    static std::shared_ptr<MCA4ZCReachability> reachabilityForInternetConnection();
    static std::shared_ptr<MCA4ZCReachability> reachabilityForLocalWiFi();

    explicit MCA4ZCReachability(pf::ReachabilityTarget target);
    ~MCA4ZCReachability() override;

    void setReachableBlock(Block block);
    void setUnreachableBlock(Block block);
    bool reachableOnWWAN() const { return m_reachableOnWWAN; }
    void setReachableOnWWAN(bool value) { m_reachableOnWWAN = value; }

    bool startNotifier();
    void stopNotifier();

    bool isReachableWithFlags(std::uint32_t flags) const;
    bool isReachable() const;
    bool isReachableViaWWAN() const;
    bool isReachableViaWiFi() const;
    bool isConnectionRequired() const;
    bool connectionRequired() const { return isConnectionRequired(); }
    bool isConnectionOnDemand() const;
    bool isInterventionRequired() const;
    NetworkStatus currentReachabilityStatus() const;
    std::uint32_t reachabilityFlags() const;
    std::string currentReachabilityString() const;
    std::string currentReachabilityFlags() const;

private:
    std::shared_ptr<MCA4ZCReachability> self() { return std::static_pointer_cast<MCA4ZCReachability>(shared_from_this()); }
    void reachabilityChanged(std::uint32_t flags);

    pf::ReachabilityTarget m_target;
    std::atomic<bool> m_reachableOnWWAN{true};
    std::mutex m_mutex; // guards the blocks, the queue and the notifier state
    Block m_reachableBlock;
    Block m_unreachableBlock;
    std::shared_ptr<pf::DispatchQueue> m_queue;
    std::shared_ptr<MCA4ZCReachability> m_reachabilityObject;
    std::uint64_t m_observer = 0;
};
