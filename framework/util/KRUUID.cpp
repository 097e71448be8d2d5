#include "framework/util/KRUUID.h"

#include "framework/util/KRMD5String.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NetworkInterface.h"
#include "platform/foundation/Reachability.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Value.h"

#include <arpa/inet.h>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <ifaddrs.h>
#include <net/if.h>
#include <netpacket/packet.h>
#include <openssl/rand.h>
#include <random>

namespace {

// The phone's wireless interface; the platform maps the name to a real one.
constexpr const char* kInterface = "en0";

std::atomic<std::uint32_t> g_flags{0};

std::string randomUUIDString()
{
    unsigned char bytes[16];
    if (RAND_bytes(bytes, sizeof bytes) != 1) {
        // The generator failed to seed: fall back to the C++ one rather than
        // hand every such device the same identifier.
        std::random_device device;
        for (unsigned char& b : bytes)
            b = static_cast<unsigned char>(device());
    }
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80); // variant 1
    char text[37];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", bytes[0],
                  bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8], bytes[9], bytes[10],
                  bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
    return text;
}

}

std::string krUniqueIdentifier()
{
    if (const auto& vendor = pf::DeviceProfile::current().vendorIdentifier)
        return krMD5String(std::string_view(*vendor));
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    if (auto stored = defaults.stringForKey("krUniqueIdentifier"))
        return *stored;
    std::string uuid = randomUUIDString();
    // The digest covers the text with its terminating zero byte, as stored
    // identifiers of earlier installations were made that way.
    pf::Bytes bytes(uuid.begin(), uuid.end());
    bytes.push_back(0);
    std::string identifier = krMD5String(bytes);
    defaults.setObject(identifier, "krUniqueIdentifier");
    defaults.synchronize();
    return identifier;
}

std::optional<std::string> MACAddress()
{
    std::optional<std::string> interface = pf::systemInterfaceName(kInterface);
    if (!interface || if_nametoindex(interface->c_str()) == 0) {
        pf::log("Error: if_nametoindex error");
        return std::nullopt;
    }
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        pf::log("Error: sysctl, take 1");
        return std::nullopt;
    }
    std::optional<std::string> result;
    for (ifaddrs* entry = list; entry && !result; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_PACKET || std::string(entry->ifa_name) != *interface)
            continue;
        auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
        if (link->sll_halen < 6)
            continue;
        char text[13];
        std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X", link->sll_addr[0], link->sll_addr[1],
                      link->sll_addr[2], link->sll_addr[3], link->sll_addr[4], link->sll_addr[5]);
        result = text;
    }
    freeifaddrs(list);
    if (!result)
        pf::log("Error: sysctl, take 2");
    return result;
}

std::optional<std::string> WIFIAddress()
{
    std::optional<std::string> interface = pf::systemInterfaceName(kInterface);
    if (!interface)
        return std::nullopt;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return std::nullopt;
    std::optional<std::string> result;
    for (ifaddrs* entry = list; entry && !result; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || (entry->ifa_flags & IFF_LOOPBACK))
            continue;
        if (std::string(entry->ifa_name) != *interface)
            continue;
        char text[INET_ADDRSTRLEN];
        auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof text))
            result = text;
    }
    freeifaddrs(list);
    return result;
}

void pingReachabilityInternal()
{
    // One queue for the process, as the platform's global queue was; never torn down.
    static auto* queue = new pf::DispatchQueueRef(pf::DispatchQueue::create("krReachability"));
    (*queue)->async([] { g_flags.store(pf::currentReachabilityFlags()); });
}

bool isNetworkAvailable()
{
    pingReachabilityInternal();
    std::uint32_t flags = g_flags.load();
    return (flags & pf::kReachabilityReachable) && !(flags & pf::kReachabilityConnectionRequired);
}

bool isActiveWWAN() { return isNetworkAvailable() && (g_flags.load() & pf::kReachabilityIsWWAN); }

bool isActiveWLAN() { return WIFIAddress().has_value(); }
