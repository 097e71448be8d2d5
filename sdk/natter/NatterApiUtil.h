#pragma once

// Property-list coding and the URL questions of the Natter SDK. Main queue
// for the URL operations; the coding is any thread.

#include "platform/foundation/Forward.h"

#include <optional>
#include <string>

class NatterApiUtil {
public:
    // A property list of either form under `maxSize`; nothing otherwise.
    static std::optional<pf::Value> propertyListFromData(const pf::Bytes& data, std::size_t maxSize);
    // The binary form; nothing for values it cannot hold.
    static std::optional<pf::Bytes> dataFromPropertyList(const pf::Value& value);
    // A screen of exactly scale 2.
    static bool is2xScreen();
    // "natapp://app/<appid>/".
    static std::string getNatterUrl(const std::string& appID) { return "natapp://app/" + appID + "/"; }
    // "<appid>://".
    static std::string getAppUrl(const std::string& appID) { return appID + "://"; }
    static bool isAppOpenUrl(const std::string& url, const std::string& appID);
    static bool isAppInstalled(const std::string& url);
    static bool launchApp(const std::string& url);
    static bool isNTAppSupportApi() { return isAppInstalled("natter://"); }
    // "version" on "natter_sdk_infomation", else "1.0" when "natter://"
    // opens, else "".
    static std::string getSDKVersion();
};
