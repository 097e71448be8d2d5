#pragma once

// Login and share commands to the ZZ and Plaza apps, and their answers. A
// command's payload is archived into a pasteboard slot (a uniquely named
// board, or the general board under a type of our vendor prefix and an app
// scheme); the app is opened by a URL of its scheme naming our callback
// scheme ("corvana<app id>") and the slot; it answers by opening our scheme,
// its answer lying in the same slot.
//
// Answers come from another program and are read as untrusted: URLs over
// kMaxURLLength, slots over kMaxSlotSize, a query that does not decode to
// UTF-8 and archives that are not dictionaries of texts (with
// "response_data" only an APIResponse archive) are refused. A login answer
// counts once, and only while a login is pending (its payload stored and no
// answer read from that slot yet); the slot is cleared once read. Tokens are
// set all together or not at all.
//
// Class methods only; main thread. The session, its delegate and the login
// delegate are not retained.

#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <string>

class CorvanaJSObject;
class CorvanaOAuth;
class CorvanaSessionDelegate;

class OpenApi {
public:
    static constexpr std::size_t kMaxURLLength = 64 * 1024;
    static constexpr std::size_t kMaxSlotSize = 1 << 20;
    static constexpr const char* kDataType = "pzappDataType";
    // Seconds since 1970 of the distant future (year 4001).
    static constexpr double kDistantFuture = 64092211200.0;

    static bool registerApp(const std::string& appId);
    static bool registerApp(const std::string& appId, std::weak_ptr<CorvanaSessionDelegate> delegate,
                            std::weak_ptr<CorvanaOAuth> oldApi);
    static void clearParam();
    static const std::string& appScheme();

    static bool handleOpenURL(const pf::URL& url);
    static bool canHandleOpenURL(const pf::URL& url);
    // Whether the system can open the URL.
    static bool canParseURL(const pf::URL& url);
    static bool canParseApplicationUrlStr(const std::string& url);

    static int zzVersion();
    static int plazaVersion();
    static bool isPlazaInstalled();
    static bool isSupportGeneralPastboard();
    static bool isPlazaSupportGeneralPastboard();
    // What this transport speaks; there is no install page to offer.
    static std::string getPlazaInstallUrl() { return std::string(); }
    static std::string getSupportingMaxApiVersion() { return "10.0"; }
    static std::string getApiVersion() { return "1.1"; }

    // Slots: each save is remembered as the last slot.
    static std::optional<std::string> saveDictionary(const pf::DictionaryRef& payload);
    static std::optional<std::string> saveDictionaryByGeneralPastboard(const pf::DictionaryRef& payload);
    static std::optional<std::string> saveDictionaryByGeneralPastboardWithSchema(const pf::DictionaryRef& payload,
                                                                                 const std::string& appSchema);
    // The answer in a slot, taken out of it; null when missing or refused.
    static pf::DictionaryRef getDictionaryFromPasteBoard(const std::string& name);
    static pf::DictionaryRef getDictionaryFromGeneralPasteBoard(const std::string& type);
    // The scripts' login payloads (their "permission", "appid",
    // "ResponseType", "jsVersion", "bundleId", and the SDK information); the
    // slot then waits for the login's answer.
    static std::optional<std::string> JS_saveDictionary(const pf::DictionaryRef& params);
    static std::optional<std::string> JS_saveDictionaryByGeneralPastboardWithSchema(const pf::DictionaryRef& params);
    // The query behind the first `separator`: pieces of exactly one "=" with a
    // non-empty name, both sides percent-decoded; null when a piece does not
    // decode to UTF-8 (the whole text is refused).
    static pf::DictionaryRef dictionaryByParseUrlFromSeparator(const std::string& url, std::string_view separator);

    static bool openZZWithCommand(int command, const pf::DictionaryRef& payload);
    static bool openPlazaWithCommandStr(const std::string& command, const pf::DictionaryRef& payload);
    // The command number goes into the URL unsigned, as the Plaza app reads
    // it; the board name is not used (the payload takes a slot of its own).
    static bool openPlazaWithCommand(int command, const std::string& pasteBoardName, const pf::DictionaryRef& payload);
    // Brings the Plaza app up on our scheme, with no command; false when it
    // is not installed or would not open.
    static bool openPlaza();
    static bool sendCommandToPlaza(const std::string& command, const pf::DictionaryRef& payload);
    static bool shareWithPlazaWithData(const pf::DictionaryRef& payload);
    static bool niceAuthorizeWithPermission(const std::string& permissions,
                                            std::weak_ptr<CorvanaSessionDelegate> delegate, bool firstCall,
                                            const std::string& appId);
    static bool authorizeWithPermission(const std::string&, std::weak_ptr<CorvanaSessionDelegate>, bool)
    {
        return false;
    }
    // The scripts' app-switch login: "true" or "false".
    static std::string sendCommandToZZWith(const pf::DictionaryRef& params);
    static std::string sendCommandToPlazaWith(const pf::DictionaryRef& params);

    // An answer whose path is not "/<scheme>/<command>": processMessage
    // offers it to the legacy session; processMessageCallByOAuth, which the
    // session's scripts call, answers false at once, since offering it back
    // to the scripts would loop.
    static bool processMessage(const pf::URL& url);
    static bool processMessageCallByOAuth(const pf::URL& url, const std::shared_ptr<CorvanaOAuth>& handler);

    static int js_getSystemOSVersion();
    static std::string appName();
    // Percent-escapes what may not stand in a URL (blanks, "%", non-ASCII).
    static std::string addPercentEscapes(std::string_view text);

    // The script modules "openApi" and "openapi".
    static std::shared_ptr<CorvanaJSObject> openApiModule();
    static std::shared_ptr<CorvanaJSObject> openapiModule();

    // Forgets the registration, the last slot and any pending login.
    static void resetForTesting();
};
