#pragma once

// The entry of the Natter client SDK: class functions only. With a Natter
// app id registered, the app asks whether Natter is there and takes the
// interface, sends a share (text, or a picture with title, description and
// thumbnail) to a friend or the timeline, and hands every incoming URL
// whose scheme is its app id to handleOpenURL, whose delegate hears
// Natter's requests and answers. Without an id every send is NO and
// isNTAppInstalled answers NO.
//
// A message travels as a record on the "natter_data" board (AppCommunicate)
// and the URL only wakes Natter. Registration publishes this app's entry on
// "natter_register" beside other apps' entries.
//
// Natter's answers are read as hostile input: URLs over kMaxURLLength are
// ignored, records go through AppCommunicateData's checks.
//
// Main queue only.

#include "platform/foundation/Forward.h"
#include "sdk/natter/Forward.h"

#include <memory>
#include <optional>
#include <string>

namespace pf {
class URL;
}

// Both optional: an app that does not care about one leaves it as it is.
class NTApiDelegate {
public:
    virtual ~NTApiDelegate() = default;
    virtual void onReq(const std::shared_ptr<BaseReq>&) {}
    virtual void onResp(const std::shared_ptr<BaseResp>&) {}
};

class NTApi {
public:
    static constexpr std::size_t kMaxURLLength = 64 * 1024;
    static constexpr std::size_t kMaxRegisterBoard = 4u << 20;

    static bool registerApp(const std::optional<std::string>& appID);
    static std::optional<std::string> registeredAppID();
    static bool isNTAppInstalled();
    static bool isNTAppSupportApi();
    static std::string getNTAppSupportMaxApiVersion();
    static std::string getApiVersion() { return "1.2"; }
    // The store page; a ".example" host until set.
    static std::string getNTAppInstallUrl();
    static void setNTAppInstallUrl(std::string url);
    static bool openNTApp();
    static bool returnNTApp() { return openNTApp(); }
    static bool sendReq(const std::shared_ptr<BaseReq>& request);
    static bool sendResp(const std::shared_ptr<BaseResp>& response);
    static bool handleOpenURL(const pf::URL& url, const std::shared_ptr<NTApiDelegate>& delegate);

    // The conversation account Natter last handed over (sent back with the
    // next message; cleared whenever Natter is opened).
    static std::optional<std::string> conversationAccount();
    // Forgets the id and the account (tests).
    static void resetForTesting();
};

// The entry of this app on "natter_register".
class MMApiRegister {
public:
    static std::string getRegisterPasteboardName() { return "natter_register"; }
    static bool registerApp(const std::optional<std::string>& appID);
    // "appIcon", "appIdentifier", "appName", "appID", each when known.
    static pf::DictionaryRef buildAppDictionary(const std::string& appID);
    // The path of the icon file for this screen: "<bundle folder>/<name>".
    static std::string getIconString();
};
