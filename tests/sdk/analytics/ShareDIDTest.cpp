#include "AnalyticsTestSupport.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/Pasteboard.h"
#include "sdk/analytics/MCA4ZCReachability.h"
#include "sdk/analytics/MCA4ZCShareDID.h"

using namespace analytics_test;

namespace {

// Switches to another application's defaults file (the boards stay the device's).
void useHome(const std::string& home)
{
    pf::setHomeDirectory(home);
    pf::UserDefaults::resetStandard();
    MCA4ZCShareDID::clearCache();
}

void writeSlot(int slot, const pf::Value& record)
{
    auto board = pf::Pasteboard::withName(MCA4ZCShareDID::slotName(slot), true);
    if (record.isDictionary())
        MCA4ZCShareDID::setDictForPasteboard(*record.dictionary(), *board);
    else
        board->setData(pf::Bytes{'j', 'u', 'n', 'k'}, MCA4ZCShareDID::kSlotPrefix);
}

std::string id(char c) { return std::string(40, c); }

}

using ShareDIDTest = CollectorTest;

TEST_F(ShareDIDTest, FirstUseMakesAnIdentifierAndClaimsOneSlot)
{
    MCA4ZCShareDIDResult first = MCA4ZCShareDID::valueWithError();
    EXPECT_TRUE(MCA4ZCShareDID::isValidShareDID(first.value));
    EXPECT_EQ(first.code, 0);
    auto slot = MCA4ZCShareDID::getDictFromPasteboard(*pf::Pasteboard::withName(MCA4ZCShareDID::slotName(0), false));
    EXPECT_EQ(slot->string("ShareDID"), first.value);
    EXPECT_EQ(slot->string("ShareDID_slot"), MCA4ZCShareDID::slotName(0));
    EXPECT_TRUE(pf::Pasteboard::withName(MCA4ZCShareDID::slotName(0), false)->isPersistent());

    // A restart answers the same identifier and claims no second slot.
    restart();
    EXPECT_EQ(MCA4ZCShareDID::value(), first.value);
    EXPECT_FALSE(pf::Pasteboard::withName(MCA4ZCShareDID::slotName(1), false));

    // A second application adopts it and takes the next slot.
    useHome(m_root + "/other");
    EXPECT_EQ(MCA4ZCShareDID::value(), first.value);
    useHome(m_root + "/home");
    EXPECT_TRUE(pf::Pasteboard::withName(MCA4ZCShareDID::slotName(1), false));
}

TEST_F(ShareDIDTest, TheMajorityWinsAndHostileSlotsDoNotCount)
{
    auto record = [](const std::string& shareDID) {
        return pf::Value(pf::Dictionary::create({{"ShareDID", shareDID}, {"ShareDID_appUID", "someone"}}));
    };
    writeSlot(0, record(id('a')));
    writeSlot(1, record(id('b')));
    writeSlot(2, record(id('b')));
    writeSlot(3, record(id('F')));
    for (int slot : {4, 5, 6})
        writeSlot(slot, record(id('c')));
    writeSlot(7, pf::Value("junk"));
    writeSlot(8, pf::Value(pf::Array::create({id('d')})));
    writeSlot(9, pf::Value(pf::Dictionary::create({{"ShareDID", 7}})));
    writeSlot(10, record(id('d') + "0"));
    pf::Pasteboard::withName(MCA4ZCShareDID::slotName(11), true)->setData(pf::Bytes(70 * 1024, 'x'), MCA4ZCShareDID::kSlotPrefix);
    EXPECT_EQ(MCA4ZCShareDID::value(), id('c'));
    // The first unusable slot was claimed.
    EXPECT_EQ(MCA4ZCShareDID::getDictFromPasteboard(*pf::Pasteboard::withName(MCA4ZCShareDID::slotName(3), false))
                  ->string("ShareDID"),
              id('c'));

    // A stored identifier stays, and a disagreeing majority is reported.
    restart();
    for (int slot = 12; slot < 17; ++slot)
        writeSlot(slot, record(id('d')));
    MCA4ZCShareDIDResult result = MCA4ZCShareDID::valueWithError();
    EXPECT_EQ(result.value, id('c'));
    EXPECT_EQ(result.code, 2);
}

