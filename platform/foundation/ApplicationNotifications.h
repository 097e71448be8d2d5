#pragma once

// Names of the application life-cycle notifications, posted on the default
// notification centre as the application changes state (pf::Application in
// platform/ui posts them; nothing posts the termination one, since the
// program has no shutdown step).

namespace pf {

inline constexpr const char* ApplicationWillResignActiveNotification = "UIApplicationWillResignActiveNotification";
inline constexpr const char* ApplicationDidEnterBackgroundNotification = "UIApplicationDidEnterBackgroundNotification";
inline constexpr const char* ApplicationWillEnterForegroundNotification = "UIApplicationWillEnterForegroundNotification";
inline constexpr const char* ApplicationDidBecomeActiveNotification = "UIApplicationDidBecomeActiveNotification";
inline constexpr const char* ApplicationWillTerminateNotification = "UIApplicationWillTerminateNotification";

}
