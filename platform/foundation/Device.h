#pragma once

// The device the application believes it runs on. Several parts of the system
// branch on the kind of device, the system version and the screen size; on
// Linux these are one configurable value (ZMR_DEVICE="iPhone5,7.0" style or a
// test's setCurrent).

#include <optional>
#include <string>

namespace pf {

enum class DeviceKind { iPhone, iPhone5, iPad };

// Physical orientations of the device. The four upright ones share their
// numbers with the interface orientations that keep the content upright
// (a device turned landscape-left shows landscape-right content).
namespace DeviceOrientation {
constexpr int Unknown = 0, Portrait = 1, PortraitUpsideDown = 2, LandscapeLeft = 3, LandscapeRight = 4, FaceUp = 5,
              FaceDown = 6;
}

// Posted (object: none) on the default notification centre when the
// device's orientation changes (pf::Application::setDeviceOrientation).
inline constexpr const char* DeviceOrientationDidChangeNotification = "UIDeviceOrientationDidChangeNotification";

struct DeviceProfile {
    DeviceKind kind = DeviceKind::iPhone5;
    std::string systemName = "iPhone OS";
    std::string systemVersion = "7.0";
    double screenWidth = 320;  // points
    double screenHeight = 568; // points
    double scale = 2;
    std::string name = "Zomaru Linux";
    std::string model = "iPhone";
    std::optional<std::string> vendorIdentifier;
    // Whether applications keep running while another is in front, so that
    // switching to a peer app and back can work; tests turn it off.
    bool multitaskingSupported = true;

    bool isPad() const { return kind == DeviceKind::iPad; }
    // The leading number of the system version ("7.0.3" reads 7.0).
    double systemVersionNumber() const;

    static const DeviceProfile& current();
    static void setCurrent(const DeviceProfile& profile);
    // Reads "kind,version[,width,height,scale]" ("iPad,6.1"); null for bad text.
    static std::optional<DeviceProfile> parse(const std::string& text);
};

}
