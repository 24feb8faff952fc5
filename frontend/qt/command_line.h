// The options the window answers without opening: --help and --version.
#pragma once

#include <optional>
#include <ostream>

namespace frontend {

// Prints the help or the version to `out` when asked for and returns the exit
// status; nullopt when the window should open. Other arguments are left to Qt
// and to the rest of start-up.
std::optional<int> answerInformationalOptions(int argc, const char* const* argv, std::ostream& out);

}  // namespace frontend
