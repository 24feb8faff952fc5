#include "cli/command_line.h"

#include <iomanip>
#include <ostream>

#include "cli/verbs.h"

namespace cli {

namespace {

void printUsage(std::ostream& out) {
    out << "Usage: norvik-raid VERB [OPTIONS]\n"
           "\n"
           "Reads the Norvik Duo Thunderbolt enclosure from the command line.\n"
           "\n"
           "Verbs:\n";
    for (const Verb& verb : verbs()) {
        out << "  " << std::left << std::setw(10) << verb.name << verb.summary << "\n";
    }
    out << "\n"
           "Every verb takes --help, and --simulator to use the simulated enclosure\n"
           "(also chosen when NORVIK_SIM_WORLD is set).\n";
}

}  // namespace

int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        printUsage(err);
        return kUsageError;
    }
    const std::string& first = args.front();
    if (first == "--help" || first == "-h" || first == "help") {
        printUsage(out);
        return 0;
    }
    for (const Verb& verb : verbs()) {
        if (first == verb.name) {
            return verb.run(std::vector<std::string>(args.begin() + 1, args.end()), out, err);
        }
    }
    err << "norvik-raid: unknown verb '" << first << "'; see norvik-raid --help\n";
    return kUsageError;
}

}  // namespace cli
