#include "platform/foundation/Device.h"

#include <cstdlib>
#include <mutex>
#include <sstream>
#include <vector>

namespace pf {

namespace {

std::mutex g_mutex; // guards g_profile

DeviceProfile initialProfile()
{
    if (const char* env = std::getenv("ZMR_DEVICE"))
        if (auto parsed = DeviceProfile::parse(env))
            return *parsed;
    return DeviceProfile{};
}

DeviceProfile& profile()
{
    static DeviceProfile p = initialProfile();
    return p;
}

}

double DeviceProfile::systemVersionNumber() const { return std::strtod(systemVersion.c_str(), nullptr); }

const DeviceProfile& DeviceProfile::current()
{
    std::lock_guard lock(g_mutex);
    return profile();
}

void DeviceProfile::setCurrent(const DeviceProfile& p)
{
    std::lock_guard lock(g_mutex);
    profile() = p;
}

std::optional<DeviceProfile> DeviceProfile::parse(const std::string& text)
{
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, ',');)
        parts.push_back(part);
    if (parts.size() < 2)
        return std::nullopt;
    DeviceProfile p;
    if (parts[0] == "iPhone") {
        p.kind = DeviceKind::iPhone;
        p.screenHeight = 480;
    } else if (parts[0] == "iPhone5") {
        p.kind = DeviceKind::iPhone5;
    } else if (parts[0] == "iPad") {
        p.kind = DeviceKind::iPad;
        p.model = "iPad";
        p.screenWidth = 768;
        p.screenHeight = 1024;
    } else {
        return std::nullopt;
    }
    p.systemVersion = parts[1];
    if (parts.size() >= 5) {
        char* end = nullptr;
        double w = std::strtod(parts[2].c_str(), &end);
        double h = std::strtod(parts[3].c_str(), &end);
        double s = std::strtod(parts[4].c_str(), &end);
        if (!(w > 0 && h > 0 && s > 0))
            return std::nullopt;
        p.screenWidth = w;
        p.screenHeight = h;
        p.scale = s;
    }
    return p;
}

}
