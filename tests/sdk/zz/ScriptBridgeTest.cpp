#include "CallLayerTestSupport.h"
#include "BuiltResourcesSupport.h"
#include "ScriptPackageSupport.h"

#include "platform/controls/WebView.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/net/URLCache.h"
#include "sdk/zz/CVOSDKJSBridge.h"
#include "sdk/zz/CorvanaJSObject.h"
#include "sdk/zz/CorvanaJSRunEnv.h"
#include "sdk/zz/CorvanaModuleTable.h"
#include "sdk/zz/JsUpdateManager.h"
#include "sdk/zz/JsUpdateVersionController.h"
#include "tools/zzpackage/ZZPackageBuilder.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

struct Session : pf::Object {
    std::vector<std::string> calls;
};

class ScriptBridge : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(m_resources.enter());
        m_manager = std::make_shared<JsUpdateManager>();
    }
    void TearDown() override
    {
        CVOSDKJSBridge::deinit();
        pf::URLCache::setShared(nullptr);
        m_resources.leave();
    }
    std::shared_ptr<CVOSDKJSBridge> makeBridge()
    {
        return quietBridge(m_manager);
    }
    // The session's "oauth" module, recording what the scripts send.
    void registerSession(CVOSDKJSBridge& bridge)
    {
        bridge.evaluateJavascript(CorvanaJSRunEnv::sendCmdScript);
        auto module = std::make_shared<CorvanaJSObject>();
        module->transformNativeObj(m_session, std::string("oauth"));
        for (const char* name : {"httpGet", "httpJsResponseCallback"}) {
            module->transformNativeMethod(std::string(name) + ":", name, 9, {2},
                                          corvanaCallable(std::weak_ptr<Session>(m_session),
                                                          [name](Session& s, const std::vector<pf::Value>& args) {
                                                              auto d = args[0].dictionary();
                                                              s.calls.push_back(std::string(name) + " " +
                                                                                d->get("url").stringOr() + " " +
                                                                                d->get("callback").stringOr());
                                                              return pf::Value();
                                                          }));
        }
        // The two hand-backs take every URL, recording it.
        for (const char* name : {"jsCallHandleOpenURLByOAuth", "jsCallHandleOpenUrlByOpenApi"}) {
            module->transformNativeMethod(std::string(name) + ":", name, 1, {2},
                                          corvanaCallable(std::weak_ptr<Session>(m_session),
                                                          [name](Session& s, const std::vector<pf::Value>& args) {
                                                              s.calls.push_back(std::string(name) + " " +
                                                                                args[0].dictionary()->get("urlStr").stringOr());
                                                              return pf::Value("YES");
                                                          }));
        }
        ASSERT_TRUE(bridge.JSRunEnv()->registNativeObj(module));
        ASSERT_TRUE(registerCorvanaSharedModules(*bridge.JSRunEnv()));
    }

    BuiltResourcesHome m_resources;
    std::shared_ptr<JsUpdateManager> m_manager;
    std::shared_ptr<Session> m_session = std::make_shared<Session>();
};

}

