#pragma once

// The description of the calling app that travels with every Voxly message
// ("app" item) and sits on the registered-apps board: display name, app
// key, bundle identifier and icon bytes. A plain value; any thread.

#include "platform/foundation/Forward.h"

#include <memory>
#include <optional>
#include <string>

class VoxlySDK3rdApp {
public:
    // Built anew from the main bundle on each call, with the registered key.
    static std::shared_ptr<VoxlySDK3rdApp> currentApp();

    static pf::DictionaryRef dictionaryWithApp(const VoxlySDK3rdApp& app);
    // Fields of another type than their own read as absent.
    static std::shared_ptr<VoxlySDK3rdApp> appWithDictionary(const pf::Dictionary& dictionary);

    // The same app key and bundle identifier.
    bool isEqual(const VoxlySDK3rdApp& other) const;
    // "vx<appkey>://".
    std::string callbackScheme() const { return callbackSchemeWithAppKey(appKey.value_or("")); }
    static std::string callbackSchemeWithAppKey(const std::string& appKey) { return "vx" + appKey + "://"; }
    static const char* callbackSchemePrefix() { return "vx"; }
    // Whether some installed app answers the callback scheme; NO without a key.
    bool isAppInstalled() const;

    std::optional<std::string> name;
    std::optional<std::string> appKey;
    std::optional<std::string> bundleID;
    std::optional<pf::Bytes> iconData;
};
