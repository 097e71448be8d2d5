#include "CallLayerTestSupport.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Pasteboard.h"
#include "sdk/zz/CVAPIRequest.h"
#include "sdk/zz/CVDataReport.h"
#include "sdk/zz/CVOSDKEZJSONWriter.h"
#include "sdk/zz/CVOSDKReachability.h"
#include "sdk/zz/CommonSDK.h"
#include "sdk/zz/ConfigManager.h"
#include "sdk/zz/CorvanaDataMgr.h"
#include "sdk/zz/CorvanaJSRunEnv.h"
#include "sdk/zz/CorvanaModuleTable.h"
#include "platform/net/URLCache.h"
#include "platform/script/ScriptContext.h"
#include "sdk/zz/ZZRegistration.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <thread>

namespace {

struct OpenAPI : CVAPIRequest {
    std::optional<std::string> APIBaseURL() const override { return std::string("https://api.test/"); }
};
struct GetUserInfo : OpenAPI {};
struct Misnamed : OpenAPI {};

struct Callback : CVAPIRequestDelegate {
    std::atomic<int> delivered{0};
    void cgiRequestDidResponse(CVAPIRequest&, const std::shared_ptr<APIResponse>&) override { ++delivered; }
};

std::shared_ptr<APIResponse> answer(pf::DictionaryRef json)
{
    auto response = std::make_shared<APIResponse>();
    response->setJsonResponse(std::move(json));
    return response;
}

}

TEST(CVAPIRequestClass, ParamPropertiesAndRouteComeFromTheDeclaration)
{
    registerZZClasses();
    ASSERT_TRUE((CVAPIRequest::declare<OpenAPI>("ZZOpenAPI_", {})));
    EXPECT_FALSE((CVAPIRequest::declare<Misnamed, OpenAPI>("ZZOpenAPI_user_PUT", {})));
    ASSERT_TRUE((CVAPIRequest::declare<GetUserInfo, OpenAPI>("ZZOpenAPI_user/get_info_GET", { "param_nick", "plain" })));

    auto request = std::static_pointer_cast<GetUserInfo>(pf::Class::named("ZZOpenAPI_user/get_info_GET")->create());
    EXPECT_EQ(request->apiURL(), "https://api.test/user/get_info");
    EXPECT_EQ(request->method(), "GET");
    EXPECT_FALSE(request->trySetValueForKey("param_nick", "zz"));
    EXPECT_EQ(request->objectForKey("nick"), pf::Value("zz"));
    EXPECT_EQ(request->valueForKey("param_nick"), pf::Value("zz"));
    request->setValueForKey("param_nick", pf::Value());
    EXPECT_EQ(request->count(), 0u);
    EXPECT_TRUE(request->trySetValueForKey("plain", "x")) << "only param_ names become parameters";

    // A second answer keeps the first one's dictionary inside it.
    request->responseProcess(answer(pf::Dictionary::create({ { "a", 1 } })));
    request->responseProcess(answer(pf::Dictionary::create({ { "b", 2 } })));
    EXPECT_EQ(request->response()->jsonResponse()->dictionary("jsonResponse")->get("a"), pf::Value(1));
}

TEST(CVAPIRequestState, LoadCancelAndAnswerExcludeEachOther)
{
    struct Row {
        const char* steps; // l tryLoad, c cancel, a answer
        int state;
        int delivered;
        bool stored;
    } rows[] = {
        { "la", CVAPIRequest::Answered, 1, true },
        { "lca", CVAPIRequest::Cancelled, 0, true },
        { "lac", CVAPIRequest::Answered, 1, true },
        { "cl", CVAPIRequest::Cancelled, 0, false },
        { "a", CVAPIRequest::Idle, 0, true },
        { "ll", CVAPIRequest::Loading, 0, false },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.steps);
        auto request = std::make_shared<CVAPIRequest>("http://h/x", "GET");
        auto callback = std::make_shared<Callback>();
        request->setCallback(callback);
        bool loadedTwice = false;
        int loads = 0;
        for (const char* step = row.steps; *step; ++step) {
            if (*step == 'l')
                loads += request->tryLoad();
            else if (*step == 'c')
                request->cancel();
            else
                request->apiBaseDidResponse(nullptr, answer(pf::Dictionary::create({ { "ret", 0 } })));
        }
        loadedTwice = loads > 1;
        EXPECT_FALSE(loadedTwice);
        EXPECT_EQ(request->state(), row.state);
        EXPECT_EQ(callback->delivered.load(), row.delivered);
        EXPECT_EQ(request->response() != nullptr, row.stored);
    }

    // From two threads at once, exactly one of cancel and answer wins.
    for (int round = 0; round < 200; ++round) {
        auto request = std::make_shared<CVAPIRequest>("http://h/x", "GET");
        auto callback = std::make_shared<Callback>();
        request->setCallback(callback);
        ASSERT_TRUE(request->tryLoad());
        std::thread answering([&] { request->apiBaseDidResponse(nullptr, answer(nullptr)); });
        request->cancel();
        answering.join();
        EXPECT_EQ(callback->delivered.load() + (request->state() == CVAPIRequest::Cancelled), 1);
    }
}

