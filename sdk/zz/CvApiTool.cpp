#include "sdk/zz/CvApiTool.h"

#include "sdk/zz/URLTools.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/Text.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sys/random.h>
#include <sys/utsname.h>

const char* const CvApiTool::kSDKVersion = "2.0.1";
const char* const CvApiTool::kSDKPlatform = "i";

namespace {

void moveWindows(const std::vector<pf::WindowRef>& keep, bool animation, double direction)
{
    double width = pf::Screen::main().bounds().size.width;
    std::vector<pf::WindowRef> windows = pf::Screen::main().windows(); // the screen's list may change under us
    for (const auto& window : windows) {
        if (window->windowLevel() >= pf::WindowLevel::StatusBar)
            continue;
        if (std::find(keep.begin(), keep.end(), window) != keep.end())
            continue;
        pf::Rect frame = window->frame();
        frame.origin.x += direction * width;
        if (animation)
            CvApiTool::MoveWindowAnimation(window, 0, frame, 0.3);
        else
            window->setFrame(frame);
    }
}

}

pf::DictionaryRef CvApiTool::SDKInfo()
{
    const auto& device = pf::DeviceProfile::current();
    char version[16];
    std::snprintf(version, sizeof version, "%d", static_cast<int>(device.systemVersionNumber()));
    return pf::Dictionary::create({
        { "sdkv", kSDKVersion },
        { "sdkp", kSDKPlatform },
        { "status_os", device.systemVersion },
        { "status_machine", CVOSDKdeviceMachine() },
        { "status_version", version },
    });
}

std::string CvApiTool::CVOSDKdeviceMachine()
{
    utsname name {};
    if (uname(&name) != 0 || !name.machine[0])
        return "i386";
    return name.machine;
}

float CvApiTool::systemVersion()
{
    return static_cast<float>(pf::DeviceProfile::current().systemVersionNumber());
}

bool CvApiTool::isRegistSchemeInfoPlistFile(const std::optional<std::string>& scheme)
{
    if (!scheme)
        return false;
    auto types = pf::Bundle::main()->infoDictionary()->array("CFBundleURLTypes");
    if (!types)
        return false;
    for (const auto& type : *types) {
        auto entry = type.dictionary();
        auto schemes = entry ? entry->array("CFBundleURLSchemes") : nullptr;
        if (!schemes)
            continue;
        for (const auto& listed : *schemes) {
            if (listed.string() && *listed.string() == *scheme)
                return true;
        }
    }
    return false;
}

std::optional<std::string> CvApiTool::jsIsRegistSchemeInfoPlistFile(const pf::Value& params)
{
    auto dictionary = params.dictionary();
    if (!dictionary || !dictionary->contains("appSchema"))
        return std::nullopt;
    return isRegistSchemeInfoPlistFile(dictionary->string("appSchema")) ? "YES" : "NO";
}

pf::DictionaryRef CvApiTool::getAppDefinePath()
{
    return pf::Bundle::main()->infoDictionary()->dictionary("corvanaSDKResource");
}

std::string CvApiTool::random16Str()
{
    std::uint8_t bytes[8] = {};
    std::size_t filled = 0;
    while (filled < sizeof bytes) {
        ssize_t n = getrandom(bytes + filled, sizeof bytes - filled, 0);
        if (n <= 0)
            std::abort(); // the kernel's random source never fails once the system is up
        filled += static_cast<std::size_t>(n);
    }
    std::string out;
    char digits[3];
    for (std::uint8_t byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        out += digits;
    }
    return out;
}

std::string CvApiTool::seq()
{
    static std::atomic<std::uint32_t> counter { 0 };
    return std::to_string(++counter);
}

std::optional<int> CvApiTool::NSString16toNSNumber(std::string_view pair)
{
    if (pair.size() != 2)
        return std::nullopt;
    int high = pf::hexDigitValue(pair[0]);
    int low = pf::hexDigitValue(pair[1]);
    if (high < 0 || low < 0)
        return std::nullopt;
    return high * 16 + low;
}

std::optional<std::string> CvApiTool::encryAccessToken(const std::optional<std::string>& text,
                                                       const std::optional<std::string>& key)
{
    if (!text || !key || key->empty())
        return std::nullopt;
    std::u16string units = pf::toUtf16(*text);
    std::u16string keyUnits = pf::toUtf16(*key);
    std::string out;
    char digits[8];
    for (std::size_t i = 0; i < units.size(); ++i) {
        unsigned value = units[i] ^ keyUnits[i % keyUnits.size()];
        std::snprintf(digits, sizeof digits, value < 16 ? "0%x" : "%x", value);
        out += digits;
    }
    return out;
}

std::optional<std::string> CvApiTool::decodeAccessToken(const std::optional<std::string>& text,
                                                        const std::optional<std::string>& key)
{
    if (!text || !key || key->empty() || text->size() % 2 != 0)
        return std::nullopt;
    std::u16string keyUnits = pf::toUtf16(*key);
    std::string out;
    for (std::size_t j = 0; j * 2 < text->size(); ++j) {
        auto byte = NSString16toNSNumber(std::string_view(*text).substr(j * 2, 2));
        if (!byte)
            return std::nullopt;
        pf::appendUtf8(out, static_cast<char32_t>((static_cast<unsigned>(*byte) ^ keyUnits[j % keyUnits.size()]) & 0xFF));
    }
    return out;
}

bool CvApiTool::isWindowOffScreen(const pf::Rect& frame)
{
    pf::Rect screen = pf::Screen::main().bounds();
    auto inside = [&](double x, double y) {
        return x >= screen.origin.x && y >= screen.origin.y && x < screen.origin.x + screen.size.width
            && y < screen.origin.y + screen.size.height;
    };
    double right = frame.origin.x + frame.size.width;
    double bottom = frame.origin.y + frame.size.height;
    return !(inside(frame.origin.x, frame.origin.y) || inside(right, frame.origin.y) || inside(frame.origin.x, bottom)
             || inside(right, bottom));
}

void CvApiTool::MoveAllWindowOutOfScreen(const std::vector<pf::WindowRef>& keep, bool animation)
{
    moveWindows(keep, animation, 1);
}

void CvApiTool::MoveAllWindowIntoScreen(const std::vector<pf::WindowRef>& keep, bool animation)
{
    moveWindows(keep, animation, -1);
}

void CvApiTool::MoveWindowAnimation(const pf::WindowRef& window, int animationId, const pf::Rect& rect,
                                    double timeInterVal)
{
    pf::View::animate(timeInterVal, [&] {
        if (animationId == 0)
            window->setFrame(rect);
    });
}

std::optional<std::string> CvApiTool::GetURLWithParam(const std::optional<std::string>& url,
                                                      const pf::DictionaryRef& params)
{
    return URLTools::GetURLWithParam(url, params);
}
