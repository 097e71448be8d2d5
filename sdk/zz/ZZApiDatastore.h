#pragma once

// The share model's state for this process: the plugin scheme, app id, open
// id and display name, and four values kept on persistent boards shared
// with the ZZ app (ZZPasteboard.h). The boards' names are kPasteboardPrefix
// followed by their own ending; the ZZ app (and tools/zzapp) use the same.
// Reads cap at 1 MiB for the registry and ad items and 16 MiB for the API
// message and large data.
//
// Main queue only.

#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <vector>

class ZZApiAdItem;
class ZZArrayPasteboard;
class ZZObjectPasteboard;
class ZZPluginMetadata;

class ZZApiDatastore {
public:
    static constexpr const char* kPasteboardPrefix = "com.zz.mobile.";
    static constexpr const char* kRegistryBoard = "com.zz.mobile.mzz.api.registerAppPlugin";
    static constexpr const char* kAdItemsBoard = "com.zz.mobile.mzz.api.aditems";
    static constexpr const char* kApiMessageBoard = "com.zz.mobile.mzz.api.apiMessage";
    static constexpr const char* kLargeDataBoard = "com.zz.mobile.mzz.api.apiLargeData";

    static ZZApiDatastore& instance();

    // Replaces the registry entry of the same bundle identifier, or adds
    // one; entries that are no plugin metadata, or have no bundle
    // identifier, match nothing. -1 for no metadata or a registry that
    // cannot be changed (left as it was); 0 otherwise.
    int registerWithMetadata(const std::shared_ptr<ZZPluginMetadata>& metadata);
    // Replaces the ad items (none for an empty list); -1 when the board
    // cannot be changed.
    int setAdItemArray(const std::vector<std::shared_ptr<ZZApiAdItem>>& items);
    // The stored entries (a bad one is Value::null()); nothing when none.
    std::optional<std::vector<pf::Value>> getAdItemArray() const;
    // Nil clears. -1 when it could not be stored.
    int setApiMessage(const pf::Value& message);
    pf::Value getApiMessage() const;
    void clearApiMessage();
    // Nil clears; otherwise onto the general board when ZZ reads it there
    // (isZZSupportApiGeneralPastboard), else onto the named board.
    int setApiLargeData(const pf::Value& largeData);
    pf::Value getApiLargeData() const;
    pf::Value getApiLargeDataByGeneralPastboard() const;
    void clearApiLargeData();
    // ZZ answers "mzzopensdkapiV2://".
    bool isZZSupportApiGeneralPastboard() const;

    const std::optional<std::string>& scheme() const { return m_scheme; }
    void setScheme(std::optional<std::string> scheme) { m_scheme = std::move(scheme); }
    const std::optional<std::string>& appId() const { return m_appId; }
    void setAppId(std::optional<std::string> appId) { m_appId = std::move(appId); }
    const std::optional<std::string>& openId() const { return m_openId; }
    void setOpenId(std::optional<std::string> openId) { m_openId = std::move(openId); }
    const std::optional<std::string>& appName() const { return m_appName; }
    void setAppName(std::optional<std::string> name) { m_appName = std::move(name); }

private:
    std::shared_ptr<ZZArrayPasteboard> registry() const;
    std::shared_ptr<ZZArrayPasteboard> adItems() const;
    std::shared_ptr<ZZObjectPasteboard> apiMessage() const;
    std::shared_ptr<ZZObjectPasteboard> largeData() const;

    std::optional<std::string> m_scheme;
    std::optional<std::string> m_appId;
    std::optional<std::string> m_openId;
    std::optional<std::string> m_appName;
};
