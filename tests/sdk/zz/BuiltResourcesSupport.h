#pragma once

// The set-up shared by the tests that run the SDK's real scripts: a home
// folder of the test's own with fresh user defaults, the build's resources
// copy as the main bundle, bridges whose console output is dropped, and
// the close of a script session.

#include "ScriptPackageSupport.h"

#include "platform/controls/AlertView.h"
#include "platform/controls/WebView.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/net/URLCache.h"
#include "platform/script/ScriptContext.h"
#include "sdk/zz/CVOSDKJSBridge.h"
#include "sdk/zz/CorvanaJSRunEnv.h"
#include "sdk/zz/CorvanaOAuth.h"
#include "sdk/zz/JsUpdateManager.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

class BuiltResourcesHome {
public:
    // Wrap in ASSERT_NO_FATAL_FAILURE: fails when the build's resources copy
    // is not named. leave() is still due afterwards.
    void enter()
    {
        m_home = makeScratch();
        pf::setHomeDirectory(m_home);
        pf::UserDefaults::resetStandard();
        m_oldBundle = pf::Bundle::main();
        const char* built = std::getenv("ZMR_BUILT_RESOURCES");
        ASSERT_TRUE(built) << "the build's resources copy";
        pf::Bundle::setMain(std::make_shared<pf::Bundle>(built));
    }
    void leave()
    {
        pf::Bundle::setMain(m_oldBundle);
        if (!m_home.empty())
            fs::remove_all(m_home);
    }

    const std::string& home() const { return m_home; }

private:
    std::string m_home;
    std::shared_ptr<pf::Bundle> m_oldBundle;
};

// A bridge on a fresh web view that keeps the scripts' console output quiet.
inline std::shared_ptr<CVOSDKJSBridge> quietBridge(const std::shared_ptr<JsUpdateManager>& manager)
{
    auto web = std::make_shared<pf::WebView>();
    web->scriptContext()->setConsoleSink([](const std::string&) {});
    return CVOSDKJSBridge::initializeWithUpdateManager(manager, web, "", {});
}

// A quiet bridge with the scripts' command sender loaded, as the session's
// modules expect; null when the bridge cannot start.
inline std::shared_ptr<CVOSDKJSBridge> commandBridge()
{
    auto bridge = quietBridge(std::make_shared<JsUpdateManager>());
    if (bridge)
        bridge->evaluateJavascript(CorvanaJSRunEnv::sendCmdScript);
    return bridge;
}

// A session on the real scripts whose web view's console output is dropped;
// null when it has no web view.
inline std::shared_ptr<CorvanaOAuth> quietSession(const std::string& appId,
                                                  const std::shared_ptr<CorvanaSessionDelegate>& delegate)
{
    auto session = CorvanaOAuth::initWithAppId(appId, delegate);
    if (!session || !session->webView())
        return nullptr;
    session->webView()->scriptContext()->setConsoleSink([](const std::string&) {});
    return session;
}

// Dismisses the alerts left up, then drops the session, the script bridge
// and the shared URL cache, so the next test starts without them.
inline void closeSession(std::shared_ptr<CorvanaOAuth>& session)
{
    for (auto& alert : pf::AlertView::visibleAlerts())
        alert->dismissWithClickedButtonIndex(0, false);
    session.reset();
    CVOSDKJSBridge::deinit();
    pf::URLCache::setShared(nullptr);
}