TEST_F(ScriptBridge, AnEmptyHomeLoadsTheBundlesScriptsAndEveryEntryPointReachesThem)
{
    auto bridge = makeBridge();
    ASSERT_TRUE(bridge);
    EXPECT_EQ(CVOSDKJSBridge::shareInstance(), bridge);
    registerSession(*bridge);
    auto state = [&](const char* expression) { return bridge->evaluateJavascript(expression); };

    bridge->authorizeInit("app'1\n", pf::Value("handler"));
    EXPECT_EQ(state("corvana.oauth.appId === \"app'1\\n\""), "true");
    EXPECT_EQ(bridge->getPoolObject("authorizeHandler"), pf::Value("handler"));
    EXPECT_EQ(bridge->JSuserGetUserInfo(), "false") << "the application asked for no user information";
    bridge->setAccessToken("t'o\u2028k", "oid", 1.5e12);
    EXPECT_EQ(state("corvana.oauth.accessToken === 't\\'o\\u2028k' && corvana.oauth.expirationDate === 1.5e12"), "true");
    EXPECT_EQ(bridge->JSuserGetUserInfo(), "false") << "signing in asks for none either";
    bridge->authorizeWithPermissions({"get_user_info", "add_share"});
    EXPECT_EQ(state("corvana.cauth.permissions"), "get_user_info,add_share");
    bridge->nativeNetworkChanged("2");
    EXPECT_EQ(state("corvana.netmonitor.status"), "2");
    // App answers go to the app-switch transport, others to the session.
    EXPECT_EQ(bridge->authorizeHandleURL("corvana1%3A%2F%2Fsso%2Fx%2F0%3Fgeneralpastboard%3D0"), "YES");
    EXPECT_EQ(bridge->authorizeHandleURL("corvana1://openmobile.zz.example/#access_token=T"), "YES");
    EXPECT_EQ(bridge->authorizeHandleURL("corvana1%E0%A4%A"), "NO") << "undecodable";
    EXPECT_EQ(m_session->calls, (std::vector<std::string>{
        "jsCallHandleOpenUrlByOpenApi corvana1%3A%2F%2Fsso%2Fx%2F0%3Fgeneralpastboard%3D0",
        "jsCallHandleOpenURLByOAuth corvana1://openmobile.zz.example/#access_token=T"}));
    m_session->calls.clear();

    EXPECT_TRUE(bridge->jsCall("getUserInfo", "corvana.info", "getUserInfoResponse:"));
    EXPECT_TRUE(bridge->jsCall("sendShuoshuo", "corvana.plaza", "addTopicResponse:"));
    EXPECT_FALSE(bridge->jsCall("missing", "corvana.info", "cb"));
    EXPECT_FALSE(bridge->jsCall("getUserInfo", "corvana.info');alert('", "cb"));
    EXPECT_FALSE(bridge->jsCall("getUserInfo()", "corvana.info", "cb"));
    bridge->JSgetUserInfo();
    bridge->evaluateJavascript("corvana.result.httpResponse('k', 'getVipInfoResponse:')");
    EXPECT_EQ(m_session->calls,
              (std::vector<std::string>{"httpGet https://openmobile.zz.example/oauth2.0/getUserInfo getUserInfoResponse:",
                                        "httpGet https://openmobile.zz.example/oauth2.0/sendShuoshuo addTopicResponse:",
                                        "httpGet https://openmobile.zz.example/oauth2.0/getUserInfo getUserInfoResponse:",
                                        "httpJsResponseCallback  getVipInfoResponse:"}));
    EXPECT_EQ(state("log.d('a', 'b')"), "js debuger");
    EXPECT_EQ(state("nativeApi.getAppName()"), "Zomaru"); // the bundle's display name
    EXPECT_EQ(state("JSON.parse(nativeApi.getSDKInfo()).sdkv"), "2.0.1");
    EXPECT_EQ(state("openUi.getZZInfo('{\"appSchema\":\"nothere\"}')"), "NO");
}

TEST_F(ScriptBridge, ATamperedInstalledPackageIsForgottenAndTheBundleUsedAgain)
{
    ASSERT_TRUE(makeBridge());
    CVOSDKJSBridge::addResponseDictionary(pf::Value(1), "answer");
    spit(m_manager->jsFinalFolderPath() + "/corvana.js", "corvana = 'tampered';");
    EXPECT_FALSE(makeBridge());
    EXPECT_FALSE(CVOSDKJSBridge::shareInstance());
    EXPECT_TRUE(CVOSDKJSBridge::getResponseDictionary("answer").isNil());
    EXPECT_EQ(pf::UserDefaults::standard().objectForKey("is_js_updated"), pf::Value());
    auto bridge = makeBridge();
    ASSERT_TRUE(bridge);
    EXPECT_EQ(bridge->evaluateJavascript("typeof corvana.cauth.login"), "function");

    auto query = CVOSDKJSBridge::dictionaryWithQuery("a=1&b&c=x=y&d=%41");
    EXPECT_EQ(query->keys(), (std::vector<std::string>{"a", "c", "d"}));
    EXPECT_EQ(query->get("c"), pf::Value("x"));
    EXPECT_EQ(query->get("d"), pf::Value("%41"));
}

