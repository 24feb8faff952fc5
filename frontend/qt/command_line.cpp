#include "frontend/qt/command_line.h"

#include <string_view>

namespace frontend {

namespace {

constexpr std::string_view kHelp =
    "Usage: norvik-raid-utility [OPTION]...\n"
    "Shows the volumes and disks of a Norvik Duo Thunderbolt RAID enclosure, and\n"
    "configures and rebuilds them.\n"
    "\n"
    "      --simulator use the simulated enclosure instead of the hardware\n"
    "  -h, --help      print this help and exit\n"
    "  -V, --version   print the version and exit\n"
    "\n"
    "Qt's own options (-platform, -display, ...) are accepted too.\n"
    "See norvik-raid-utility(1).\n";

}  // namespace

std::optional<int> answerInformationalOptions(int argc,
                                              const char* const* argv,
                                              std::ostream& out) {
    for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") {
            break;
        }
        if (arg == "--help" || arg == "-h") {
            out << kHelp;
            return 0;
        }
        if (arg == "--version" || arg == "-V") {
            out << "norvik-raid-utility " << NORVIK_VERSION << '\n';
            return 0;
        }
    }
    return std::nullopt;
}

}  // namespace frontend
