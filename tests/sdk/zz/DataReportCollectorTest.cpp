// The analytics collector as the SDK starts it, uploading to a loopback
// analytics server named by the SDK's server table.

#include "platform/foundation/Collections.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Reachability.h"
#include "platform/foundation/UserDefaults.h"
#include "sdk/analytics/MCA4ZC.h"
#include "sdk/analytics/MCA4ZCDispatcher.h"
#include "sdk/analytics/MCA4ZCStore.h"
#include "sdk/analytics/TXJSONDecoder.h"
#include "sdk/zz/CVDataReport.h"
#include "sdk/zz/CVOSDKServers.h"
#include "tools/analyticsserver/AnalyticsServer.h"
#include "tests/sdk/analytics/AnalyticsQueues.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <thread>

namespace {

using analytics_test::drain;
using analytics_test::waitFor;

class DataReportCollector : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zz-collector-XXXXXX";
        m_root = mkdtemp(pattern);
        pf::setHomeDirectory(m_root + "/home");
        pf::createDirectories(m_root + "/home");
        if (const char* device = std::getenv("ZMR_DEVICE_DIR"))
            m_oldDeviceDir = device;
        setenv("ZMR_DEVICE_DIR", (m_root + "/device").c_str(), 1);
        pf::UserDefaults::resetStandard();
        MCA4ZC::resetProcessState();
        pf::setReachabilityProvider([] { return std::uint32_t(pf::kReachabilityReachable); });
        CVOSDKServers::reset();
        CVDataReport::setCollector(CVDataReport::defaultCollector());
        ASSERT_TRUE(m_server.start(0));
    }
    void TearDown() override
    {
        MCA4ZC::resetProcessState();
        MCA4ZCDispatcher::getInstance()->setBaseURL({});
        m_server.stop();
        CVOSDKServers::reset();
        pf::setReachabilityProvider({});
        if (m_oldDeviceDir)
            setenv("ZMR_DEVICE_DIR", m_oldDeviceDir->c_str(), 1);
        else
            unsetenv("ZMR_DEVICE_DIR");
        pf::UserDefaults::resetStandard();
        std::filesystem::remove_all(m_root);
    }
    static void track(const std::string& eventId)
    {
        CVDataReport::js_trackCustomKVEvent(eventId, pf::Dictionary::create({ { "k", "v" } }));
    }

    std::string m_root;
    std::optional<std::string> m_oldDeviceDir;
    zmr::AnalyticsServer m_server;
};

}

TEST_F(DataReportCollector, EventsWaitForTheAnalyticsOriginThenReachItsServer)
{
    // The table's placeholder origin: nothing is sent and no try is counted,
    // however often the store tries.
    CVDataReport::start4ZZConnect("100");
    track("waiting");
    drain();
    auto store = MCA4ZCStore::getInstance();
    for (int attempt = 0; attempt < 4; ++attempt) {
        store->sendCachedEvents(-1);
        drain();
    }
    auto rows = store->allEvents();
    ASSERT_EQ(rows.size(), 2u); // the session event and the custom event
    for (const auto& row : rows) {
        EXPECT_EQ(row.sendCount, 0u);
        EXPECT_EQ(row.status, 1u);
    }
    EXPECT_EQ(m_server.requestCount(), 0u);

    // What --zz-analytics does before the SDK starts the collector again.
    ASSERT_TRUE(CVOSDKServers::setAnalyticsOrigin(m_server.baseURL()));
    CVDataReport::start4ZZConnect("100");
    track("arrives");
    ASSERT_TRUE(waitFor([&] { return m_server.events().size() == 3 && store->allEvents().empty(); }))
        << m_server.events().size() << " events, " << m_server.errors().size() << " errors";
    std::multiset<std::string> ids;
    for (const auto& text : m_server.events()) {
        auto event = objectFromJSONString(text).dictionary();
        ASSERT_TRUE(event);
        EXPECT_EQ(event->string("ky"), "ZZC100");
        ids.insert(event->string("ei").value_or("(session)"));
    }
    EXPECT_EQ(ids, (std::multiset<std::string> { "(session)", "waiting", "arrives" }));
    EXPECT_TRUE(m_server.errors().empty());
}
