// Runs norvik-raid's command line in process and keeps what it said.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"

struct CommandLineOutcome {
    int status;
    std::string out;
    std::string err;
};

inline CommandLineOutcome runNorvikRaid(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = cli::runCommandLine(args, out, err);
    return {status, out.str(), err.str()};
}
