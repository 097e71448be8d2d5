#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/PropertyList.h"
#include "sdk/zz/CVOSDKServers.h"
#include "sdk/zz/ConfigManager.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <limits>
#include <vector>

using ServerRow = CVOSDKServers::Row;

TEST(SDKServers, BuiltInRowsStayLocalAndSettersRepointTheirRows)
{
    CVOSDKServers::reset();
    for (ServerRow row : { ServerRow::OAuth, ServerRow::Connect, ServerRow::Report, ServerRow::OnlineStatus,
                           ServerRow::BusinessCheck, ServerRow::PlazaWeb, ServerRow::Analytics }) {
        EXPECT_TRUE(CVOSDKServers::origin(row).ends_with(".example")) << CVOSDKServers::origin(row);
        EXPECT_TRUE(CVOSDKServers::isPlaceholder(row)) << CVOSDKServers::origin(row);
    }
    EXPECT_TRUE(CVOSDKServers::origin(ServerRow::OAuth).starts_with("https://"));
    EXPECT_TRUE(CVOSDKServers::origin(ServerRow::Connect).starts_with("http://"));

    struct Setter {
        bool (*set)(std::string_view);
        const char* text;
        bool accepted;
    } setters[] = {
        { CVOSDKServers::setHttpOrigin, "http://127.0.0.1:8080/", true },
        { CVOSDKServers::setHttpOrigin, "https://127.0.0.1:8443", false },
        { CVOSDKServers::setHttpOrigin, "http://127.0.0.1/path", false },
        { CVOSDKServers::setHttpOrigin, "not a url", false },
        { CVOSDKServers::setHttpsOrigin, "https://127.0.0.1:8443", true },
        { CVOSDKServers::setHttpsOrigin, "http://127.0.0.1:1", false },
        { CVOSDKServers::setAnalyticsOrigin, "http://127.0.0.1:9090", true },
    };
    for (const auto& setter : setters)
        EXPECT_EQ(setter.set(setter.text), setter.accepted) << setter.text;
    EXPECT_EQ(CVOSDKServers::url(ServerRow::Connect, ConfigManager::kPolicyPath),
              "http://127.0.0.1:8080/zzconnectopen/openapi/policy_conf");
    EXPECT_EQ(CVOSDKServers::origin(ServerRow::Report), "http://127.0.0.1:8080");
    EXPECT_EQ(CVOSDKServers::url(ServerRow::OAuth, "/oauth2.0/m_me"), "https://127.0.0.1:8443/oauth2.0/m_me");
    EXPECT_EQ(CVOSDKServers::origin(ServerRow::Analytics), "http://127.0.0.1:9090");
    EXPECT_EQ(CVOSDKServers::watchedHost(), "127.0.0.1");
    EXPECT_FALSE(CVOSDKServers::isPlaceholder(ServerRow::Analytics));
    EXPECT_FALSE(CVOSDKServers::isPlaceholder(ServerRow::PlazaWeb));
    CVOSDKServers::reset();
    EXPECT_TRUE(CVOSDKServers::isPlaceholder(ServerRow::Analytics));
    EXPECT_EQ(CVOSDKServers::origin(ServerRow::Report), "http://report.zz.example");
}

namespace {

class PolicyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zz-policy-XXXXXX";
        m_home = mkdtemp(pattern);
        pf::setHomeDirectory(m_home);
    }
    void TearDown() override { std::filesystem::remove_all(m_home); }

    // A manager whose requests and report switches are recorded.
    std::unique_ptr<ConfigManager> makeManager()
    {
        auto manager = std::make_unique<ConfigManager>();
        manager->setPolicyRequester([this](const std::string& url, const pf::DictionaryRef& params) {
            urls.push_back(url);
            lastParams = params;
        });
        manager->setReportSwitch([this](bool enabled) { switches.push_back(enabled); });
        return manager;
    }

    std::string m_home;
    std::vector<std::string> urls;
    pf::DictionaryRef lastParams;
    std::vector<bool> switches;
};

}

