// The health icon's verdict over a controller's RAID sets.
#pragma once

#include <string>
#include <vector>

inline constexpr const char* kIconOk = "icon_healthcheck_ok";
inline constexpr const char* kIconWarning = "icon_healthcheck_warning";
inline constexpr const char* kIconWrong = "icon_healthcheck_wrong";

enum class HealthVerdict {
    Healthy,
    Degraded,
    Failed,
    NotAnswering,  // a set's status could not be read
    NoEnclosure,
};

// The verdict for sets with these statuses, in order (the last set with a
// verdict decides); `hasController` false gives NoEnclosure.
HealthVerdict healthVerdict(bool hasController, const std::vector<int>& setStatuses);

// The icon's resource name for a verdict.
std::string healthIconName(HealthVerdict verdict);
// The string-table key of the sentence that says the verdict.
std::string healthDescriptionKey(HealthVerdict verdict);
