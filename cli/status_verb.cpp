#include "cli/status_verb.h"

#include <ostream>

#include "cli/backend_session.h"
#include "cli/health.h"
#include "cli/rebuild_history.h"
#include "cli/status_report.h"
#include "model/model_clock.h"

namespace cli {

namespace {

enum class Format { Text, Json, Nagios };

const char* const kUsage =
    "Usage: norvik-raid status [--json | --nagios] [--simulator]\n"
    "\n"
    "Reads every enclosure once and reports its volumes and disks.\n"
    "  --json       one JSON object (output_version 1)\n"
    "  --nagios     one monitoring-plugin line with performance data\n"
    "  --simulator  read the simulated enclosure\n"
    "\n"
    "Exit status: 0 all volumes healthy, 1 a rebuild running, 2 a volume degraded or\n"
    "offline or a disk failed, 3 unknown (no enclosure, no answer, or a mistyped command).\n";

}  // namespace

int statusVerb(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
    const bool simulator = backends::takeSimulatorFlag(args);
    Format format = Format::Text;
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            out << kUsage;
            return 0;
        }
        const Format wanted = arg == "--json"     ? Format::Json
                              : arg == "--nagios" ? Format::Nagios
                                                  : Format::Text;
        if (wanted == Format::Text || (format != Format::Text && format != wanted)) {
            err << "norvik-raid status: "
                << (wanted == Format::Text ? "unknown option '" + arg + "'"
                                           : std::string("--json and --nagios exclude each other"))
                << "\n"
                << kUsage;
            return kMonitoringUsageError;
        }
        format = wanted;
    }

    BackendSession session(simulator);
    EnclosureReading reading = readEnclosure();
    reading.libraryProblem = session.backends().libraryProblem;
    // The model's clock: the system's, or the one a test moves.
    const std::string estimateProblem =
        RebuildHistory::atDefaultPlace().track(reading, modelClock().now());
    const Health health = assess(reading);

    switch (format) {
        case Format::Json:
            out << statusJson(reading, health, estimateProblem);
            break;
        case Format::Nagios:
            out << nagiosLine(reading, health);
            break;
        case Format::Text:
            out << statusText(reading, health);
            break;
    }
    return exitStatus(health);
}

}  // namespace cli
