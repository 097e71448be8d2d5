#pragma once

// Around an application shell that signs in with ZZ, for the services' and
// the screens' tests: the ZZ stand-in on loopback, trusted through its CA,
// with the SDK pointed at it, and no SDK state carried from one test to the
// next. Make it before the shell launches (the session is made at launch
// and reads the servers then) and drop it after the shell has gone. The
// shell's bundle is the build's resources copy with the signed script
// package (ZMR_BUILT_RESOURCES); the device folder (installed apps, boards)
// is the test's own.

#include "CallLayerTestSupport.h"

#include "platform/controls/WebView.h"
#include "platform/net/URLCache.h"
#include "sdk/zz/CVLoginViewKit.h"
#include "sdk/zz/CVOSDKJSBridge.h"
#include "sdk/zz/CVWebViewController.h"
#include "sdk/zz/CorvanaOAuth.h"
#include "sdk/zz/OpenApi.h"

#include <memory>

class ZZStandIn {
public:
    ZZStandIn() { OpenApi::resetForTesting(); }
    ~ZZStandIn()
    {
        CVOSDKJSBridge::deinit();
        pf::URLCache::setShared(nullptr);
        OpenApi::resetForTesting();
    }
    ZZStandIn(const ZZStandIn&) = delete;
    ZZStandIn& operator=(const ZZStandIn&) = delete;

    zmr::ZZServer& server() { return m_fixture.server; }

private:
    ZZServerFixture m_fixture;
};

// The web view of the session's login page ("ZZ登录") once it has loaded;
// null before, or when the session chose no page.
inline std::shared_ptr<pf::WebView> loadedLoginPage(const CorvanaOAuth& session)
{
    auto kit = session.loginViewKit();
    auto controller = kit ? kit->webViewController() : nullptr;
    auto web = controller ? controller->webview() : nullptr;
    return web && !web->isLoading() && web->title() == "ZZ登录" ? web : nullptr;
}
