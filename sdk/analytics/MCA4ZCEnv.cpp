#include "sdk/analytics/MCA4ZCEnv.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/UserDefaults.h"
#include "sdk/analytics/MCA4ZCVersion.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <sys/utsname.h>
#include <unistd.h>

namespace {

std::string languageFromEnvironment()
{
    const char* lang = std::getenv("LANG");
    std::string text = lang ? lang : "";
    text = text.substr(0, text.find_first_of(".@"));
    if (text.empty() || text == "C" || text == "POSIX")
        return "en";
    for (char& c : text)
        if (c == '_')
            c = '-';
    return text;
}

}

std::string mca4zcTimeZoneName()
{
    if (const char* tz = std::getenv("TZ"); tz && *tz)
        return tz[0] == ':' ? std::string(tz + 1) : std::string(tz);
    char target[PATH_MAX];
    ssize_t n = readlink("/etc/localtime", target, sizeof target - 1);
    if (n > 0) {
        std::string path(target, static_cast<std::size_t>(n));
        auto at = path.find("zoneinfo/");
        if (at != std::string::npos)
            return path.substr(at + 9);
    }
    return "UTC";
}

MCA4ZCEnv MCA4ZCEnv::read(std::string deviceid)
{
    MCA4ZCEnv env;
    const pf::DeviceProfile& device = pf::DeviceProfile::current();
    env.deviceid = std::move(deviceid);
    char text[64];
    std::snprintf(text, sizeof text, "%.fx%.f", device.screenWidth * device.scale, device.screenHeight * device.scale);
    env.resolution = text;
    if (device.systemVersionNumber() >= 6.0)
        env.ifv = device.vendorIdentifier;
    pf::Value languages = pf::UserDefaults::standard().objectForKey("AppleLanguages");
    auto list = languages.array();
    if (list && list->count() > 0 && list->at(0).isString())
        env.language = *list->at(0).string();
    else
        env.language = languageFromEnvironment();
    env.os_version = device.systemVersion;
    env.modulename = device.model;
    env.platform = device.systemName;
    utsname names{};
    if (uname(&names) == 0)
        env.devicename = names.machine;
    env.sdk_version = kMCA4ZCSDKVersion;
    auto bundle = pf::Bundle::main();
    pf::DictionaryRef info = bundle ? bundle->infoDictionary() : nullptr;
    pf::Value shortVersion = info ? info->get("CFBundleShortVersionString") : pf::Value();
    pf::Value version = info ? info->get("CFBundleVersion") : pf::Value();
    env.app_version = shortVersion.isString() ? *shortVersion.string()
                      : version.isString()    ? *version.string()
                                              : "unknown";
    env.timezone = mca4zcTimeZoneName();
    return env;
}