TEST_F(ShareDIDTest, OptingOutAnswersZeros)
{
    std::string value = MCA4ZCShareDID::value();
    MCA4ZCShareDID::setOptOut(true);
    MCA4ZCShareDIDResult out = MCA4ZCShareDID::valueWithError();
    // This app's own slot has no opt-out date, so it is no longer treated as opted out.
    EXPECT_EQ(out.value, value);
    pf::Pasteboard::removePasteboardWithName(MCA4ZCShareDID::slotName(0));
    MCA4ZCShareDID::clearCache();
    out = MCA4ZCShareDID::valueWithError();
    EXPECT_EQ(out.value, id('0'));
    EXPECT_EQ(out.code, 1);
    MCA4ZCShareDID::setOptOut(false);
    EXPECT_EQ(MCA4ZCShareDID::value(), value);
}

TEST(KeyedArchiverTest, RoundTripsAndRefusesWhatWasNotAsked)
{
    auto root = pf::Value(pf::Dictionary::create(
        {{"s", "text"}, {"n", -5}, {"u", pf::Value::unsignedNumber(1ULL << 63)}, {"d", 2.5}, {"b", true},
         {"t", pf::Value(pf::Date{1234.5})}, {"z", pf::Value::null()}, {"a", pf::Value(pf::Array::create({1, "x"}))}}));
    auto data = pf::KeyedArchiver::archivedDataWithRootObject(root);
    ASSERT_TRUE(data);
    std::set<std::string> all{"Dictionary", "Array", "String", "Number", "Date", "Null"};
    EXPECT_EQ(pf::KeyedUnarchiver::unarchiveObjectWithData(*data, all), root);
    EXPECT_FALSE(pf::KeyedUnarchiver::unarchiveObjectWithData(*data, {"Dictionary", "String", "Number"}));
    EXPECT_FALSE(pf::KeyedUnarchiver::unarchiveObjectWithData(*data, all, data->size() - 1));
    pf::Value deep = pf::Value::null();
    for (int i = 0; i < 100; ++i)
        deep = pf::Value(pf::Array::create({deep}));
    EXPECT_FALSE(pf::KeyedArchiver::archivedDataWithRootObject(deep));
}

using ReachabilityTest = CollectorTest;

TEST_F(ReachabilityTest, AnswersFollowTheFlags)
{
    constexpr std::uint32_t reachable = pf::kReachabilityReachable, wwan = pf::kReachabilityIsWWAN;
    constexpr std::uint32_t required = pf::kReachabilityConnectionRequired;
    struct Row {
        std::uint32_t flags;
        bool onWWAN;
        bool reachable, viaWWAN, viaWiFi;
        int status;
    } rows[] = {
        {reachable | wwan, false, false, true, false, 0},
        {reachable | wwan, true, true, true, false, 1},
        {reachable | pf::kReachabilityTransientConnection | required, true, false, false, true, 0},
        {reachable | required, true, true, false, true, 2},
        {reachable, true, true, false, true, 2},
        {pf::kReachabilityConnectionOnDemand | pf::kReachabilityInterventionRequired | pf::kReachabilityConnectionOnTraffic,
         true, false, false, false, 0},
    };
    std::atomic<std::uint32_t> current{0};
    pf::setReachabilityTargetProvider([&](const pf::ReachabilityTarget&) { return current.load(); });
    for (const auto& row : rows) {
        SCOPED_TRACE(row.flags);
        current = row.flags;
        auto watcher = MCA4ZCReachability::reachabilityForInternetConnection();
        watcher->setReachableOnWWAN(row.onWWAN);
        EXPECT_EQ(watcher->isReachable(), row.reachable);
        EXPECT_EQ(watcher->isReachableViaWWAN(), row.viaWWAN);
        EXPECT_EQ(watcher->isReachableViaWiFi(), row.viaWiFi);
        EXPECT_EQ(watcher->currentReachabilityStatus(), row.status);
    }

    // A change reaches the blocks of a notifying watcher.
    auto watcher = MCA4ZCReachability::reachabilityForInternetConnection();
    std::atomic<int> up{0}, down{0};
    watcher->setReachableBlock([&](MCA4ZCReachability&) { ++up; });
    watcher->setUnreachableBlock([&](MCA4ZCReachability&) { ++down; });
    ASSERT_TRUE(watcher->startNotifier());
    current = 0;
    pf::reachabilityChanged();
    current = pf::kReachabilityReachable;
    pf::reachabilityChanged();
    waitFor([&] { return up >= 1 && down >= 1; }, false);
    watcher->stopNotifier();
    EXPECT_EQ(down.load(), 1);
    EXPECT_EQ(up.load(), 1);
    pf::setReachabilityTargetProvider({});
}
