// Values shared by the registry and disk-arrival stand-ins.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace platform::devices {

using Bytes = std::vector<std::uint8_t>;
using PropertyTable = std::map<std::string, Bytes>;

// A handle to a registry object (an entry or an iterator). 0 is none. Handles
// are never reused, so a released or stale one is simply unknown: every call
// given one fails softly.
using Handle = std::uint32_t;
using RegistryEntry = Handle;
using Iterator = Handle;
inline constexpr Handle kNoHandle = 0;

enum class IOReturn {
    Success,
    BadArgument,  // unknown, released or stale handle; null argument
    NotFound,     // no such entry, parent or property
};

inline constexpr const char* kDeviceTreePlane = "IODeviceTree";
inline constexpr const char* kPropertyMatchKey = "IOPropertyMatch";
inline constexpr const char* kFirstMatchNotification = "IOServiceFirstMatch";
inline constexpr const char* kTerminateNotification = "IOServiceTerminate";

}  // namespace platform::devices
