#pragma once

// The process-wide owner of the SDK's script environment: the hidden web
// view the scripts run in (never shown) and its runtime, the installed script package loaded into it, a pool of
// objects shared with the scripts by name, and two process-wide tables
// (parameters of pending script calls, answers of script requests, both by
// callback name) that each new bridge empties.
//
// Creation loads the installed package, installing the bundle's first when
// none is; an installed package that no longer verifies is forgotten and
// no bridge is made (the next creation installs the bundle's again). The
// folder is verified and its files read under the package lock, and
// evaluated after it is released.
//
// Entry points pass their values to the scripts as arguments, never as
// script text, and answer the script's result as text ("" for none).
//
// Main thread only.

#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CorvanaJSRunEnv;
class JsUpdateManager;
class ZZApiMessage;
class ZZBaseReq;
namespace pf {
class WebView;
class WebViewDelegate;
}

class CVOSDKJSBridge {
public:
    // Replaces the shared bridge; null (and an empty slot) on failure, also
    // without a web view. The delegate (not retained) gets the web view's
    // load reports and answers its navigations of other schemes.
    static std::shared_ptr<CVOSDKJSBridge> initializeWithUpdateManager(const std::shared_ptr<JsUpdateManager>& manager,
                                                                       std::shared_ptr<pf::WebView> webView,
                                                                       const std::string& url,
                                                                       std::weak_ptr<pf::WebViewDelegate> delegate);
    static std::shared_ptr<CVOSDKJSBridge> shareInstance();
    // Empties the shared slot.
    static void deinit();

    std::string evaluateJavascript(std::string_view text);
    const std::shared_ptr<pf::WebView>& webView() const { return m_webView; }
    const std::shared_ptr<CorvanaJSRunEnv>& JSRunEnv() const { return m_runEnv; }
    const std::shared_ptr<JsUpdateManager>& jsUpdateManager() const { return m_updateManager; }
    const pf::DictionaryRef& jsBridgeModulePool() const { return m_modulePool; }
    void setPoolObject(const std::string& name, const pf::Value& object);
    pf::Value getPoolObject(const std::string& name) const;

    static void addUserDictionary(const pf::Value& object, const std::string& key);
    static pf::Value getUserDictionary(const std::string& key);
    static void addResponseDictionary(const pf::Value& object, const std::string& key);
    static pf::Value getResponseDictionary(const std::string& key);
    // "a=1&b&c=x=y" gives a = 1 and c = x; no percent decoding.
    static pf::DictionaryRef dictionaryWithQuery(std::string_view query);

    std::string authorizeHandleURL(const std::string& url);
    std::string authorizeInit(const std::string& appId, const pf::Value& handler);
    std::string authorizeWithPermissions(const std::vector<std::string>& permissions);
    std::string setAccessToken(const std::string& token, const std::string& openId, double expirationDate);
    std::string JSgetUserInfo();
    std::string JSuserGetUserInfo();
    std::string nativeNetworkChanged(const std::string& status);
    // Calls `category`.`function`(callback, callback); true when the script
    // answers "true". Only dotted identifiers are called.
    bool jsCall(const std::string& function, const std::string& category, const std::string& callback);

    // Keeps the request in the pool ("shareToZZ_Request"); a SendMessageToZZReq
    // goes on as a type-5 message, any other request answers "-1".
    std::string shareToZZ(const std::shared_ptr<ZZBaseReq>& request);
    // Keeps the message in the pool ("shareToZZ_Message", where the
    // "nativeApi" module finds it) and hands the scripts' share function
    // its share dictionary (shareDictionary()).
    std::string shareMessageToZZ(const std::shared_ptr<ZZApiMessage>& message);
    // The message as the scripts' share function takes it: texts (empty when
    // missing), "isUrlObject" "YES"/"NO", "message_type", "object_type" (the
    // object's class), "platform" "ios", "shareType" 1 for type 7 else 0,
    // "cflag"; pictures and files are parked in CorvanaDataMgr, the key under
    // "key_ImageDataArray".
    static pf::DictionaryRef shareDictionary(const ZZApiMessage& message);

private:
    CVOSDKJSBridge() = default;
    bool load(const std::string& url, std::weak_ptr<pf::WebViewDelegate> delegate);
    std::string call(const std::string& path, const std::vector<pf::Value>& arguments);

    std::shared_ptr<pf::WebView> m_webView;
    std::shared_ptr<JsUpdateManager> m_updateManager;
    std::shared_ptr<CorvanaJSRunEnv> m_runEnv;
    pf::DictionaryRef m_modulePool;
};
