#include "AnalyticsTestSupport.h"

#include "platform/foundation/ApplicationNotifications.h"
#include "platform/foundation/Collections.h"
#include "sdk/analytics/TXJSONDecoder.h"

using namespace analytics_test;

namespace {

class FacadeTest : public ServedTest {
protected:
    void SetUp() override
    {
        ServedTest::SetUp();
        storeOnly();
    }
    // Strategy 3 without smart reporting: every event stays in the store.
    static void storeOnly()
    {
        MCA4ZCConfig::getInstance().smartReporting = false;
        MCA4ZCConfig::getInstance().reportStrategy = 3;
    }
    static std::vector<pf::DictionaryRef> stored()
    {
        drain();
        std::vector<pf::DictionaryRef> out;
        for (const auto& row : MCA4ZCStore::getInstance()->allEvents())
            out.push_back(objectFromJSONString(row.content).dictionary());
        return out;
    }
    static std::vector<long long> types(const std::vector<pf::DictionaryRef>& events)
    {
        std::vector<long long> out;
        for (const auto& event : events)
            out.push_back(event->get("et").longLongValue());
        return out;
    }
};

}

TEST_F(FacadeTest, EventsOfASessionArriveInOrder)
{
    MCA4ZCConfig::getInstance().setZz("10001");
    MCA4ZC::trackCustomEvent("early", nullptr);
    auto events = stored();
    EXPECT_EQ(types(events), (std::vector<long long>{1001, 2, 1001, 1000}));
    EXPECT_EQ(events[0]->get("si").longLongValue(), 0);
    EXPECT_NE(events[1]->get("si").longLongValue(), 0);

    freshStart();
    storeOnly();
    MCA4ZCConfig::getInstance().setZz("10001");
    MCA4ZC::startWithAppkey("key");
    MCA4ZC::trackCustomEvent("later", pf::Array::create({"a"}));
    MCA4ZC::trackCustomKeyValueEvent("kv", pf::Dictionary::create({{"k", "v"}}));
    EXPECT_EQ(types(stored()), (std::vector<long long>{2, 1001, 1000, 1000}));
}

TEST_F(FacadeTest, SessionsEndAfterThirtySecondsAway)
{
    MCA4ZC::startWithAppkey("key");
    ASSERT_NE(MCA4ZC::currentSessionId(), 0u);
    struct Row {
        std::uint32_t away;
        const char* leave;
        const char* back;
        bool renewed;
    } rows[] = {
        {29, pf::ApplicationWillResignActiveNotification, pf::ApplicationDidBecomeActiveNotification, false},
        {30, pf::ApplicationWillResignActiveNotification, pf::ApplicationDidBecomeActiveNotification, true},
        {29, pf::ApplicationDidEnterBackgroundNotification, pf::ApplicationWillEnterForegroundNotification, false},
        {31, pf::ApplicationDidEnterBackgroundNotification, pf::ApplicationWillEnterForegroundNotification, true},
    };
    for (const auto& row : rows) {
        std::uint32_t before = MCA4ZC::currentSessionId();
        post(row.leave);
        g_now += row.away;
        post(row.back);
        EXPECT_EQ(MCA4ZC::currentSessionId() != before, row.renewed) << row.away << " " << row.leave;
    }
}

TEST_F(FacadeTest, LocalMidnightStartsANewSession)
{
    struct Row {
        const char* zone;
        std::uint32_t start, beforeMidnight, afterMidnight;
    } rows[] = {
        {"CST-8", 1699977590 - 3600, 1699977590, 1699977610},
        // The day clocks go forward has 23 hours.
        {"Europe/Berlin", 1711841400, 1711922390, 1711922430},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.zone);
        restart();
        storeOnly();
        setenv("TZ", row.zone, 1);
        tzset();
        g_now = row.start;
        MCA4ZC::startWithAppkey("key");
        std::uint32_t first = MCA4ZC::currentSessionId();
        g_now = row.beforeMidnight;
        MCA4ZC::trackCustomEvent("e", nullptr);
        EXPECT_EQ(MCA4ZC::currentSessionId(), first);
        g_now = row.afterMidnight;
        MCA4ZC::trackCustomEvent("e", nullptr);
        EXPECT_NE(MCA4ZC::currentSessionId(), first);
    }
}

