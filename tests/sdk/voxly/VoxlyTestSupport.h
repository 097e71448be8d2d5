#pragma once

// A device folder of its own for each test (boards and the installed-app
// registry), the SDK registered with the app's key, the system version of
// the test, an application delegate that hands incoming URLs to the SDK
// and records what the SDK delivers, and a stand-in Voxly app that
// listens in this process for the URLs that wake it.

#include "platform/foundation/AppRegistry.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/URLInbox.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "sdk/voxly/VXBaseRequest.h"
#include "sdk/voxly/VXBaseResponse.h"
#include "sdk/voxly/VoxlySDK.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace voxly::test {

inline const char* kAppKey = "2871042569";

class SdkRecorder final : public VoxlySDKDelegate {
public:
    void didReceiveVoxlyRequest(const std::shared_ptr<VXBaseRequest>& request) override { requests.push_back(request); }
    void didReceiveVoxlyResponse(const std::shared_ptr<VXBaseResponse>& response) override
    {
        responses.push_back(response);
        // Read while delivered: the board it comes from is removed afterwards.
        userInfos.push_back(response->userInfo());
    }
    std::vector<std::shared_ptr<VXBaseRequest>> requests;
    std::vector<std::shared_ptr<VXBaseResponse>> responses;
    std::vector<pf::DictionaryRef> userInfos;
};

class AppRecorder final : public pf::ApplicationDelegate {
public:
    bool applicationOpenURL(pf::Application&, const pf::URL& url, const std::string& source, const pf::Value&) override
    {
        urls.push_back(url.absoluteString() + " from " + source);
        return VoxlySDK::handleOpenURL(url, sdk);
    }
    std::shared_ptr<SdkRecorder> sdk = std::make_shared<SdkRecorder>();
    std::vector<std::string> urls;
};

class VoxlyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zmr-voxly-XXXXXX";
        m_root = mkdtemp(pattern);
        setenv("ZMR_DEVICE_DIR", (m_root + "/device").c_str(), 1);
        m_profile = pf::DeviceProfile::current();
        voxlyURLs.clear();
        VoxlySDK::resetForTesting();
        ASSERT_TRUE(VoxlySDK::registerApp(std::string(kAppKey)));
        app = std::make_shared<AppRecorder>();
        pf::Application::shared().setDelegate(app);
    }
    void TearDown() override
    {
        m_voxlyInbox.reset();
        pf::RunLoop::main().runUntilIdle();
        pf::Application::shared().setDelegate({});
        pf::DeviceProfile::setCurrent(m_profile);
        VoxlySDK::resetForTesting();
        VoxlySDK::setAuthorizeDialogFactory(nullptr);
        unsetenv("ZMR_DEVICE_DIR");
        std::filesystem::remove_all(m_root);
    }
    void setSystemVersion(const std::string& version)
    {
        auto profile = m_profile;
        profile.systemVersion = version;
        pf::DeviceProfile::setCurrent(profile);
    }
    // "2.1": a Voxly app answering both schemes; "1.0": only "mainvoxly".
    void installVoxly(const std::string& version)
    {
        pf::InstalledApp voxly{"example.voxly.app", {"mainvoxly"}, {"/bin/true"}};
        if (version != "1.0")
            voxly.urlSchemes.push_back("voxlysdk");
        ASSERT_FALSE(pf::AppRegistry::registerApp(voxly));
        auto inbox = pf::URLInbox::open(voxly, [this](const pf::IncomingURL& in) { voxlyURLs.push_back(in.url.absoluteString()); });
        ASSERT_TRUE(inbox);
        m_voxlyInbox = std::move(*inbox);
    }
    // What the Voxly app does with an answer: writes it to the board of its
    // kind and wakes this app.
    bool answer(const std::shared_ptr<VXBaseResponse>& response)
    {
        auto board = VoxlySDK::pasteboardWithName(response->pasteboardName(), true);
        board->setItems(response->transferObjectsForPasteboard());
        auto url = pf::URL::create(response->open3rdAppSchemeWithAppKey(kAppKey));
        return url && VoxlySDK::handleOpenURL(*url, app->sdk);
    }
    bool waitFor(const std::function<bool()>& condition)
    {
        return pf::RunLoop::main().runUntil(condition, pf::Seconds(10));
    }

    std::shared_ptr<AppRecorder> app;
    std::vector<std::string> voxlyURLs;

private:
    std::string m_root;
    pf::DeviceProfile m_profile;
    std::unique_ptr<pf::URLInbox> m_voxlyInbox;
};

}
