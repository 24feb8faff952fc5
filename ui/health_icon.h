// The health icon's verdict over a controller's RAID sets.
#pragma once

#include <string>
#include <vector>

inline constexpr const char* kIconOk = "icon_healthcheck_ok";
inline constexpr const char* kIconWarning = "icon_healthcheck_warning";
inline constexpr const char* kIconWrong = "icon_healthcheck_wrong";

// The resource name for sets with these statuses, in order (the last set with
// a verdict decides); `hasController` false gives the wrong icon.
std::string healthIconName(bool hasController, const std::vector<int>& setStatuses);
