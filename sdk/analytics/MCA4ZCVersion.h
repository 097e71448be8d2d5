#pragma once

// The collector's version: sent as "sv" and compared with "__HIBERNATE__".
inline constexpr const char* kMCA4ZCSDKVersion = "0.5.5";
