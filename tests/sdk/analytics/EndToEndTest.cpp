#include "AnalyticsTestSupport.h"

#include "platform/foundation/ApplicationNotifications.h"
#include "platform/foundation/Collections.h"
#include "sdk/analytics/MCA4ZCEvent.h"
#include "sdk/analytics/MCA4ZCHelper.h"
#include "sdk/analytics/TXJSONDecoder.h"

#include <fstream>

using namespace analytics_test;
using Kind = zmr::AnalyticsServer::AnswerKind;

namespace {

class EndToEndTest : public ServedTest {
protected:
    std::vector<pf::DictionaryRef> logged() const
    {
        std::vector<pf::DictionaryRef> out;
        std::ifstream in(m_log);
        for (std::string line; std::getline(in, line);)
            out.push_back(objectFromJSONString(line).dictionary());
        return out;
    }
};

}

TEST_F(EndToEndTest, TwoSessionsArriveOnceEachInOrder)
{
    MCA4ZC::start4ZZConnect("100");
    MCA4ZC::trackCustomEvent("first", pf::Array::create({"a"}));
    post(pf::ApplicationWillResignActiveNotification);
    post(pf::ApplicationDidEnterBackgroundNotification);
    g_now += 30;
    post(pf::ApplicationWillEnterForegroundNotification);
    post(pf::ApplicationDidBecomeActiveNotification);
    MCA4ZC::trackCustomEvent("second", nullptr);
    ASSERT_TRUE(waitFor([&] { return m_server->events().size() == 4; })) << m_server->errors().size();
    std::vector<std::pair<long long, std::string>> seen;
    for (const auto& event : logged()) {
        ASSERT_TRUE(event);
        seen.emplace_back(event->get("et").longLongValue(), event->string("ei").value_or(""));
    }
    EXPECT_EQ(seen, (std::vector<std::pair<long long, std::string>>{{2, ""}, {1000, "first"}, {2, ""}, {1000, "second"}}));
    auto events = logged();
    EXPECT_NE(events[0]->get("si"), events[2]->get("si"));
    EXPECT_EQ(events[0]->get("si"), events[1]->get("si"));
    EXPECT_EQ(events[2]->get("si"), events[3]->get("si"));
    EXPECT_EQ(events[0]->string("ky"), "ZZC100");
    EXPECT_TRUE(m_server->errors().empty());
}

TEST_F(EndToEndTest, RepliesSwitchStrategyAndHibernationStopsSending)
{
    m_server->script({Kind::Config, "{\"cfg\":{\"1\":{\"c\":{\"rs\":2},\"v\":1,\"m\":\"m\"}}}"});
    MCA4ZC::startWithAppkey("key");
    ASSERT_TRUE(waitFor([&] { return MCA4ZCConfig::getInstance().reportStrategy == 2; }));

    MCA4ZCConfig::getInstance().reportStrategy = 1;
    m_server->script({Kind::ConfigEnciphered, "{\"cfg\":{\"1\":{\"c\":{\"__HIBERNATE__\":\"0.5.5\"},\"v\":2,\"m\":\"m\"}}}"});
    MCA4ZC::trackCustomEvent("last", nullptr);
    ASSERT_TRUE(waitFor([&] { return !MCA4ZCConfig::getInstance().statEnable; }));
    std::size_t requests = m_server->requestCount();
    MCA4ZC::trackCustomEvent("silenced", nullptr);
    drain();
    EXPECT_EQ(m_server->requestCount(), requests);
    // The stored hibernation outlives a restart of the collector.
    restart();
    EXPECT_TRUE(MCA4ZCConfig::getInstance().statEnable.load());
    MCA4ZC::startWithAppkey("key");
    drain();
    EXPECT_FALSE(MCA4ZCConfig::getInstance().statEnable.load());
}

TEST_F(EndToEndTest, FailedSendsAreKeptAndRetried)
{
    m_server->script({Kind::Status500, {}});
    m_server->script({Kind::Drop, {}});
    MCA4ZC::startWithAppkey("key");
    MCA4ZC::trackCustomEvent("kept", nullptr);
    drain();
    EXPECT_EQ(MCA4ZCStore::getInstance()->allEvents().size(), 2u);
    MCA4ZC::trackCustomEvent("carrier", nullptr);
    ASSERT_TRUE(waitFor([&] { return m_server->events().size() == 3; }));
    EXPECT_EQ(MCA4ZCStore::getInstance()->allEvents().size(), 0u);
}

TEST_F(EndToEndTest, ASessionEventMadeOnTheStoreQueueDoesNotWaitForItself)
{
    MCA4ZC::startWithAppkey("key");
    drain();
    MCA4ZCHelper::resetInstance();
    MCA4ZCHelper::getInstance()->setUserStore(MCA4ZCStore::getInstance());
    std::atomic<bool> done{false};
    MCA4ZCStore::getInstance()->getTaskQueue()->async([&] {
        MCA4ZCSessionEnv().toJsonString();
        done = true;
    });
    ASSERT_TRUE(waitFor([&] { return done.load(); }, false));
}
