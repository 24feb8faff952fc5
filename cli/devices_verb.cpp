#include "cli/devices_verb.h"

#include <ostream>

#include "backends/backend_choice.h"
#include "cli/device_report.h"
#include "cli/device_report_format.h"
#include "cli/verbs.h"
#include "platform/runloop/clock.h"

namespace cli {
namespace {

void printHelp(std::ostream& out) {
    out << "Usage: norvik-raid devices [--json] [--simulator]\n"
           "\n"
           "Lists what the machine's device source sees: each enclosure controller with\n"
           "its PCI slot, IDs, driver, the Thunderbolt device it sits behind and its\n"
           "disks; then Thunderbolt devices waiting for authorization.\n"
           "\n"
           "  --json       print one JSON object (output_version 1)\n"
           "  --simulator  list the simulated enclosures instead\n"
           "  --help       show this text\n"
           "\n"
           "Exit status: 0 when an enclosure is found, 1 when none, 2 on a usage error.\n";
}

}  // namespace

int devicesVerb(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
    const bool simulator = backends::takeSimulatorFlag(args);
    bool json = false;
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            printHelp(out);
            return 0;
        }
        if (arg == "--json") {
            json = true;
            continue;
        }
        err << "norvik-raid devices: unexpected '" << arg << "'; see norvik-raid devices --help\n";
        return kUsageError;
    }

    platform::SystemClock clock;
    platform::RunLoop loop(clock);
    platform::devices::DeviceTree tree;
    const backends::Backends chosen =
        backends::chooseBackends(backends::BackendRequest::fromEnvironment(simulator), loop, tree);
    // The problem is part of the report, in either form: said once.
    const DeviceReport report = reportDevices(tree);
    if (chosen.devices) {
        loop.removeSource(chosen.devices);
    }
    if (json) {
        // Devices name themselves (a Thunderbolt device does): invalid UTF-8
        // is replaced, never a reason to print nothing.
        out << deviceReportJson(report, chosen.libraryProblem)
                   .dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
            << "\n";
    } else {
        printDeviceReport(report, chosen.libraryProblem, out);
    }
    return report.enclosures.empty() ? 1 : 0;
}

}  // namespace cli
