// The verdict in the monitoring-plugin convention: a keyword, an exit status
// and a plugin status per health, and the keywords of a disk's status.
#pragma once

#include <optional>

#include "model/health_verdict.h"

namespace cli {

using ::Health;

// 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN.
int exitStatus(Health health);
// "OK", "WARNING", "CRITICAL", "UNKNOWN".
const char* pluginStatus(Health health);

// A mistyped command line: UNKNOWN, as monitoring plugins report it.
inline constexpr int kMonitoringUsageError = 3;

// A disk's status as the JSON and the textfile name it; "unknown" when it
// could not be read.
const char* diskStatusKeyword(std::optional<int> status);

// What a finding is about, as the JSON and the monitor name it:
// "volume-degraded", "volume-status-unreadable", ...
const char* concernKeyword(Concern concern);

}  // namespace cli
