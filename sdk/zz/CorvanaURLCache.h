#pragma once

// The shared URL cache the script runtime installs: the JS SDK script's URL
// (CVOSDKServers::kJSSDKScriptURL, exactly) is answered from "jssdk.js" of
// the SDK resource bundle, so it never reaches the network; everything else
// is answered as the default cache answers it (nothing). Any thread.

#include "platform/net/URLCache.h"

class CorvanaURLCache : public pf::URLCache {
public:
    std::optional<pf::CachedURLResponse> cachedResponseForRequest(const pf::HttpRequest& request) override;
};
