#pragma once

// A fresh "process" per test: its own home and device folders, defaults,
// clock, network provider and collector state.

#include "tests/sdk/analytics/AnalyticsQueues.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Reachability.h"
#include "platform/foundation/UserDefaults.h"
#include "sdk/analytics/MCA4ZC.h"
#include "sdk/analytics/MCA4ZCClock.h"
#include "sdk/analytics/MCA4ZCConfig.h"
#include "sdk/analytics/MCA4ZCDispatcher.h"
#include "sdk/analytics/MCA4ZCStore.h"
#include "tools/analyticsserver/AnalyticsServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

namespace analytics_test {

inline std::atomic<std::uint32_t> g_now{1700000000};
inline std::atomic<std::uint32_t> g_flags{pf::kReachabilityReachable};

class CollectorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zmr-analytics-XXXXXX";
        m_root = mkdtemp(pattern);
        pf::setHomeDirectory(m_root + "/home");
        pf::createDirectories(m_root + "/home");
        setenv("ZMR_DEVICE_DIR", (m_root + "/device").c_str(), 1);
        setenv("TZ", "CST-8", 1);
        tzset();
        pf::UserDefaults::resetStandard();
        MCA4ZC::resetProcessState();
        g_now = 1700000000;
        g_flags = pf::kReachabilityReachable;
        MCA4ZCClock::setSource([] { return g_now.load(); });
        pf::setReachabilityProvider([] { return g_flags.load(); });
    }
    void TearDown() override
    {
        MCA4ZC::resetProcessState();
        MCA4ZCClock::setSource({});
        pf::setReachabilityProvider({});
        MCA4ZCDispatcher::getInstance()->setBaseURL({});
        pf::UserDefaults::resetStandard();
        std::filesystem::remove_all(m_root);
    }
    // A restart of the application: defaults re-read, collector state gone.
    void restart()
    {
        MCA4ZC::resetProcessState();
        pf::UserDefaults::resetStandard();
    }
    // A restart after a reinstall: nothing stored is left.
    void freshStart()
    {
        restart();
        std::filesystem::remove(pf::documentsDirectory() + "/" + MCA4ZCStore::kFileName);
    }
    static void post(const char* name) { pf::NotificationCenter::defaultCenter().post(name); }
    std::string m_root;
};

// The collector uploading to a loopback collection server that logs what it accepts.
class ServedTest : public CollectorTest {
protected:
    void SetUp() override
    {
        CollectorTest::SetUp();
        m_log = m_root + "/collector.log";
        m_server = std::make_unique<zmr::AnalyticsServer>(m_log);
        ASSERT_TRUE(m_server->start(0));
        MCA4ZCDispatcher::getInstance()->setBaseURL(m_server->baseURL());
    }
    void TearDown() override
    {
        CollectorTest::TearDown();
        m_server->stop();
    }
    std::string m_log;
    std::unique_ptr<zmr::AnalyticsServer> m_server;
};

}
