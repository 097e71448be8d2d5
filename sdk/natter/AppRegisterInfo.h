#pragma once

// The record Natter keeps of an app registered with it. Nothing in this
// app makes one; it is read and written in Natter's own archive form, whose
// keys (and their order) Natter's side expects: "added", "appID",
// "appIdentifier", "appName", "appName4ZhTw", "appName4EnUs",
// "description", "description4EnUs", "description4ZhTw", "appurl",
// "needUpdateInfo", "needUpdateIcon", "needUpdateWaterMark", "appInfoVer",
// "appiconurl", "appwatermarkurl", "lastUpdateInfoTime",
// "lastUpdateWatermarkTime", "lastUpdateIconTime". Missing texts are left
// out; a field of the wrong type reads as unset.
//
// A plain value; any thread.

#include "platform/foundation/Forward.h"

#include <cstdint>
#include <optional>
#include <string>

struct AppRegisterInfo {
    bool appAddedByUser = false;
    std::optional<std::string> appID;
    std::optional<std::string> appIdentifier;
    std::optional<std::string> appName;
    std::optional<std::string> appName4ZhTw;
    std::optional<std::string> appName4EnUs;
    std::optional<std::string> appDescription;
    std::optional<std::string> description4EnUs;
    std::optional<std::string> description4ZhTw;
    std::optional<std::string> appInstallUrl;
    bool needUpdateInfo = false;
    bool needUpdateIcon = false;
    bool needUpdateWaterMark = false;
    std::uint64_t appInfoVer = 0;
    std::optional<std::string> appIconUrl;
    std::optional<std::string> appWaterMarkUrl;
    std::uint64_t lastUpdateInfoTime = 0;
    std::uint64_t lastUpdateWatermarkTime = 0;
    std::uint64_t lastUpdateIconTime = 0;

    // "{ name:<appName> appid:<appID>}", "(null)" for a missing one.
    std::string description() const;

    pf::DictionaryRef encode() const;
    static AppRegisterInfo decode(const pf::Dictionary& fields);
    std::optional<pf::Bytes> archivedData() const;
    // Nothing when the data is not such an archive (or over the archive cap).
    static std::optional<AppRegisterInfo> unarchive(const pf::Bytes& data);

    bool operator==(const AppRegisterInfo&) const = default;
};
