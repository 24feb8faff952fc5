// norvik-raid monitor [--interval SECONDS] [--notify] [--program CMD]
//                     [--textfile DIR] [--once] [--simulator]
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

int monitorVerb(std::vector<std::string> args, std::ostream& out, std::ostream& err);

}  // namespace cli
