// norvik-raid's command line: one parser for every verb and the options they
// share, the main usage text, --version, and the verb it names.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/console.h"

namespace cli {

int runCommandLine(const std::vector<std::string>& args, Console& console);
// With the process's standard input.
int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The version of the build.
const char* version();

}  // namespace cli
