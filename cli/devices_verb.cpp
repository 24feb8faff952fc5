#include "cli/devices_verb.h"

#include <ostream>

#include "backends/backend_choice.h"
#include "cli/device_report.h"
#include "cli/device_report_format.h"
#include "cli/verbs.h"
#include "platform/runloop/clock.h"

namespace cli {

int devicesVerb(const DevicesOptions& options, const GlobalOptions& global, Console& console) {
    std::ostream& out = console.out;
    const bool json = options.json;
    const bool simulator = global.simulator;

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
