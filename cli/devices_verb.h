// norvik-raid devices [--json] [--simulator]: what the device source sees.
// Exit 0 when at least one enclosure is found, 1 when none, 2 on a usage error.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

int devicesVerb(std::vector<std::string> args, std::ostream& out, std::ostream& err);

}  // namespace cli
