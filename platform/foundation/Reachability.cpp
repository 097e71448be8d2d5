#include "platform/foundation/Reachability.h"

#include <fcntl.h>
#include <ifaddrs.h>
#include <memory>
#include <vector>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <map>
#include <mutex>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace pf {

namespace {

std::mutex g_mutex; // guards the providers
ReachabilityProvider g_provider;
ReachabilityTargetProvider g_targetProvider;

std::mutex g_observerMutex; // guards the observers and the watcher
std::map<std::uint64_t, std::function<void()>> g_observers;
std::uint64_t g_nextToken = 1;

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

// Follows the kernel's link and address changes over a routing socket.
class InterfaceWatcher {
public:
    bool start()
    {
        m_socket = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
        if (m_socket < 0)
            return false;
        sockaddr_nl address{};
        address.nl_family = AF_NETLINK;
        address.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR;
        if (bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || pipe2(m_wake, O_CLOEXEC) != 0) {
            close(m_socket);
            m_socket = -1;
            return false;
        }
        m_thread = std::thread([this] { loop(); });
        return true;
    }
    ~InterfaceWatcher()
    {
        if (m_socket < 0)
            return;
        char byte = 0;
        [[maybe_unused]] auto written = write(m_wake[1], &byte, 1);
        if (m_thread.get_id() == std::this_thread::get_id())
            m_thread.detach();
        else if (m_thread.joinable())
            m_thread.join();
        close(m_socket);
        close(m_wake[0]);
        close(m_wake[1]);
    }

private:
    void loop()
    {
        char buffer[8192];
        for (;;) {
            pollfd fds[2] = {{m_socket, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
            if (poll(fds, 2, -1) < 0)
                continue;
            if (fds[1].revents)
                return;
            if (fds[0].revents && recv(m_socket, buffer, sizeof buffer, 0) > 0)
                reachabilityChanged();
        }
    }
    int m_socket = -1;
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
};

std::unique_ptr<InterfaceWatcher> g_watcher;

bool isLoopback(const ReachabilityTarget& target)
{
    if (target.kind == ReachabilityTarget::Kind::Address)
        return (target.ipv4 >> 24) == 127;
    const std::string& host = target.hostName;
    return host == "localhost" || host == "::1" || host == "[::1]" || host.rfind("127.", 0) == 0;
}

}

ReachabilityTarget ReachabilityTarget::forHostName(std::string name)
{
    ReachabilityTarget target;
    target.kind = Kind::HostName;
    target.hostName = std::move(name);
    return target;
}

ReachabilityTarget ReachabilityTarget::forAddress(std::uint32_t ipv4)
{
    ReachabilityTarget target;
    target.ipv4 = ipv4;
    return target;
}

bool reachabilityNeedsConnection(std::uint32_t flags) { return flags & kReachabilityConnectionRequired; }

bool reachabilityConnectsOnDemand(std::uint32_t flags)
{
    return reachabilityNeedsConnection(flags) &&
           (flags & (kReachabilityConnectionOnTraffic | kReachabilityConnectionOnDemand));
}

bool reachabilityNeedsIntervention(std::uint32_t flags)
{
    return reachabilityNeedsConnection(flags) && (flags & kReachabilityInterventionRequired);
}

std::string reachabilityFlagsDescription(std::uint32_t flags)
{
    static const struct {
        std::uint32_t mask;
        char letter;
    } letters[] = {
        {kReachabilityIsWWAN, 'W'}, {kReachabilityReachable, 'R'}, {0, ' '},
        {kReachabilityConnectionRequired, 'c'}, {kReachabilityTransientConnection, 't'},
        {kReachabilityInterventionRequired, 'i'}, {kReachabilityConnectionOnTraffic, 'C'},
        {kReachabilityConnectionOnDemand, 'D'}, {kReachabilityIsLocalAddress, 'l'}, {kReachabilityIsDirect, 'd'},
    };
    std::string text;
    for (const auto& entry : letters)
        text += entry.mask == 0 ? entry.letter : (flags & entry.mask) ? entry.letter : '-';
    return text;
}

std::uint32_t currentReachabilityFlags()
{
    ReachabilityTarget internet;
    return reachabilityFlagsForTarget(internet);
}

std::uint32_t reachabilityFlagsForTarget(const ReachabilityTarget& target)
{
    ReachabilityProvider provider;
    ReachabilityTargetProvider targetProvider;
    {
        std::lock_guard lock(g_mutex);
        provider = g_provider;
        targetProvider = g_targetProvider;
    }
    if (targetProvider)
        return targetProvider(target);
    if (provider)
        return provider();
    // The loopback interface is there with or without a network.
    if (isLoopback(target))
        return kReachabilityReachable | kReachabilityIsLocalAddress | kReachabilityIsDirect;
    return interfaceFlags();
}

void setReachabilityProvider(ReachabilityProvider provider)
{
    std::lock_guard lock(g_mutex);
    g_provider = std::move(provider);
}

void setReachabilityTargetProvider(ReachabilityTargetProvider provider)
{
    std::lock_guard lock(g_mutex);
    g_targetProvider = std::move(provider);
}

std::uint64_t addReachabilityObserver(std::function<void()> observer)
{
    std::lock_guard lock(g_observerMutex);
    std::uint64_t token = g_nextToken++;
    g_observers.emplace(token, std::move(observer));
    if (!g_watcher) {
        auto watcher = std::make_unique<InterfaceWatcher>();
        if (watcher->start())
            g_watcher = std::move(watcher);
    }
    return token;
}

void removeReachabilityObserver(std::uint64_t token)
{
    std::unique_ptr<InterfaceWatcher> stopping;
    {
        std::lock_guard lock(g_observerMutex);
        g_observers.erase(token);
        if (g_observers.empty())
            stopping = std::move(g_watcher);
    }
    // Stopped outside the lock: its thread may be calling the observers.
}

void reachabilityChanged()
{
    std::vector<std::function<void()>> observers;
    {
        std::lock_guard lock(g_observerMutex);
        for (const auto& [token, observer] : g_observers)
            observers.push_back(observer);
    }
    for (const auto& observer : observers)
        observer();
}

}
