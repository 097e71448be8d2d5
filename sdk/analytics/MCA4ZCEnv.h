#pragma once

// The device and application values that events carry, read once per
// process: the device profile (resolution in pixels = points x scale),
// uname, the first "AppleLanguages" entry (from LANG when absent), the time
// zone name, the bundle's versions. Linux has no carrier ("op" is never
// sent) and no advertising identifier.

#include <optional>
#include <string>

struct MCA4ZCEnv {
    std::string deviceid;
    std::string resolution;
    std::optional<std::string> ifv;
    std::string language;
    std::optional<std::string> ifa;
    std::string os_version;
    std::string modulename;
    std::string platform;
    std::string devicename;
    std::string sdk_version;
    std::string app_version;
    std::string timezone;
    std::optional<std::string> mccmnc;

    // Reads the environment now; `deviceid` comes from the caller (the
    // device identifier store).
    static MCA4ZCEnv read(std::string deviceid);
};

// The zone's name: TZ when set (without a leading ':'), else the target of
// /etc/localtime below "zoneinfo/", else "UTC".
std::string mca4zcTimeZoneName();