class ReportsAndPolicy : public ::testing::Test {
protected:
    void SetUp() override
    {
        pf::setHomeDirectory(m_home);
        CVDataReport::Collector collector;
        collector.start4ZZConnect = [this](const std::string& appId) { started.push_back(appId); };
        collector.setEnable = [this](bool enabled) { switches.push_back(enabled); };
        CVDataReport::setCollector(collector);
    }
    void TearDown() override
    {
        CVDataReport::setCollector({});
        ConfigManager::GetInstance().setConfig(ConfigManager::defaultConfig());
        std::filesystem::remove_all(m_home);
    }

    std::string m_home = std::filesystem::temp_directory_path().string() + "/zz-reports-" + std::to_string(getpid());
    ZZServerFixture zz;
    std::vector<std::string> started;
    std::vector<bool> switches;
};

TEST_F(ReportsAndPolicy, ReportsCarryTheirParameters)
{
    double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(CVDataReport::reportDataWithTime(0, "10654", std::string("app"), 12.9, std::nullopt));
    EXPECT_TRUE(CVDataReport::reportDataWithTime(0, "10655", std::string("app"), nan, std::string("v2")));
    EXPECT_TRUE(CVDataReport::reportData(1, "10656", std::string("app"), std::nullopt));
    EXPECT_FALSE(CVDataReport::reportBonuliData(10657, std::string("app"), std::nullopt));
    ASSERT_TRUE(ZZServerFixture::waitFor([&] { return zz.server.received(CVDataReport::kReportPath).size() == 2; }));
    auto reports = zz.server.received(CVDataReport::kReportPath);
    std::sort(reports.begin(), reports.end(), [](auto& a, auto& b) { return a.param("nValue") < b.param("nValue"); });
    EXPECT_EQ(reports[0].query, (zmr::ZZServer::Pairs { { "strValue", "app" }, { "nValue", "10654" },
                                                   { "qver", "ios.SDK.1.8" }, { "elt", "12" }, { "tag", "0" } }));
    EXPECT_EQ(reports[1].param("elt"), "0");
    EXPECT_EQ(reports[1].param("qver"), "v2");
    for (double interval : { double(INFINITY), 1e12 })
        EXPECT_EQ(CVDataReport::elapsedSeconds(interval), std::numeric_limits<int>::max());
    EXPECT_EQ(CVDataReport::elapsedSeconds(-INFINITY), std::numeric_limits<int>::min());

    ConfigManager::GetInstance().setConfig(pf::Dictionary::create({ { "DataReportEnable", false } }));
    CVDataReport::mcaStart("1");
    ConfigManager::GetInstance().setConfig(ConfigManager::defaultConfig());
    CVDataReport::mcaStart("3");
    EXPECT_EQ(started, (std::vector<std::string> { "3" }));
}

TEST_F(ReportsAndPolicy, PolicyIsFetchedOverHttpAndSwitchesReportingOff)
{
    zz.server.setPolicy(R"({"ret":0,"Common_ta_enable":0,"Common_frequency":"6"})");
    ConfigManager manager;
    manager.setAppid(std::string("123"));
    manager.updateConfig();
    ASSERT_TRUE(ZZServerFixture::waitFor([&] { return !manager.isRequesting(); }));
    auto seen = zz.server.received(ConfigManager::kPolicyPath);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].status, 200);
    EXPECT_EQ(seen[0].param("client_id"), "123");
    EXPECT_FALSE(manager.isDataReportEnable());
    EXPECT_EQ(switches, std::vector<bool> { false });
    EXPECT_TRUE(pf::fileExists(manager.path()));
}