TEST(ScriptBridgeRace, AnUpdateRacingBridgeCreationNeverMixesPackages)
{
    std::string home = makeScratch();
    pf::setHomeDirectory(home);
    pf::UserDefaults::resetStandard();
    ScopedBundle bundle(testKey().certificateDER());
    auto package = [](const std::string& tag, const std::string& path) {
        std::vector<zmr::ZZScriptFile> files = {{"init.js", "var seen = [];"},
                                                {"one.js", "seen.push('" + tag + "');"},
                                                {"two.js", "seen.push('" + tag + "');"}};
        EXPECT_TRUE(zmr::ZZPackageBuilder::writePackage(testKey(), files, R"({"version":3})", path));
    };
    package("a", bundle.root() + "/" + TOSDKRSACryptor::bundleName + "/js.zip");
    auto manager = std::make_shared<JsUpdateManager>();
    ASSERT_TRUE(manager->loadBundleJsZip());
    package("b", bundle.root() + "/" + TOSDKRSACryptor::bundleName + "/js.zip");
    std::atomic<bool> done = false;
    std::thread installer([&] {
        for (int i = 0; i < 20; i++)
            manager->loadBundleJsZip();
        done = true;
    });
    int made = 0;
    while (!done || made == 0) {
        auto bridge = CVOSDKJSBridge::initializeWithUpdateManager(manager, std::make_shared<pf::WebView>(), "", {});
        ASSERT_TRUE(bridge);
        std::string seen = bridge->evaluateJavascript("seen.join()");
        EXPECT_TRUE(seen == "a,a" || seen == "b,b") << seen;
        made++;
    }
    installer.join();
    CVOSDKJSBridge::deinit();
    pf::URLCache::setShared(nullptr);
    fs::remove_all(home);
}

TEST_F(ScriptBridge, EndToEndTheBundleThenASignedUpdateOnTheTimer)
{
    const char* keyPath = std::getenv("ZMR_BUILT_KEY");
    ASSERT_TRUE(keyPath);
    auto key = zmr::ZZPackageKey::load(keyPath);
    ASSERT_TRUE(key);
    auto clock = std::make_shared<ManualUpdateClock>();
    JsUpdateTimer::setClock(clock);
    ZZServerFixture zz;
    zmr::ZZServer& server = zz.server;

    auto bridge = makeBridge();
    ASSERT_TRUE(bridge);
    EXPECT_EQ(bridge->evaluateJavascript("typeof corvana.updated"), "undefined");
    std::vector<zmr::ZZScriptFile> files;
    std::string built = pf::Bundle::main()->resourcePath() + "/" + TOSDKRSACryptor::bundleName + "/js/";
    for (const char* name : {"init.js", "config.js", "corvana.js", "local.js"})
        files.push_back({name, slurp(built + name)});
    files.push_back({"update.js", "corvana.updated = true;"});
    auto versions = m_manager->versionController();
    // Newer than the bundle's package: used from then on. Older (the server
    // went back, or the application was updated since): the bundle's
    // package replaces it at the next start.
    struct Row {
        const char* version;
        const char* updated;
        const char* installedAfter;
    } rows[] = { { "1000", "true", "1000" }, { "1", "undefined", "2" } };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.version);
        std::string config = std::string(R"({"version":)") + row.version + R"(,"frequency":60})";
        ASSERT_TRUE(zmr::ZZPackageBuilder::writePackage(*key, files, config, m_resources.home() + "/u.zip"));
        server.setScriptPackage(row.version, slurp(m_resources.home() + "/u.zip"));
        m_manager->setTimer(static_cast<std::uint32_t>(versions->getFinalFrequency()), versions->getTimerDelay());
        m_manager->startTimer(JsUpdateManager::businessCode);
        clock->advanceMinutes(24 * 60);
        EXPECT_TRUE(ZZServerFixture::waitFor(
            [&] { return JsUpdateVersionController::getVersion() == row.version && !m_manager->isWorking(); }));
        m_manager->stopTimer();
        bridge = makeBridge();
        ASSERT_TRUE(bridge);
        EXPECT_EQ(bridge->evaluateJavascript("String(corvana.updated)"), row.updated);
        EXPECT_EQ(bridge->evaluateJavascript("typeof corvana.info.getUserInfo"), "function");
        EXPECT_EQ(JsUpdateVersionController::getVersion(), row.installedAfter);
    }
    JsUpdateTimer::setClock(nullptr);
}
