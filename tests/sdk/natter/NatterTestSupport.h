#pragma once

// A device folder of its own for each test, and a stand-in Natter app that
// listens in this process for the URLs that wake it.

#include "platform/foundation/AppRegistry.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URLInbox.h"
#include "sdk/natter/NTApi.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace natter::test {

inline const char* kAppID = "nt6f2c91d04ab37e58";

class NatterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zmr-natter-XXXXXX";
        m_root = mkdtemp(pattern);
        setenv("ZMR_DEVICE_DIR", (m_root + "/device").c_str(), 1);
        m_profile = pf::DeviceProfile::current();
        NTApi::resetForTesting();
        natterURLs.clear();
    }
    void TearDown() override
    {
        m_inbox.reset();
        pf::RunLoop::main().runUntilIdle();
        pf::DeviceProfile::setCurrent(m_profile);
        NTApi::resetForTesting();
        unsetenv("ZMR_DEVICE_DIR");
        std::filesystem::remove_all(m_root);
    }
    // A Natter app answering "natapp" (and "natter" unless `noApi`).
    void installNatter(bool noApi = false)
    {
        pf::InstalledApp natter{"example.natter.app", {"natapp"}, {"/bin/true"}};
        if (!noApi)
            natter.urlSchemes.push_back("natter");
        ASSERT_FALSE(pf::AppRegistry::registerApp(natter));
        auto inbox = pf::URLInbox::open(natter, [this](const pf::IncomingURL& in) { natterURLs.push_back(in.url.absoluteString()); });
        ASSERT_TRUE(inbox);
        m_inbox = std::move(*inbox);
    }
    bool waitFor(const std::function<bool()>& condition)
    {
        return pf::RunLoop::main().runUntil(condition, pf::Seconds(10));
    }
    const std::string& root() const { return m_root; }

    std::vector<std::string> natterURLs;

private:
    std::string m_root;
    pf::DeviceProfile m_profile;
    std::unique_ptr<pf::URLInbox> m_inbox;
};

}
