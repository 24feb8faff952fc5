// How an event leaves the monitor as text: one line on stdout, and the words
// of --program. Subjects and details come from hardware; their control
// characters are escaped, so that a name cannot end a line and forge another.
#pragma once

#include <string>
#include <vector>

#include "cli/monitor_events.h"

namespace cli {

// "volume-degraded Norvik Duo slot 1, MODEL, serial SERIAL"
std::string eventLine(const Event& event);

// EVENT, VOLUME-OR-DEVICE and, when there is one, DETAIL.
std::vector<std::string> eventWords(const Event& event);

}  // namespace cli