TEST_F(ReportsAndPolicy, ScriptModulesReachTheReportsAndTheDataStoreAfterEachRegistration)
{
    std::vector<std::string> seen;
    auto props = [](const pf::DictionaryRef& d) { return d ? std::to_string(d->count()) : std::string("nil"); };
    CVDataReport::Collector collector;
    collector.start4ZZConnect = [&](const std::string& appId) { seen.push_back("start " + appId); };
    collector.setEnable = [&](bool enabled) { seen.push_back(enabled ? "on" : "off"); };
    collector.trackCustomEvent = [&](const std::string& id, const pf::ArrayRef& args) {
        seen.push_back("event " + id + " " + args->at(0).stringOr("nil"));
    };
    collector.trackCustomKVEvent = [&](const std::string& id, const pf::DictionaryRef& d) {
        seen.push_back("kv " + id + " " + props(d));
    };
    collector.trackCustomBeginKVEvent = [&](const std::string& id, const pf::DictionaryRef& d) {
        seen.push_back("begin " + id + " " + props(d));
    };
    collector.reportZZ = [&](const std::string& number) { seen.push_back("zz " + number); };
    CVDataReport::setCollector(collector);
    std::string key = *CorvanaDataMgr::getInstance().addObjectInDataMgr("kept");
    std::string size = std::to_string(CorvanaDataMgr::getInstance().objSize(key));

    // A rebuilt runtime registers again, and registering twice changes nothing.
    std::shared_ptr<pf::ScriptContext> context;
    std::shared_ptr<CorvanaJSRunEnv> runEnv;
    for (int rebuild = 0; rebuild < 2; rebuild++) {
        auto web = std::make_shared<pf::WebView>();
        context = web->scriptContext();
        context->setConsoleSink([](const std::string&) {});
        runEnv = CorvanaJSRunEnv::initWithWebView(web, "", {});
        context->evaluate(CorvanaJSRunEnv::sendCmdScript);
        context->evaluate("var order = [], define = SendCmd.createClass;"
                          "SendCmd.createClass = function (n, j) { order.push(n); define(n, j); };");
        ASSERT_TRUE(registerCorvanaSharedModules(*runEnv));
    }
    ASSERT_TRUE(registerCorvanaSharedModules(*runEnv));
    EXPECT_EQ(context->evaluate("order.join()"), "openUi,log,nativeApi,sdk_reportUtils,CorvanaDataMgr,"
                                                 "openUi,log,nativeApi,sdk_reportUtils,CorvanaDataMgr");

    // The script operations never ask the policy.
    ConfigManager::GetInstance().setConfig(pf::Dictionary::create({{"DataReportEnable", false}}));
    struct Row {
        std::string call;
        std::string answer; // JSON of what the script receives
        const char* record;
    } rows[] = {
        {"log.i('t', 'm')", "\"js debuger\"", nullptr},
        {"sdk_reportUtils.startZZ4Connect(\"a'1\")", "null", "start a'1"},
        {"sdk_reportUtils.mcaSetEnable('true')", "null", "on"},
        {"sdk_reportUtils.trackCustomEvent('ev', 'a&b=c')", "null", "event ev a&b=c"},
        {"sdk_reportUtils.trackCustomEvent('ev')", "null", "event ev nil"},
        {"sdk_reportUtils.reportZZ('10001')", "null", "zz 10001"},
        {"sdk_reportUtils.reportData()", "\"true\"", nullptr},
        {"sdk_reportUtils.trackCustomKVEvent('k', '{\"a\":1}')", "null", "kv k 1"},
        {"sdk_reportUtils.trackCustomKVEvent('k', '[1]')", "null", "kv k nil"},
        {"sdk_reportUtils.trackCustomBeginKVEventt('b', '{}')", "null", "begin b 0"},
        {"CorvanaDataMgr.objSize('" + key + "')", "\"" + size + "\"", nullptr},
        {"CorvanaDataMgr.addObjectInPastboard('" + key + "')",
         "\"" + std::string(CorvanaDataMgr::kPasteboardTypePrefix) + key + "\"", nullptr},
        {"CorvanaDataMgr.removeObjectFromDataMgr('" + key + "')", "\"true\"", nullptr},
        {"CorvanaDataMgr.removeAllObject()", "\"true\"", nullptr},
        {"CorvanaDataMgr.removeKeyFromDataMgr('" + key + "')", "\"true\"", nullptr},
        {"CorvanaDataMgr.removeKeyFromDataMgr('_0')", "\"false\"", nullptr},
    };
    for (const Row& row : rows) {
        seen.clear();
        EXPECT_EQ(context->evaluate("JSON.stringify(" + row.call + ")"), row.answer) << row.call;
        EXPECT_EQ(seen, row.record ? std::vector<std::string>{row.record} : std::vector<std::string>{}) << row.call;
    }
    pf::URLCache::setShared(nullptr);
}