TEST_F(PolicyTest, FirstUpdateFetchesAndAnAnswerIsStoredTypeByType)
{
    auto manager = makeManager();
    EXPECT_TRUE(manager->isDataReportEnable());
    manager->setAppid("100");
    manager->updateConfig();
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_TRUE(urls[0].ends_with("/zzconnectopen/openapi/policy_conf"));
    EXPECT_EQ(lastParams->keys(), (std::vector<std::string> { "client_id", "sdkv", "sdkp", "status_os", "status_version" }));
    manager->updateConfig(); // one request at a time
    EXPECT_EQ(urls.size(), 1u);

    manager->requestConfigResponse(0, pf::Dictionary::create({ { "ret", 0 }, { "Common_ta_enable", 0 },
                                                               { "Common_frequency", "12" },
                                                               { "Common_SSO_PlazaVersion", "4.0" } }));
    EXPECT_FALSE(manager->isDataReportEnable());
    EXPECT_EQ(switches, std::vector<bool> { false });
    EXPECT_EQ(manager->config()->get("ConfigTimeFrequency"), pf::Value(24.0)); // a string is skipped
    EXPECT_GT(manager->config()->get("ConfigTimeStamp").doubleValue(), 1e9);

    // A restart reads the stored policy and does not fetch within the period.
    auto restarted = makeManager();
    EXPECT_FALSE(restarted->isDataReportEnable());
    EXPECT_EQ(*restarted->config()->string("CommonSSoPlazaVersion"), "4.0");
    restarted->updateConfig();
    EXPECT_EQ(urls.size(), 1u);
}

TEST_F(PolicyTest, AnswersAndPeriodsThatChangeNothing)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Row {
        int retCode;
        pf::Value answer;
        bool switched;
    } answers[] = {
        { 1, pf::Dictionary::create({ { "Common_ta_enable", 0 } }), false },
        { 0, pf::Dictionary::create({ { "ret", 100030 }, { "Common_ta_enable", 0 } }), false },
        { 0, pf::Value(), false },
        { 0, pf::Dictionary::create({ { "unknown", 1 } }), true },
    };
    for (const auto& row : answers) {
        auto manager = makeManager();
        switches.clear();
        manager->requestConfigResponse(row.retCode, row.answer);
        EXPECT_TRUE(manager->isDataReportEnable());
        EXPECT_EQ(manager->config()->get("ConfigTimeStamp"), pf::Value(0.0));
        EXPECT_EQ(!switches.empty(), row.switched);
        EXPECT_FALSE(pf::fileExists(manager->path()));
    }

    // Fetch period rows against a policy stamped now: (period, fetches).
    struct Period {
        pf::Value hours;
        bool fetches;
    } periods[] = { { 24.0, false }, { nan, false }, { "1", false }, { pf::Value(), false },
                    { 0.0, true }, { -5, true } };
    for (const auto& period : periods) {
        auto manager = makeManager();
        manager->config()->set("ConfigTimeStamp", pf::Date::now().seconds);
        manager->config()->set("ConfigTimeFrequency", period.hours);
        urls.clear();
        manager->updateConfig();
        EXPECT_EQ(urls.size(), period.fetches ? 1u : 0u) << period.hours.description();
    }
}

TEST_F(PolicyTest, StoredPolicyWithoutTheSwitchOrNotADictionaryMeansOff)
{
    pf::createDirectories(pf::documentsDirectory());
    std::string path = pf::documentsDirectory() + "/CVSdkConfig.plist";
    for (const char* text : { "<plist><dict><key>SafariEnable</key><true/></dict></plist>",
                              "<plist><array/></plist>", "garbage" }) {
        ASSERT_FALSE(pf::writeFileAtomically(path, text));
        auto manager = makeManager();
        EXPECT_FALSE(manager->isDataReportEnable()) << text;
    }
    auto manager = makeManager();
    EXPECT_EQ(manager->config(), nullptr);
    manager->requestConfigResponse(0, pf::Dictionary::create({ { "Common_ta_enable", 1 } }));
    EXPECT_FALSE(manager->isDataReportEnable());
}