TEST_F(FacadeTest, TimedEventsReportTheirDuration)
{
    MCA4ZCConfig::getInstance().maxParallelTimingEvents = 2;
    MCA4ZC::startWithAppkey("key");
    auto args = [](std::initializer_list<pf::Value> values) { return pf::Array::create(values); };
    MCA4ZC::trackCustomEventEnd("never", nullptr);
    MCA4ZC::trackCustomEventBegin("same", nullptr);
    MCA4ZC::trackCustomEventEnd("same", nullptr);
    MCA4ZC::trackCustomEventBegin("long", args({1}));
    g_now += 5;
    MCA4ZC::trackCustomEventBegin("long", args({1}));
    g_now += 2;
    MCA4ZC::trackCustomEventEnd("long", args({1}));
    MCA4ZC::trackCustomEventBegin("split", args({"ab"}));
    MCA4ZC::trackCustomEventEnd("split", args({"a", "b"}));
    MCA4ZC::trackCustomKeyValueEventBegin("kv", pf::Dictionary::create({{"k", "v"}}));
    MCA4ZC::trackCustomEventBegin("full", nullptr); // the third open timing
    g_now += 1;
    MCA4ZC::trackCustomEventEnd("full", nullptr);
    MCA4ZC::trackCustomKeyValueEventEnd("kv", pf::Dictionary::create({{"k", "v"}}));
    std::vector<std::pair<std::string, long long>> timed;
    for (const auto& event : stored())
        if (event->get("et").longLongValue() == 1000)
            timed.emplace_back(event->string("ei").value_or(""), event->get("du").longLongValue());
    EXPECT_EQ(timed, (std::vector<std::pair<std::string, long long>>{{"same", 1}, {"long", 7}, {"kv", 1}}));
}

TEST_F(FacadeTest, StrategiesStoreOrSendByNetwork)
{
    constexpr std::uint32_t wifi = pf::kReachabilityReachable;
    constexpr std::uint32_t wwan = pf::kReachabilityReachable | pf::kReachabilityIsWWAN;
    struct Row {
        int strategy;
        bool smart;
        std::uint32_t network;
        bool sent;
    } rows[] = {
        {1, false, wifi, true}, {1, false, wwan, true},  {1, false, 0, false},   {2, false, wifi, false},
        {3, false, wifi, false}, {3, true, wifi, true},  {3, true, wwan, false}, {4, false, wifi, true},
        {4, false, wwan, false}, {5, false, wifi, false}, {6, false, wifi, false}, {6, true, 0, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "strategy " << row.strategy << " smart " << row.smart << " flags "
                                        << row.network);
        freshStart();
        g_flags = row.network;
        std::size_t received = m_server->events().size();
        MCA4ZCConfig::getInstance().smartReporting = row.smart;
        MCA4ZCConfig::getInstance().reportStrategy = row.strategy;
        MCA4ZC::startWithAppkey("key");
        MCA4ZC::trackCustomEvent("e", nullptr);
        drain();
        EXPECT_EQ(MCA4ZCStore::getInstance()->allEvents().size(), row.sent ? 0u : 2u);
        EXPECT_EQ(m_server->events().size() - received, row.sent ? 2u : 0u);
    }
}

TEST_F(FacadeTest, BatchesAndPeriodsSendStoredEvents)
{
    MCA4ZCConfig::getInstance().reportStrategy = 2;
    MCA4ZCConfig::getInstance().minBatchReportCount = 3;
    MCA4ZC::startWithAppkey("key");
    MCA4ZC::trackCustomEvent("one", nullptr);
    drain();
    EXPECT_EQ(m_server->events().size(), 0u);
    MCA4ZC::trackCustomEvent("two", nullptr);
    ASSERT_TRUE(waitFor([&] { return m_server->events().size() == 3; }));

    restart();
    MCA4ZCConfig::getInstance().smartReporting = false;
    MCA4ZCConfig::getInstance().reportStrategy = 5;
    MCA4ZCConfig::getInstance().sendPeriodMinutes = 10;
    MCA4ZC::startWithAppkey("key");
    drain();
    g_now += 10 * 60 - 1;
    MCA4ZC::trackCustomEvent("inside", nullptr);
    drain();
    EXPECT_EQ(m_server->events().size(), 3u);
    g_now += 1;
    MCA4ZC::trackCustomEvent("after", nullptr);
    ASSERT_TRUE(waitFor([&] { return m_server->events().size() == 6; }));
    EXPECT_EQ(MCA4ZCStore::getInstance()->allEvents().size(), 0u);
}
