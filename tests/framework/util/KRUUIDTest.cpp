#include "framework/util/KRUUID.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/NetworkInterface.h"
#include "platform/foundation/Reachability.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <net/if.h>

namespace {

class KRUUIDTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zmr-uuid-XXXXXX";
        m_home = mkdtemp(pattern);
        pf::setHomeDirectory(m_home);
        pf::UserDefaults::resetStandard();
        pf::DeviceProfile::setCurrent(pf::DeviceProfile{});
    }
    void TearDown() override
    {
        pf::UserDefaults::resetStandard();
        pf::DeviceProfile::setCurrent(pf::DeviceProfile{});
        pf::setReachabilityProvider(nullptr);
        std::filesystem::remove_all(m_home);
    }
    std::string m_home;
};

bool isUpperHex32(const std::string& s)
{
    return s.size() == 32 && s.find_first_not_of("0123456789ABCDEF") == std::string::npos;
}

}

TEST_F(KRUUIDTest, IdentifierIsKeptAcrossLaunchesUntilItsKeyIsDeleted)
{
    std::string first = krUniqueIdentifier();
    EXPECT_TRUE(isUpperHex32(first)) << first;
    EXPECT_EQ(krUniqueIdentifier(), first);
    pf::UserDefaults::resetStandard(); // a new launch reads the saved file
    EXPECT_EQ(krUniqueIdentifier(), first);
    pf::UserDefaults::standard().removeObjectForKey("krUniqueIdentifier");
    std::string second = krUniqueIdentifier();
    EXPECT_TRUE(isUpperHex32(second));
    EXPECT_NE(second, first);
}

TEST_F(KRUUIDTest, VendorIdentifierIsUsedWithoutTouchingTheDefaults)
{
    pf::DeviceProfile device;
    device.vendorIdentifier = "6F9619FF-8B86-D011-B42D-00C04FC964FF";
    pf::DeviceProfile::setCurrent(device);
    pf::UserDefaults::standard().setObject("stored", "krUniqueIdentifier");
    std::string id = krUniqueIdentifier();
    EXPECT_TRUE(isUpperHex32(id));
    EXPECT_EQ(id, krUniqueIdentifier());
    EXPECT_EQ(pf::UserDefaults::standard().stringForKey("krUniqueIdentifier"), "stored");
}

TEST_F(KRUUIDTest, NetworkAnswersComeFromTheEarlierRefresh)
{
    std::atomic<int> reads{0};
    pf::setReachabilityProvider([&] {
        ++reads;
        return std::uint32_t(pf::kReachabilityReachable | pf::kReachabilityIsWWAN);
    });
    isNetworkAvailable(); // starts a refresh, whatever it answers
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return reads.load() >= 1; }, pf::Seconds(60)));
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return isNetworkAvailable(); }, pf::Seconds(60)));
    EXPECT_TRUE(isActiveWWAN());

    pf::setReachabilityProvider([] { return std::uint32_t(pf::kReachabilityReachable | pf::kReachabilityConnectionRequired); });
    EXPECT_TRUE(pf::RunLoop::main().runUntil([&] { return !isNetworkAvailable(); }, pf::Seconds(60)));
    EXPECT_FALSE(isActiveWWAN());
    // The Wi-Fi answer depends on the interface alone.
    EXPECT_EQ(isActiveWLAN(), WIFIAddress().has_value());
}

TEST(NetworkInterfaceTest, En0NamesOneInterfaceForAllThreeAnswers)
{
    using I = pf::NetworkInterfaceInfo;
    std::vector<I> wiredFirst = {{"lo", true, true, false}, {"eth0", true, false, false}, {"wlan0", true, false, true}};
    std::vector<I> wirelessDown = {{"wlan0", false, false, true}, {"eth1", true, false, false}};
    std::vector<I> onlyLoopback = {{"lo", true, true, false}, {"eth0", false, false, false}};
    struct Row {
        std::vector<I> interfaces;
        const char* chosen;
        std::optional<std::string> expected;
    } rows[] = {
        {wiredFirst, nullptr, "wlan0"}, {wiredFirst, "", "wlan0"},       {wiredFirst, "eth0", "eth0"},
        {wirelessDown, nullptr, "eth1"}, {onlyLoopback, nullptr, std::nullopt}, {{}, "x0", "x0"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(pf::interfaceForEn0(row.interfaces, row.chosen), row.expected) << (row.chosen ? row.chosen : "-");

    // Through the environment: the loopback's hardware address, and no
    // wireless address on a loopback or a missing interface.
    ::setenv("ZMR_NET_INTERFACE", "lo", 1);
    EXPECT_EQ(MACAddress(), "000000000000");
    EXPECT_FALSE(WIFIAddress());
    ::setenv("ZMR_NET_INTERFACE", "zmr-missing0", 1);
    EXPECT_FALSE(MACAddress());
    EXPECT_FALSE(isActiveWLAN());
    ::unsetenv("ZMR_NET_INTERFACE");
}
