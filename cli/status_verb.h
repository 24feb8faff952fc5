// norvik-raid status [--json | --nagios] [--timeout SECONDS] [--simulator]
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

int statusVerb(std::vector<std::string> args, std::ostream& out, std::ostream& err);

}  // namespace cli
