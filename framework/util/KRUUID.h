#pragma once

// The installation's identifier and a few questions about the network, as
// operations on the device. Any thread unless noted.

#include <optional>
#include <string>

// 32 upper-case hexadecimal digits, stable for this installation: derived
// from the device's vendor identifier when it has one, otherwise made once
// and kept in the user defaults under "krUniqueIdentifier".
std::string krUniqueIdentifier();

// "en0" is the phone's wireless interface; on Linux it names the one interface
// pf::systemInterfaceName picks (ZMR_NET_INTERFACE, else the first wireless,
// else the first up one), the same for all three answers below.
// The link-layer address of "en0" as 12 upper-case hexadecimal digits.
std::optional<std::string> MACAddress();
// The IPv4 address of "en0" in dotted form.
std::optional<std::string> WIFIAddress();

// Answers from the flags read by the previous refresh, then starts a new one
// in the background; the first call in a process therefore answers false.
bool isNetworkAvailable();
bool isActiveWWAN();
bool isActiveWLAN();
// Refreshes the stored flags in the background and returns at once.
void pingReachabilityInternal();
