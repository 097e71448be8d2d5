#pragma once

// The SDK's toolbox: the SDK information sent with every request, the device
// model, URL-scheme registration in the information dictionary, random keys
// and call counters, and the reversible XOR transform of the access token
// that the browser login uses. Main queue, except SDKInfo and
// CVOSDKdeviceMachine, which any thread may call.

#include "platform/foundation/Forward.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Forward.h"

#include <optional>
#include <string>
#include <vector>

class CvApiTool {
public:
    static const char* const kSDKVersion;  // "2.0.1"
    static const char* const kSDKPlatform; // "i"

    // {"sdkv", "sdkp", "status_os", "status_machine", "status_version"}.
    static pf::DictionaryRef SDKInfo();
    // The kernel's machine name; "i386" when it has none.
    static std::string CVOSDKdeviceMachine();
    static float systemVersion();

    // Whether a "CFBundleURLTypes" entry of the main bundle's information
    // dictionary lists the scheme under "CFBundleURLSchemes".
    static bool isRegistSchemeInfoPlistFile(const std::optional<std::string>& scheme);
    // "YES" or "NO" for the dictionary's "appSchema"; nil without one.
    static std::optional<std::string> jsIsRegistSchemeInfoPlistFile(const pf::Value& params);
    // The information dictionary's "corvanaSDKResource" dictionary, or null.
    static pf::DictionaryRef getAppDefinePath();

    // Sixteen lower-case hexadecimal digits from the system's random source.
    static std::string random16Str();
    // "1", "2", ... for this process.
    static std::string seq();

    // The value of exactly two hexadecimal digits (either case); nothing for
    // any other text.
    static std::optional<int> NSString16toNSNumber(std::string_view pair);
    // Each UTF-16 unit of the text XORed with the key's unit at the same
    // position (the key repeating), in lower-case hexadecimal, two digits
    // where the result is below 256. Nil without a key.
    static std::optional<std::string> encryAccessToken(const std::optional<std::string>& text,
                                                       const std::optional<std::string>& key);
    // The inverse for results below 256: nil without a key, for an odd length
    // or for a pair that is not two hexadecimal digits.
    static std::optional<std::string> decodeAccessToken(const std::optional<std::string>& text,
                                                        const std::optional<std::string>& key);

    // The URL with its query parameters, as URLTools builds it.
    static std::optional<std::string> GetURLWithParam(const std::optional<std::string>& url,
                                                      const pf::DictionaryRef& params);

    // No corner of the frame lies inside the screen's bounds: the window is
    // out of sight already, so it stays where it is while an SDK page or
    // screen shows (a window larger than the screen counts as out too).
    static bool isWindowOffScreen(const pf::Rect& frame);
    // Moves every shown window but the kept ones one screen width to the
    // right (out) or back to the left (into), over 0.3 s with animation.
    // Windows at status-bar level or above (the status bar, keyboards,
    // alerts) never move.
    static void MoveAllWindowOutOfScreen(const std::vector<pf::WindowRef>& keep, bool animation);
    static void MoveAllWindowIntoScreen(const std::vector<pf::WindowRef>& keep, bool animation);
    // Animates the window to the frame when animationId is 0; other ids
    // animate nothing.
    static void MoveWindowAnimation(const pf::WindowRef& window, int animationId, const pf::Rect& rect,
                                    double timeInterVal);
};
