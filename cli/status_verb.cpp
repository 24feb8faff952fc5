#include "cli/status_verb.h"

#include <optional>
#include <ostream>

#include "cli/backend_session.h"
#include "cli/health.h"
#include "cli/reading_timeout.h"
#include "cli/rebuild_history.h"
#include "cli/status_report.h"

namespace cli {

namespace {

enum class Format { Text, Json, Nagios };

const char* const kUsage =
    "Usage: norvik-raid status [--json | --nagios] [--timeout SECONDS] [--simulator]\n"
    "\n"
    "Reads every enclosure once and reports its volumes and disks.\n"
    "  --json               one JSON object (output_version 1)\n"
    "  --nagios             one monitoring-plugin line with performance data\n"
    "  --timeout SECONDS    give up and report UNKNOWN after this long (default 10)\n"
    "  --simulator          read the simulated enclosure\n"
    "\n"
    "Exit status: 0 all volumes healthy, 1 a rebuild running, 2 a volume degraded or\n"
    "offline or a disk failed, 3 unknown (no enclosure, no answer, or a mistyped command).\n";

struct Options {
    Format format = Format::Text;
    platform::Duration timeout = kDefaultReadingTimeout;
};

// Empty on success, else the complaint.
std::string parse(const std::vector<std::string>& args, Options& options, bool& help) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
            return {};
        }
        if (arg == "--timeout") {
            const auto timeout = i + 1 < args.size() ? parseTimeout(args[++i]) : std::nullopt;
            if (!timeout) {
                return kTimeoutProblem;
            }
            options.timeout = *timeout;
            continue;
        }
        const Format wanted = arg == "--json"     ? Format::Json
                              : arg == "--nagios" ? Format::Nagios
                                                  : Format::Text;
        if (wanted == Format::Text) {
            return "unknown option '" + arg + "'";
        }
        if (options.format != Format::Text && options.format != wanted) {
            return "--json and --nagios exclude each other";
        }
        options.format = wanted;
    }
    return {};
}

std::string report(Format format, const EnclosureReading& reading, Health health) {
    switch (format) {
        case Format::Json:
            return statusJson(reading, health);
        case Format::Nagios:
            return nagiosLine(reading, health);
        case Format::Text:
            break;
    }
    return statusText(reading, health);
}

}  // namespace

int statusVerb(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
    const bool simulator = backends::takeSimulatorFlag(args);
    Options options;
    bool help = false;
    if (const std::string problem = parse(args, options, help); !problem.empty()) {
        err << "norvik-raid status: " << problem << "\n" << kUsage;
        return kMonitoringUsageError;
    }
    if (help) {
        out << kUsage;
        return 0;
    }

    EnclosureReading unanswered;
    unanswered.libraryProblem = backends::kServiceNotAnswering;
    const Health unknown = assess(unanswered);
    ReadingTimeout bound(options.timeout, report(options.format, unanswered, unknown),
                         exitStatus(unknown));

    BackendSession session(simulator);
    EnclosureReading reading = readEnclosure();
    reading.libraryProblem = backends::libraryProblemNow(session.backends());
    RebuildHistory::atDefaultPlace().track(reading, session.loop().clock().now());
    const Health health = assess(reading);
    out << report(options.format, reading, health);
    return exitStatus(health);
}

}  // namespace cli
