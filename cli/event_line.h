// How an event leaves the monitor as text: one line on stdout (with the time
// in front on a terminal), one JSON object per line with --json, and the
// words of --program. Subjects and details come from hardware; their control
// characters are escaped, so that a name cannot end a line and forge another.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "cli/monitor_events.h"

namespace cli {

using WallTime = std::chrono::system_clock::time_point;

// "volume-degraded Norvik Duo slot 1, MODEL, serial SERIAL"
std::string eventLine(const Event& event);

// "2024-05-01 12:00:03 " in local time, for lines on a terminal.
std::string localTimestamp(WallTime when);

// {"time": "2024-05-01T10:00:03Z", "event": ..., "controller": 0, "volume":
// ..., "disk": {...}, "detail": ..., ...} on one line.
std::string eventJson(const Event& event, WallTime when);

// EVENT, VOLUME-OR-DEVICE and, when there is one, DETAIL.
std::vector<std::string> eventWords(const Event& event);

}  // namespace cli
