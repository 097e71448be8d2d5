#include "sdk/zz/CVOSDKReachability.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

#include <cassert>

namespace {

constexpr std::uint32_t kPlainReachable =
    pf::kReachabilityReachable | pf::kReachabilityIsLocalAddress | pf::kReachabilityIsDirect;

void reportProgrammingError(const std::string& text)
{
    pf::log("%s", text.c_str());
    assert(false && "CVOSDKReachability used without a target");
}

}

std::shared_ptr<CVOSDKReachability> CVOSDKReachability::reachabilityWithHostName(const std::string& hostName)
{
    if (hostName.empty())
        return nullptr;
    return std::make_shared<CVOSDKReachability>(pf::ReachabilityTarget::forHostName(hostName), hostName);
}

std::shared_ptr<CVOSDKReachability> CVOSDKReachability::reachabilityWithAddress(std::uint32_t ipv4)
{
    return std::make_shared<CVOSDKReachability>(pf::ReachabilityTarget::forAddress(ipv4), makeAddressKey(ipv4));
}

std::shared_ptr<CVOSDKReachability> CVOSDKReachability::reachabilityForInternetConnection()
{
    auto watcher = reachabilityWithAddress(0);
    watcher->setKey(kInternetKey);
    return watcher;
}

std::shared_ptr<CVOSDKReachability> CVOSDKReachability::reachabilityForLocalWiFi()
{
    auto watcher = reachabilityWithAddress(pf::ReachabilityTarget::kLinkLocalNetwork);
    watcher->setKey(kLocalWiFiKey);
    return watcher;
}

std::string CVOSDKReachability::makeAddressKey(std::uint32_t ipv4)
{
    return std::to_string(ipv4 >> 24) + "." + std::to_string((ipv4 >> 16) & 0xFF) + "." +
           std::to_string((ipv4 >> 8) & 0xFF) + "." + std::to_string(ipv4 & 0xFF);
}

CVOSDKReachability::CVOSDKReachability(std::optional<pf::ReachabilityTarget> target, std::string key)
    : m_target(std::move(target)), m_key(std::move(key))
{
}

CVOSDKReachability::~CVOSDKReachability() { stopNotifier(); }

bool CVOSDKReachability::isEqual(const pf::Object& other) const
{
    auto watcher = dynamic_cast<const CVOSDKReachability*>(&other);
    return watcher && watcher->m_key == m_key;
}

bool CVOSDKReachability::startNotifier()
{
    if (!m_target)
        return false;
    if (m_observer)
        return true;
    std::weak_ptr<pf::Object> weak = shared_from_this();
    // Changes are seen on the platform's watcher thread; observers hear of
    // them on the main run loop.
    m_observer = pf::addReachabilityObserver([weak] {
        pf::RunLoop::main().post([weak] {
            if (auto self = weak.lock())
                pf::NotificationCenter::defaultCenter().post(kCVOSDKReachabilityChangedNotification, pf::Value(self));
        });
    });
    return true;
}

void CVOSDKReachability::stopNotifier()
{
    if (m_observer)
        pf::removeReachabilityObserver(m_observer);
    m_observer = 0;
}

CVOSDKReachability::NetworkStatus CVOSDKReachability::networkStatusForFlags(std::uint32_t flags) const
{
    if (!(flags & pf::kReachabilityReachable))
        return NotReachable;
    if (m_key == kLocalWiFiKey)
        return (flags & pf::kReachabilityIsDirect) ? ReachableViaWiFi : NotReachable;
    if (flags & pf::kReachabilityIsWWAN)
        return ReachableViaWWAN;
    std::uint32_t rest = flags & ~kPlainReachable;
    if (rest == (pf::kReachabilityTransientConnection | pf::kReachabilityConnectionRequired))
        return NotReachable;
    if (flags & pf::kReachabilityTransientConnection)
        return ReachableViaWiFi;
    if (rest == 0)
        return ReachableViaWiFi;
    return (flags & pf::kReachabilityConnectionRequired) ? ReachableViaWiFi : NotReachable;
}

std::optional<std::uint32_t> CVOSDKReachability::flagsFor(const char* query) const
{
    if (!m_target) {
        reportProgrammingError(std::string(query) + " called with NULL reachabilityRef");
        return std::nullopt;
    }
    return pf::reachabilityFlagsForTarget(*m_target);
}

CVOSDKReachability::NetworkStatus CVOSDKReachability::currentReachabilityStatus() const
{
    auto flags = flagsFor("currentReachabilityStatus");
    return flags ? networkStatusForFlags(*flags) : NotReachable;
}

bool CVOSDKReachability::isReachable() const
{
    auto flags = flagsFor("isReachable");
    return flags && networkStatusForFlags(*flags) != NotReachable;
}

bool CVOSDKReachability::isReachableViaWWAN() const
{
    auto flags = flagsFor("isReachableViaWWAN");
    return flags && networkStatusForFlags(*flags) == ReachableViaWWAN;
}

bool CVOSDKReachability::isReachableViaWiFi() const
{
    auto flags = flagsFor("isReachableViaWiFi");
    return flags && networkStatusForFlags(*flags) == ReachableViaWiFi;
}

bool CVOSDKReachability::isConnectionRequired() const
{
    auto flags = flagsFor("isConnectionRequired");
    return flags && pf::reachabilityNeedsConnection(*flags);
}

bool CVOSDKReachability::isConnectionOnDemand() const
{
    auto flags = flagsFor("isConnectionIsOnDemand");
    return flags && pf::reachabilityConnectsOnDemand(*flags);
}

bool CVOSDKReachability::isInterventionRequired() const
{
    auto flags = flagsFor("isInterventionRequired");
    return flags && pf::reachabilityNeedsIntervention(*flags);
}

std::uint32_t CVOSDKReachability::reachabilityFlags() const
{
    return flagsFor("reachabilityFlags").value_or(0);
}
