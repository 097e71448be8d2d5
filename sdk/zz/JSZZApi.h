#pragma once

// The native side of the scripts' "nativeApi" module, and the ZZ-app tests
// native code asks the same way. The share functions work on the message
// the script bridge keeps in its pool under "shareToZZ_Message" (the one
// being shared); a field that message's object does not have counts as
// missing, and no message means every field is missing. Stateless; main
// thread.

#include "platform/foundation/Value.h"

#include <memory>
#include <string>

class CorvanaJSObject;
class ZZApiMessage;

class JSZZApi {
public:
    // Datastore scheme: "YES"/"NO", and the scheme itself ("" without one).
    static std::string js_isRegistScheme();
    static std::string js_getZZScheme();
    // "YES" when the pending message passes ZZApi::checkZZApiURLMessage.
    static std::string js_checkZZApiURLMessage();
    // 123 when the pending message is already with a task, or its link has
    // no preview URL or already has the picture; else starts the download
    // task and answers 7.
    static int js_resendUrlObjectSyncShare();
    // "CFBundleDisplayName" of the main bundle's information, else "返回".
    static std::string js_getAPPName();
    // The pending object's pictures and files as the large data for ZZ:
    // preview, data and picture list of an image or extend object; preview
    // and picture list of a link; the archive of a common content object's
    // dictionary as the file data.
    static void setImageObjectPasteBoardDatas();
    static void setURLObjectPasteBoardDatas();
    static void setExtendObjectPasteBoardDatas();
    static void setCommonObjectPasteBoardDatas();
    // The SDK information record as JSON text.
    static std::string js_getSDKInfo();
    // 0 when the device multitasks and the URL was opened; else 1.
    static int js_openH5ZZToShare(const std::string& url);
    // 5 for text that is no URL (logged), 0 when opened, -1 when not.
    static int js_openURL(const std::string& url);
    // The size check of the pending object's data for "img" and "file" (data
    // required, at most 5 MiB; preview at most 1 MiB) and "url" (preview at
    // most 1 MiB); "YES" for any other kind. Each "NO" is logged.
    static std::string js_isLargeDataLengthLegal(const std::string& kind);
    static std::string js_appCanOpenURL(const pf::Value& argument);

    // For native callers: "YES"/"NO".
    static std::string js_isZZInstalled();
    static std::string js_isZZSupportApi();
    static std::string js_isZZSupportApiForWallet();
    static std::string js_isZZSupportApiGeneralPastboard();
    static std::string js_getZZInstallURL();
    static std::string js_isZZAppSatisfy(const std::string& url);
    // Opens the URL, or ZZ's install page when it cannot; answers 0.
    static int js_handleWPAMessageShare(const std::string& url);
    // The scripts' answer to the message, read as an integer; -1 without a
    // script bridge (nothing was sent).
    static int js_sendMessageToZZ(const std::shared_ptr<ZZApiMessage>& message);
    // True when the whole text is one integer.
    static bool isPureInt(const std::string& text);
    static bool isNewZZBrowserInstall();
    static bool isOldZZBrowserInstall();

    // The "nativeApi" module.
    static std::shared_ptr<CorvanaJSObject> nativeApiModule();
};
