#include "sdk/analytics/MCA4ZCReachability.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/NotificationCenter.h"

std::shared_ptr<MCA4ZCReachability> MCA4ZCReachability::reachabilityWithHostname(const std::string& hostName)
{
    if (hostName.empty())
        return nullptr;
    return std::make_shared<MCA4ZCReachability>(pf::ReachabilityTarget::forHostName(hostName));
}

std::shared_ptr<MCA4ZCReachability> MCA4ZCReachability::reachabilityWithAddress(std::uint32_t ipv4)
{
    return std::make_shared<MCA4ZCReachability>(pf::ReachabilityTarget::forAddress(ipv4));
}

std::shared_ptr<MCA4ZCReachability> MCA4ZCReachability::reachabilityForInternetConnection()
{
    return reachabilityWithAddress(0);
}

std::shared_ptr<MCA4ZCReachability> MCA4ZCReachability::reachabilityForLocalWiFi()
{
    return reachabilityWithAddress(pf::ReachabilityTarget::kLinkLocalNetwork);
}

MCA4ZCReachability::MCA4ZCReachability(pf::ReachabilityTarget target) : m_target(std::move(target)) {}

MCA4ZCReachability::~MCA4ZCReachability()
{
    std::uint64_t observer = 0;
    {
        std::lock_guard lock(m_mutex);
        observer = m_observer;
    }
    if (observer)
        pf::removeReachabilityObserver(observer);
}

void MCA4ZCReachability::setReachableBlock(Block block)
{
    std::lock_guard lock(m_mutex);
    m_reachableBlock = std::move(block);
}

void MCA4ZCReachability::setUnreachableBlock(Block block)
{
    std::lock_guard lock(m_mutex);
    m_unreachableBlock = std::move(block);
}

bool MCA4ZCReachability::startNotifier()
{
    std::lock_guard lock(m_mutex);
    if (m_observer)
        return true;
    m_reachabilityObject = self();
    m_queue = pf::DispatchQueue::create("com.zomaru.analytics.reachability");
    std::weak_ptr<MCA4ZCReachability> weak = self();
    m_observer = pf::addReachabilityObserver([weak] {
        if (auto self = weak.lock())
            self->reachabilityChanged(self->reachabilityFlags());
    });
    return true;
}

void MCA4ZCReachability::stopNotifier()
{
    std::uint64_t observer = 0;
    std::shared_ptr<MCA4ZCReachability> keep;
    std::shared_ptr<pf::DispatchQueue> queue;
    {
        std::lock_guard lock(m_mutex);
        observer = m_observer;
        m_observer = 0;
        keep = std::move(m_reachabilityObject);
        queue = std::move(m_queue);
    }
    if (observer)
        pf::removeReachabilityObserver(observer);
}

void MCA4ZCReachability::reachabilityChanged(std::uint32_t flags)
{
    std::shared_ptr<pf::DispatchQueue> queue;
    {
        std::lock_guard lock(m_mutex);
        queue = m_queue;
    }
    if (!queue)
        return;
    std::weak_ptr<MCA4ZCReachability> weak = self();
    queue->async([weak, flags] {
        auto self = weak.lock();
        if (!self)
            return;
        Block block;
        {
            std::lock_guard lock(self->m_mutex);
            block = self->isReachableWithFlags(flags) ? self->m_reachableBlock : self->m_unreachableBlock;
        }
        if (block)
            block(*self);
        pf::dispatchMain([self] {
            pf::NotificationCenter::defaultCenter().post(kReachabilityChangedNotification, pf::Value(pf::ObjectRef(self)));
        });
    });
}

bool MCA4ZCReachability::isReachableWithFlags(std::uint32_t flags) const
{
    bool reachable = (flags & pf::kReachabilityReachable) &&
                     !((flags & pf::kReachabilityTransientConnection) && (flags & pf::kReachabilityConnectionRequired));
    if (flags & pf::kReachabilityIsWWAN)
        reachable = reachable && m_reachableOnWWAN;
    return reachable;
}

std::uint32_t MCA4ZCReachability::reachabilityFlags() const { return pf::reachabilityFlagsForTarget(m_target); }

bool MCA4ZCReachability::isReachable() const { return isReachableWithFlags(reachabilityFlags()); }

bool MCA4ZCReachability::isReachableViaWWAN() const
{
    std::uint32_t flags = reachabilityFlags();
    return (flags & pf::kReachabilityReachable) && (flags & pf::kReachabilityIsWWAN);
}

bool MCA4ZCReachability::isReachableViaWiFi() const
{
    std::uint32_t flags = reachabilityFlags();
    return (flags & pf::kReachabilityReachable) && !(flags & pf::kReachabilityIsWWAN);
}

bool MCA4ZCReachability::isConnectionRequired() const { return pf::reachabilityNeedsConnection(reachabilityFlags()); }

bool MCA4ZCReachability::isConnectionOnDemand() const { return pf::reachabilityConnectsOnDemand(reachabilityFlags()); }

bool MCA4ZCReachability::isInterventionRequired() const
{
    return pf::reachabilityNeedsIntervention(reachabilityFlags());
}

MCA4ZCReachability::NetworkStatus MCA4ZCReachability::currentReachabilityStatus() const
{
    if (!isReachable())
        return NotReachable;
    return isReachableViaWiFi() ? ReachableViaWiFi : ReachableViaWWAN;
}

std::string MCA4ZCReachability::currentReachabilityString() const
{
    switch (currentReachabilityStatus()) {
    case ReachableViaWWAN: return "Cellular";
    case ReachableViaWiFi: return "WiFi";
    default: return "No Connection";
    }
}

std::string MCA4ZCReachability::currentReachabilityFlags() const
{
    return pf::reachabilityFlagsDescription(reachabilityFlags());
}
