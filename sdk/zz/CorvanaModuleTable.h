#pragma once

// The script modules that need no session: "openUi" (the app's registered
// URL schemes, on CvApiTool), "log" (CVOSDKJSBridgeTools) and "nativeApi"
// (JSZZApi, so far without its share functions). The session's own modules
// are registered with it. Main thread.

class CorvanaJSRunEnv;

// Registers the modules with the runtime; false when one is refused.
bool registerCorvanaSharedModules(CorvanaJSRunEnv& runEnv);
