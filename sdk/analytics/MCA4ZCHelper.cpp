#include "sdk/analytics/MCA4ZCHelper.h"

#include "framework/util/GZIP.h"
#include "framework/util/KRUUID.h"
#include "sdk/analytics/MCA4ZCClock.h"
#include "sdk/analytics/MCA4ZCShareDID.h"
#include "platform/foundation/NetworkInterface.h"
#include "platform/foundation/Reachability.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <ifaddrs.h>
#include <net/if.h>

namespace {

std::mutex g_instanceMutex; // guards g_instance
std::shared_ptr<MCA4ZCHelper> g_instance;

// Local calendar day as year * 1000 + day of the year, so that the same day
// of another year counts as another day.
long localDay(std::uint32_t seconds)
{
    std::time_t t = seconds;
    std::tm parts{};
    localtime_r(&t, &parts);
    return static_cast<long>(parts.tm_year) * 1000 + parts.tm_yday;
}

// The address text read from the interface list, kept for the events made
// in a burst: reading the list costs several kernel round trips per event.
// Any change of the kernel's links or addresses (which is how the interface
// behind "en0" or its address can change) drops it, and it is read again at
// least once a second in any case.
struct MacAddressCache {
    static constexpr std::chrono::milliseconds kLongest{1000};
    std::mutex mutex; // guards the fields below
    bool watching = false;
    bool valid = false;
    std::uint64_t generation = 0;
    std::string chosen; // ZMR_NET_INTERFACE when read
    std::chrono::steady_clock::time_point readAt;
    std::string text;
    std::atomic<std::uint64_t> changes{0}; // bumped by every change notice
};

MacAddressCache& macAddressCache()
{
    static auto* cache = new MacAddressCache; // outlives the notices of exiting threads
    return *cache;
}

}

std::shared_ptr<MCA4ZCHelper> MCA4ZCHelper::getInstance()
{
    {
        std::lock_guard lock(g_instanceMutex);
        if (g_instance)
            return g_instance;
    }
    // The identifier store reads pasteboards and defaults: done outside the lock.
    auto helper = std::make_shared<MCA4ZCHelper>(MCA4ZCEnv::read(MCA4ZCShareDID::value()));
    std::lock_guard lock(g_instanceMutex);
    if (!g_instance)
        g_instance = helper;
    return g_instance;
}

void MCA4ZCHelper::resetInstance()
{
    std::lock_guard lock(g_instanceMutex);
    g_instance.reset();
}

MCA4ZCHelper::MCA4ZCHelper(MCA4ZCEnv env) : m_env(std::move(env)) {}

void MCA4ZCHelper::setUserStore(std::weak_ptr<MCA4ZCUserStore> store)
{
    std::lock_guard lock(m_mutex);
    m_store = std::move(store);
}

std::shared_ptr<MCA4ZCUser> MCA4ZCHelper::getUser()
{
    std::shared_ptr<MCA4ZCUserStore> store;
    std::shared_ptr<MCA4ZCUser> user;
    {
        std::lock_guard lock(m_mutex);
        store = m_store.lock();
        user = m_user;
    }
    if (!user) {
        if (!store)
            return nullptr;
        user = store->loadUser();
        if (!user)
            return nullptr;
        std::lock_guard lock(m_mutex);
        m_user = user;
    }
    std::uint32_t now = MCA4ZCClock::now();
    std::int32_t reference = user->userType;
    if (now > user->tagTime && localDay(now) != localDay(user->tagTime)) {
        user->userType |= 2;
        reference = 1;
    }
    if (user->appVer != m_env.app_version) {
        user->userType = reference | 2;
        user->appVer = m_env.app_version;
    }
    if (user->userType != reference) {
        user->tagTime = now;
        if (store)
            store->storeUser(*user);
    }
    return user;
}

std::string MCA4ZCHelper::getMacAddress()
{
    MacAddressCache& cache = macAddressCache();
    const char* variable = std::getenv("ZMR_NET_INTERFACE");
    std::string chosen = variable ? variable : "";
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(cache.mutex);
        if (!cache.watching) {
            cache.watching = true;
            pf::addReachabilityObserver([&cache] { ++cache.changes; });
        }
        generation = cache.changes.load();
        if (cache.valid && cache.generation == generation && cache.chosen == chosen &&
            std::chrono::steady_clock::now() - cache.readAt < MacAddressCache::kLongest)
            return cache.text;
    }
    std::string text = readMacAddress();
    std::lock_guard lock(cache.mutex);
    // A change noticed while reading leaves the reading unkept.
    cache.valid = cache.changes.load() == generation;
    cache.generation = generation;
    cache.chosen = chosen;
    cache.readAt = std::chrono::steady_clock::now();
    cache.text = text;
    return text;
}

std::string MCA4ZCHelper::readMacAddress()
{
    // "en0" is the phone's wireless interface; the platform maps it to one
    // real interface here.
    auto name = pf::systemInterfaceName("en0");
    if (!name || if_nametoindex(name->c_str()) == 0)
        return "if_nametoindex failure";
    auto hex = MACAddress();
    if (!hex || hex->size() != 12)
        return "sysctl msgBuffer failure";
    std::string text;
    for (std::size_t i = 0; i < 12; i += 2) {
        if (i)
            text += ':';
        text += hex->substr(i, 2);
    }
    return text;
}

void MCA4ZCHelper::ChiperRC4(pf::Bytes& data) { ChiperRC4(data, kRC4Key); }

void MCA4ZCHelper::ChiperRC4(pf::Bytes& data, const std::string& key)
{
    if (key.empty())
        return;
    std::uint8_t state[256];
    for (int i = 0; i < 256; ++i)
        state[i] = static_cast<std::uint8_t>(i);
    std::uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
        j = static_cast<std::uint8_t>(j + state[i] + static_cast<std::uint8_t>(key[i % key.size()]));
        std::swap(state[i], state[j]);
    }
    std::uint8_t x = 0, y = 0;
    for (std::uint8_t& byte : data) {
        x = static_cast<std::uint8_t>(x + 1);
        y = static_cast<std::uint8_t>(y + state[x]);
        std::swap(state[x], state[y]);
        byte ^= state[static_cast<std::uint8_t>(state[x] + state[y])];
    }
}

int MCA4ZCHelper::GZip(const pf::Bytes& in, pf::Bytes* out)
{
    if (in.empty() || !out)
        return -1;
    auto packed = GZIPEncode(in);
    if (!packed)
        return -1;
    *out = std::move(*packed);
    return 0;
}

int MCA4ZCHelper::GUnzip(const pf::Bytes& in, pf::Bytes* out, std::size_t maxOutput)
{
    if (in.empty() || !out)
        return -1;
    auto plain = GZIPDecode(in, maxOutput);
    if (!plain)
        return -1;
    *out = std::move(*plain);
    return 0;
}

bool MCA4ZCHelper::isWiFiAvailable()
{
    auto name = pf::systemInterfaceName("en0");
    if (!name)
        return false;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return false;
    bool available = false;
    for (ifaddrs* entry = list; entry && !available; entry = entry->ifa_next) {
        available = entry->ifa_addr && entry->ifa_addr->sa_family == AF_INET && *name == entry->ifa_name
            && (entry->ifa_flags & IFF_UP) && !(entry->ifa_flags & IFF_LOOPBACK);
    }
    freeifaddrs(list);
    return available;
}
