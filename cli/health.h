// The enclosure's health in the monitoring-plugin convention: one state for
// a whole reading, its keyword and its exit status. A reading that saw
// nothing (no library, no enclosure, no disk) is never OK.
#pragma once

#include <string>

#include "cli/enclosure_reading.h"

namespace cli {

enum class Health {
    Ok,          // every volume functional
    Rebuilding,  // a rebuild runs, nothing worse
    Degraded,    // a volume degraded or a disk failed
    Failed,      // a volume offline
    Unknown,     // nothing seen, or a status the controller would not give
};

Health assess(const EnclosureReading& reading);

// "ok", "rebuilding", "degraded", "failed", "unknown".
const char* keyword(Health health);
// 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN.
int exitStatus(Health health);
// "OK", "WARNING", "CRITICAL", "UNKNOWN".
const char* pluginStatus(Health health);

// A mistyped command line: UNKNOWN, as monitoring plugins report it.
inline constexpr int kMonitoringUsageError = 3;

// Keywords of one volume's and one disk's status, as the JSON and the
// textfile name them.
const char* volumeStatusKeyword(int status);
const char* diskStatusKeyword(int status);

}  // namespace cli
