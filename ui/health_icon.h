// The health icon's picture for the one verdict on the current controller:
// ok for healthy volumes or a rebuild, warning for a degraded volume or what
// could not be read, wrong for a failed volume or no enclosure.
#pragma once

#include <string>

#include "model/health_verdict.h"

inline constexpr const char* kIconOk = "icon_healthcheck_ok";
inline constexpr const char* kIconWarning = "icon_healthcheck_warning";
inline constexpr const char* kIconWrong = "icon_healthcheck_wrong";

std::string healthIconName(const ControllerVerdict& verdict);

// The verdict when there is no current controller: no enclosure, or, when the
// controller list could not be read, that.
ControllerVerdict noControllerVerdict(bool controllersRead);
