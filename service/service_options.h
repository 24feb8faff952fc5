// norvik-raidd's command line.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace service {

struct ServiceOptions {
    std::filesystem::path library;  // empty: the vendor library beside the installation
    std::chrono::milliseconds callLimit{std::chrono::seconds(30)};
};

// The options, or the message to print when the command line is wrong.
struct ParsedOptions {
    std::optional<ServiceOptions> options;
    std::string error;
    bool help = false;
};

ParsedOptions parseServiceOptions(const std::vector<std::string>& arguments);

inline constexpr const char* kServiceUsage =
    "usage: norvik-raidd [--library PATH] [--call-limit-ms MILLISECONDS]\n"
    "Serves the controller library on the system bus as org.norvik.RAIDUtility1.\n"
    "  --library PATH         load the controller library from PATH\n"
    "  --call-limit-ms N      end the service when one library call takes longer\n"
    "                         (default 30000)\n";

}  // namespace service
