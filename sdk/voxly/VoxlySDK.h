#pragma once

// The entry of the Voxly client SDK: class functions only. The app
// registers its app key once at launch, sends requests (an authorisation
// to sign in) and hands every incoming URL whose scheme begins with "vx"
// to handleOpenURL, whose delegate receives the answers.
//
// A request goes to the installed Voxly app (its board plus a wake-up
// URL), to the web authorisation dialog when the app is missing or too old
// (an authorisation), to the install question, or back to the caller at
// once as "not supported" (-99), as the probes decide.
//
// Answers are trusted no further than this: a response reaches the
// delegate only when its requestID names a request this process sent and
// has not yet seen answered; URLs over kMaxURLLength and values with bad
// escapes are ignored.
//
// Where the Voxly servers are is a setting (Settings): every origin and
// page defaults to a reserved ".example" host until the program or a test
// points it elsewhere.
//
// Main queue only, except the completions of the two HTTP calls, which run
// on a worker thread of the SDK's operation queue.

#include "platform/foundation/Error.h"
#include "platform/foundation/Forward.h"
#include "sdk/voxly/Forward.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pf {
class Pasteboard;
class URL;
}

class VoxlySDKDelegate {
public:
    virtual ~VoxlySDKDelegate() = default;
    virtual void didReceiveVoxlyRequest(const std::shared_ptr<VXBaseRequest>& request) = 0;
    virtual void didReceiveVoxlyResponse(const std::shared_ptr<VXBaseResponse>& response) = 0;
};

// The in-app web authorisation dialog, as the facade drives it: made for
// one authorisation request, shown at once, hidden once it has answered.
class VXAuthorizeDialog {
public:
    virtual ~VXAuthorizeDialog() = default;
    virtual void show() = 0;
    virtual void hide() = 0;
};

class VoxlySDK {
public:
    static constexpr long long kUnsupportedStatusCode = -99;
    static constexpr long long kUserCancelInstallStatusCode = -4;
    static constexpr std::size_t kMaxURLLength = 64 * 1024;

    struct Settings {
        // The OAuth endpoint's origin (authorisation page, revocation).
        std::string webAuthorizeHost = "https://open.voxly.example";
        // The API endpoint's origin (invitation).
        std::string apiHost = "https://api.voxly.example";
        std::string appStoreURL = "https://apps.voxly.example/app/voxly";
        std::string downloadURL = "http://download.voxly.example/voxly";
        // The Voxly app's bundle identifier, the source of local answers.
        std::string voxlyBundleIdentifier = "example.voxly.app";
    };
    static const Settings& settings();
    static void setSettings(Settings settings);
    // Points the OAuth and API origins at one server (a local stand-in).
    static void setServerOrigin(const std::string& origin);

    static bool registerApp(const std::optional<std::string>& appKey);
    static bool registerAppWithAppKey(const std::optional<std::string>& appKey);
    static bool unregisterApp() { return true; }
    static std::optional<std::string> registeredAppKey();
    static bool isVoxlyAppInstalled();
    static bool openVoxlyApp();
    static std::string getVoxlyAppInstallUrl() { return settings().appStoreURL; }
    // "2.1" when the SDK scheme opens, "1.0" with only the app's own, else none.
    static std::optional<std::string> getVoxlyAppSupportMaxSDKVersion();
    static std::optional<std::string> deprecatedVoxlyAppSupportMaxSDKVersion();
    static std::string getSDKVersion() { return "2.2"; }
    static void enableDebugMode(bool enabled);
    static std::string hashKey() { return "7c1e9a04d2b65f83e0a4c9d17b2f6e58"; }
    static std::string registedAppsPasteboardName() { return "voxlysdk_registed_apps"; }
    static std::string webAuthorizeURL() { return settings().webAuthorizeHost + "/oauth2/authorize"; }

    static bool sendRequest(const std::shared_ptr<VXBaseRequest>& request);
    static bool sendResponse(const std::shared_ptr<VXBaseResponse>& response);
    static bool openAppWithTransferObject(const std::shared_ptr<VXDataTransferObject>& object);
    static bool handleOpenURL(const pf::URL& url, const std::shared_ptr<VoxlySDKDelegate>& delegate);

    // The HTTP calls; the delegate hears of the outcome on a worker thread.
    static void logOutWithToken(const std::string& accessToken, std::weak_ptr<VoxlySDKRequestDelegate> delegate);
    static void inviteFriend(const std::string& text, const std::string& uid, const std::string& accessToken,
                             std::weak_ptr<VoxlySDKRequestDelegate> delegate);

    // URL helpers. Parameters keep their order; values are escaped.
    static std::optional<std::string> serializeURLString(const std::optional<std::string>& base,
                                                         const std::vector<std::pair<std::string, std::string>>& params);
    // The value of the first `name` after "?", "&", "#" or at the very start
    // (ignoring case), unescaped; none when there is no such name or its
    // value does not unescape to UTF-8 (a later one is never read instead).
    static std::optional<std::string> queryValueWithName(std::string name, const std::string& urlString);
    // Pieces split at "&" or ";" that are exactly key=value, both decoded (a
    // piece that is not UTF-8 then is passed over); later keys win.
    static pf::DictionaryRef queryDictionaryOfURLQuery(const std::string& query);
    // Every character but the unreserved ones, as UTF-8 escapes.
    static std::string escapeQueryValue(const std::string& value);

    // Boards: the named one where private boards exist, else the general board.
    static bool canAccessPrivatePasteboard();
    static std::shared_ptr<pf::Pasteboard> pasteboardWithName(const std::string& name, bool create);
    // Without private boards, clears the general board only while it holds
    // a Voxly transfer.
    static void removePasteboardWithName(const std::string& name);

    // Hands a locally made response to the app's own URL handler, later, on
    // the main queue.
    static void directlySendResponseToCurrentApp(const std::shared_ptr<VXBaseResponse>& response);
    static void didReceiveAuthorizeResponse(const std::shared_ptr<VXBaseResponse>& response,
                                            const std::shared_ptr<VXAuthorizeDialog>& dialog);
    // A received request that failed validation: -99 to the Voxly app after 0.5 s.
    static void didReceiveUnSupportedRequest(const std::shared_ptr<VXBaseRequest>& request);
    static void didReceiveUnSupportedResponse(const std::shared_ptr<VXBaseResponse>&) {}

    // The web dialog maker; without one an authorisation that needs the
    // dialog fails (NO).
    using AuthorizeDialogFactory = std::function<std::shared_ptr<VXAuthorizeDialog>(std::shared_ptr<VXAuthorizeRequest>)>;
    static void setAuthorizeDialogFactory(AuthorizeDialogFactory factory);

    // The user information of a request sent without private boards, taken
    // once by the response that answers it.
    static pf::DictionaryRef takeCachedUserInfo(const std::string& requestID);
    // Forgets the key, the cache and the requests awaiting answers (tests).
    static void resetForTesting();
};
