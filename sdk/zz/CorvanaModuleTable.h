#pragma once

// The script modules that need no session, registered in this order:
// "openUi" (the app's registered URL schemes, on CvApiTool), "log"
// (CVOSDKJSBridgeTools), "nativeApi" (JSZZApi), "sdk_reportUtils" (CVDataReport's script operations, which
// never ask the policy) and "CorvanaDataMgr" (the shared data store). The
// session's own modules are registered with it.
//
// Registering again, on the same runtime or a rebuilt one, defines the same
// script functions anew; calls keep reaching the same targets. Main thread.

class CorvanaJSRunEnv;

// Registers the modules with the runtime; false when one is refused.
bool registerCorvanaSharedModules(CorvanaJSRunEnv& runEnv);
