#include "AnalyticsTestSupport.h"

#include "platform/foundation/Collections.h"
#include "sdk/analytics/MCA4ZCDataConfigHolder.h"
#include "sdk/analytics/MCA4ZCEvent.h"
#include "sdk/analytics/MCA4ZCHelper.h"
#include "sdk/analytics/TXJKSerializer.h"
#include "sdk/analytics/TXJSONDecoder.h"

#include <vector>

using namespace analytics_test;

namespace {

class MemoryConfigStore : public MCA4ZCConfigStore {
public:
    void storeConfig(const MCA4ZCDataConfig& config) override { rows.push_back(config); }
    void loadConfig(const std::function<void(const MCA4ZCDataConfig&)>& row) override
    {
        for (const auto& config : rows)
            row(config);
    }
    std::vector<MCA4ZCDataConfig> rows;
};

pf::Value reply(const std::string& sdkContent, long long version)
{
    return objectFromJSONString("{\"cfg\":{\"1\":{\"c\":" + sdkContent + ",\"v\":" + std::to_string(version) +
                                ",\"m\":\"d\"}}}");
}

std::vector<std::string> keysOf(const std::string& json)
{
    return objectFromJSONString(json).dictionary()->keys();
}

}

using SettingsTest = CollectorTest;

TEST_F(SettingsTest, OnlineConfigurationChangesOnlyWhatItMay)
{
    struct Row {
        const char* content;
        bool statEnable;
        int strategy;
    } rows[] = {
        {"{\"__HIBERNATE__\":\"0.5.4\"}", true, 3},
        {"{\"__HIBERNATE__\":\"0.5.5\"}", false, 3},
        {"{\"__HIBERNATE__\":\"0.10.0\"}", false, 3},
        {"{\"rs\":4}", true, 4},
        {"{\"rs\":7}", true, 7},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.content);
        MCA4ZCConfig& config = MCA4ZCConfig::getInstance();
        config.reset();
        auto store = std::make_shared<MemoryConfigStore>();
        MCA4ZCDataConfigHolder holder(store, config);
        holder.updateOnlineConfig(reply(row.content, 1));
        EXPECT_EQ(config.statEnable.load(), row.statEnable);
        EXPECT_EQ(config.reportStrategy.load(), row.strategy);
        EXPECT_EQ(store->rows.size(), 1u);
    }
    MCA4ZCConfig::getInstance().reset();
}

TEST_F(SettingsTest, OnlyNewerVersionsReplaceAndAreStored)
{
    MCA4ZCConfig& config = MCA4ZCConfig::getInstance();
    auto store = std::make_shared<MemoryConfigStore>();
    MCA4ZCDataConfigHolder holder(store, config);
    holder.updateOnlineConfig(reply("{\"rs\":2}", 3));
    holder.updateOnlineConfig(reply("{\"rs\":4}", 3));
    EXPECT_EQ(config.reportStrategy.load(), 2);
    holder.updateOnlineConfig(reply("{\"rs\":4}", 4));
    EXPECT_EQ(config.reportStrategy.load(), 4);
    ASSERT_EQ(store->rows.size(), 2u);
    EXPECT_EQ(store->rows[1].version, 4u);
    // Malformed entries and replies change nothing.
    for (const char* bad : {"{\"cfg\":{\"1\":{\"c\":[],\"v\":9,\"m\":\"d\"}}}", "{\"cfg\":{\"1\":{\"c\":{},\"v\":\"9\",\"m\":\"d\"}}}",
                            "{\"cfg\":{\"1\":{\"c\":{},\"v\":-1,\"m\":\"d\"}}}", "{\"cfg\":[]}"})
        holder.updateOnlineConfig(objectFromJSONString(bad));
    EXPECT_EQ(store->rows.size(), 2u);

    // A restart applies the stored rows again, the latest last.
    config.reset();
    MCA4ZCDataConfigHolder again(store, config);
    EXPECT_EQ(config.reportStrategy.load(), 4);
    auto event = pf::Dictionary::create();
    again.encode(*event);
    EXPECT_EQ(JSONString(pf::Value(event)).value_or(""), "{\"cfg\":{\"1\":{\"v\":4},\"2\":{}}}");
    config.reset();
}

using EventsTest = CollectorTest;

TEST_F(EventsTest, EachTypeWritesItsKeys)
{
    MCA4ZCConfig& config = MCA4ZCConfig::getInstance();
    config.setAppkey("ZZC1");
    config.setZz("10001");
    MCA4ZCHelper::getInstance()->setUserStore(MCA4ZCStore::getInstance());

    MCA4ZCCustomEvent plain;
    plain.eventID = "requireApi";
    MCA4ZCCustomEvent timed;
    timed.eventID = "t";
    timed.args = pf::Array::create({"x", pf::Value::data(pf::Bytes{1, 2})});
    timed.kvs = pf::Dictionary::create({{"k", 1}});
    timed.duration = 3;
    MCA4ZCAdditionEvent zz;
    MCA4ZCSessionEnv session;
    g_flags = 0;
    std::string offline = session.toJsonString();
    g_flags = pf::kReachabilityReachable | pf::kReachabilityIsWWAN;
    std::string cellular = session.toJsonString();

    using Keys = std::vector<std::string>;
    const Keys common = {"ts", "si", "mc", "ui", "et", "ky"};
    auto with = [&](Keys extra) {
        Keys keys = common;
        keys.insert(keys.end(), extra.begin(), extra.end());
        return keys;
    };
    EXPECT_EQ(keysOf(plain.toJsonString()), with({"ei"}));
    EXPECT_EQ(keysOf(timed.toJsonString()), with({"ei", "ar", "kv", "du"}));
    // An argument JSON has no form for goes as its text; the event is kept.
    EXPECT_TRUE(objectFromJSONString(timed.toJsonString()).dictionary()->array("ar")->at(1).isString());
    EXPECT_EQ(keysOf(zz.toJsonString()), with({"zz"}));
    EXPECT_EQ(keysOf(offline), with({"ev", "ut", "cfg"}));

    auto ev = objectFromJSONString(offline).dictionary()->dictionary("ev");
    EXPECT_EQ(ev->keys(), (Keys{"tz", "ov", "av", "os", "sv", "lg", "sr", "md", "mf", "ch"}));
    EXPECT_EQ(*ev->string("tz"), "CST-8");
    EXPECT_EQ(objectFromJSONString(cellular).dictionary()->dictionary("ev")->string("cn"), "CellNetwork");
    EXPECT_EQ(objectFromJSONString(offline).dictionary()->get("ut").longLongValue(), 0);
    EXPECT_EQ(objectFromJSONString(offline).dictionary()->get("ui").stringOr().size(), 40u);
}

TEST_F(EventsTest, UserTypeMarksANewDayAndANewVersion)
{
    MCA4ZCHelper::getInstance()->setUserStore(MCA4ZCStore::getInstance());
    auto helper = MCA4ZCHelper::getInstance();
    ASSERT_EQ(helper->getUser()->userType, 0);
    // The same day of the year, one year later, is another day.
    g_now = g_now + 365 * 86400;
    EXPECT_EQ(helper->getUser()->userType, 2);
    EXPECT_EQ(helper->getUser()->tagTime, g_now.load());
    restart();
    pf::setHomeDirectory(m_root + "/home");
    MCA4ZCHelper::getInstance()->setUserStore(MCA4ZCStore::getInstance());
    EXPECT_EQ(MCA4ZCHelper::getInstance()->getUser()->userType, 2);
}
