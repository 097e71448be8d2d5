#pragma once

// The native side of the scripts' "log" module. The scripts' debug output is
// not kept: every call answers "js debuger". Stateless; main thread.

#include "platform/foundation/Forward.h"

#include <string>

class CorvanaJSObject;

class CVOSDKJSBridgeTools {
public:
    static std::string jsLog(const pf::Value& tag, const pf::Value& message);
    // The "log" module: "d", "e", "v", "w" and "i", each jsLog (1, 1 → 1).
    static std::shared_ptr<CorvanaJSObject> logModule();
};
