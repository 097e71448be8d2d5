#pragma once

// The share model's facade: registers the application's ZZ Connect identity
// and its plugin (ZZApiDatastore.h), checks a message against the share
// limits before it goes to ZZ, turns an incoming URL back into a message,
// and tells which of ZZ's URL interfaces are installed. Sending is done by
// the SDK's scripts; sendMessage is empty here. Every check failure is
// logged through ZZApiLog.
//
// Limits (characters are UTF-16 units): title at most 128 (required for
// URL messages), description at most 512, preview image at most 1 MiB, URL
// required and at most 512 characters; an image or file object's data at
// most 5 MiB (the large-data check of the script module).
//
// Main queue only.

#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <vector>

class ZZApiInterfaceDelegate;
class ZZApiMessage;

class ZZApi {
public:
    static constexpr std::size_t kMaxTitleLength = 128;
    static constexpr std::size_t kMaxDescriptionLength = 512;
    static constexpr std::size_t kMaxPreviewSize = 1048576;
    static constexpr std::size_t kMaxURLLength = 512;
    static constexpr std::size_t kMaxDataSize = 5242880;
    // The ZZ app's store page, under the AppStore server row.
    static constexpr const char* kInstallPath = "/cn/app/id444934666";

    static void registerZZConnectOpenId(std::optional<std::string> openId);
    static void registerZZConnectAppId(std::optional<std::string> appId);
    // Registers this application's plugin metadata (scheme, bundle
    // identifier, version, display name, up to two icons) on the shared
    // registry and keeps the id as the datastore's scheme.
    static void registerPluginWithId(const std::string& pluginId);
    // The first failing limit is logged and answers false.
    static bool checkZZApiURLMessage(const std::shared_ptr<ZZApiMessage>& message);
    static int sendMessage(const std::shared_ptr<ZZApiMessage>&) { return 0; }
    static std::shared_ptr<ZZApiMessage> handleOpenURL(const pf::URL& url);
    static std::optional<std::vector<pf::Value>> getAdItemArray();
    static bool isZZInstalled();
    static bool isZZSupportApi();
    static bool isZZSupportApiForWallet();
    static bool isZZSupportApiForWPA();
    static std::string getZZInstallURL();
    // Opens "mzz://sourceScheme=<scheme>"; false when ZZ could not be opened.
    static bool openZZApp();
    // Whether the dictionary's "url" text is a URL some app answers.
    static bool appCanOpenURL(const pf::Dictionary& parameters);
    // Starts the online-status task (ZZApiTaskGetZZUinOnlineStatues.h) on a
    // later turn of the main loop.
    static void getZZUinOnlineStatues(std::vector<std::string> uins, std::weak_ptr<ZZApiInterfaceDelegate> delegate);
};
