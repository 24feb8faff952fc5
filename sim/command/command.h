// norvik-sim: changes the simulated world as the hardware and its user would
// (plug, pull, insert, faults...). main() is a thin wrapper, so tests run
// commands in process.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/runloop/clock.h"
#include "sim/world_location.h"

namespace sim {

// Exit statuses.
inline constexpr int kCommandOk = 0;
inline constexpr int kCommandFailed = 1;  // the world could not be used or changed so
inline constexpr int kCommandUsage = 2;   // mistyped

// Runs one command line (without the program name).
int runCommand(const std::vector<std::string>& args,
               const WorldLocation& location,
               platform::Clock& clock,
               std::ostream& out,
               std::ostream& err);

std::string commandUsage();

}  // namespace sim
