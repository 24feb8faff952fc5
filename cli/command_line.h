// norvik-raid's command line: picks the verb and hands it the rest.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace cli
