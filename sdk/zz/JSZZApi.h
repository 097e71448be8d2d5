#pragma once

// The native side of the scripts' "nativeApi" module that needs no share
// message: the application's display name and the SDK information. The
// share functions join with the share model. Stateless; main thread.

#include <memory>
#include <string>

class CorvanaJSObject;

class JSZZApi {
public:
    // "CFBundleDisplayName" of the main bundle's information, else "返回".
    static std::string js_getAPPName();
    // The SDK information record as JSON text.
    static std::string js_getSDKInfo();
    // True when the whole text is one integer.
    static bool isPureInt(const std::string& text);
    // The "nativeApi" module with "getAppName" and "getSDKInfo" (none → 1).
    static std::shared_ptr<CorvanaJSObject> nativeApiModule();
};