TEST(CorvanaDataMgrStore, KeysOnlyGrowAndArchivesRoundTrip)
{
    CorvanaDataMgr store;
    auto first = store.addObjectInDataMgr("one");
    auto second = store.addObjectInDataMgr("two");
    EXPECT_EQ(first, "String_0");
    EXPECT_EQ(second, "String_1");
    EXPECT_TRUE(store.removeKeyFromDataMgr(first));
    EXPECT_EQ(store.addObjectInDataMgr("three"), "String_2") << "a new value never takes a live key";
    EXPECT_EQ(store.objByKey(second), pf::Value("two"));
    EXPECT_FALSE(store.addObjectInDataMgr(pf::Value(std::make_shared<APIResponse>())));

    struct Row {
        std::optional<std::string> key;
        bool removes;
    } rows[] = { { std::nullopt, false }, { "_0", false }, { "nounderscore", false }, { "Odd_Name_7", true } };
    for (const Row& row : rows) {
        EXPECT_TRUE(store.objByKey(row.key).isNil());
        EXPECT_EQ(store.removeKeyFromDataMgr(row.key), row.removes);
        EXPECT_EQ(store.objSize(row.key), 0u);
    }
    EXPECT_EQ(store.objByKey(second), pf::Value("two"));

    auto type = store.addObjectInPastboard(second);
    ASSERT_TRUE(type);
    EXPECT_EQ(*type, std::string(CorvanaDataMgr::kPasteboardTypePrefix) + "String_1");
    auto data = pf::Pasteboard::general()->dataForPasteboardType(*type);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->size(), store.objSize(second));
    EXPECT_EQ(pf::KeyedUnarchiver::unarchiveObjectWithData(*data, { "String" }), pf::Value("two"));

    APIResponse response;
    response.setRetCode(1);
    response.setSeq(1005);
    response.setErrorMsg(std::string("x"));
    // A parsed answer's numbers keep every digit through the archive.
    const char* answer = "{\"ret\":3,\"id\":18446744073709551617,\"rate\":-0.12345678901234567891}";
    response.setJsonResponse(CommonSDK::JSONValue(answer).dictionary());
    response.setUserData("not archived");
    auto back = APIResponse::unarchive(*response.archivedData());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back->encode(), *response.encode());
    EXPECT_EQ(CVOSDKEZJSONWriter().stringWithObject(back->jsonResponse()), answer);
    EXPECT_TRUE(back->userData().isNil());
}

TEST(CVOSDKReachabilityStatus, FlagsAndChangeNotices)
{
    using namespace pf;
    auto host = CVOSDKReachability::reachabilityWithHostName("zz.test");
    auto wifi = CVOSDKReachability::reachabilityForLocalWiFi();
    struct Row {
        std::uint32_t flags;
        int hostStatus;
        int wifiStatus;
    } rows[] = {
        { 0, 0, 0 },
        { kReachabilityReachable, 2, 0 },
        { kReachabilityReachable | kReachabilityIsDirect, 2, 2 },
        { kReachabilityReachable | kReachabilityConnectionOnTraffic, 0, 0 },
        { kReachabilityReachable | kReachabilityConnectionRequired, 2, 0 },
        { kReachabilityReachable | kReachabilityTransientConnection | kReachabilityConnectionRequired, 0, 0 },
        { kReachabilityReachable | kReachabilityTransientConnection | kReachabilityConnectionOnTraffic, 2, 0 },
        { kReachabilityReachable | kReachabilityIsWWAN, 1, 0 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.flags);
        EXPECT_EQ(host->networkStatusForFlags(row.flags), row.hostStatus);
        EXPECT_EQ(wifi->networkStatusForFlags(row.flags), row.wifiStatus);
    }
    EXPECT_TRUE(host->isEqual(*CVOSDKReachability::reachabilityWithHostName("zz.test")));
    EXPECT_EQ(CVOSDKReachability::reachabilityWithAddress(0x7F000001u)->key(), "127.0.0.1");

    std::uint32_t flags = 0;
    setReachabilityTargetProvider([&](const ReachabilityTarget&) { return flags; });
    int notices = 0;
    auto owner = std::make_shared<int>();
    NotificationCenter::defaultCenter().addObserver(kCVOSDKReachabilityChangedNotification, owner,
                                                    [&](const Notification& n) {
                                                        notices += n.object.object().get() == host.get();
                                                    });
    ASSERT_TRUE(host->startNotifier());
    flags = kReachabilityReachable | kReachabilityIsWWAN;
    reachabilityChanged();
    EXPECT_EQ(notices, 0) << "notices come on a later turn of the main loop";
    ASSERT_TRUE(ZZServerFixture::waitFor([&] { return notices == 1; }));
    EXPECT_EQ(host->currentReachabilityStatus(), CVOSDKReachability::ReachableViaWWAN);
    host->stopNotifier();
    reachabilityChanged();
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(notices, 1);
    setReachabilityTargetProvider({});
}
