#pragma once

// Names of the application life-cycle notifications, posted on the default
// notification centre as the application changes state. Nothing posts them
// yet apart from tests; the application's start-up code will.

namespace pf {

inline constexpr const char* ApplicationWillResignActiveNotification = "UIApplicationWillResignActiveNotification";
inline constexpr const char* ApplicationDidEnterBackgroundNotification = "UIApplicationDidEnterBackgroundNotification";
inline constexpr const char* ApplicationWillEnterForegroundNotification = "UIApplicationWillEnterForegroundNotification";
inline constexpr const char* ApplicationDidBecomeActiveNotification = "UIApplicationDidBecomeActiveNotification";
inline constexpr const char* ApplicationWillTerminateNotification = "UIApplicationWillTerminateNotification";

}
