#pragma once

// The script modules that need no session: "openUi" (the app's registered
// URL schemes, on CvApiTool) and "log" (CVOSDKJSBridgeTools). The session's
// own modules are registered with it. Main thread.

class CorvanaJSRunEnv;

// Registers the modules with the runtime; false when one is refused.
bool registerCorvanaSharedModules(CorvanaJSRunEnv& runEnv);
