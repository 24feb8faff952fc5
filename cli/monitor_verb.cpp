#include "cli/monitor_verb.h"

#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>

#include "cli/backend_session.h"
#include "cli/desktop_notifier.h"
#include "cli/health.h"
#include "cli/monitor.h"
#include "cli/program_hook.h"
#include "cli/reading_timeout.h"
#include "cli/termination_source.h"
#include "cli/textfile_export.h"

namespace cli {

namespace {

const char* const kUsage =
    "Usage: norvik-raid monitor [--interval SECONDS] [--notify] [--program CMD]\n"
    "                           [--textfile DIR] [--once] [--timeout SECONDS] [--simulator]\n"
    "\n"
    "Watches the enclosure and acts on every change: at the interval (default 60 s)\n"
    "and soon after a disk or the enclosure comes or goes.\n"
    "  --interval SECONDS  time between readings (at least 1)\n"
    "  --notify            a desktop notification per event\n"
    "  --program CMD       run CMD EVENT VOLUME-OR-DEVICE [DETAIL] per event (no shell)\n"
    "  --textfile DIR      write DIR/norvik_raid.prom for the node exporter at every reading\n"
    "  --once              read once, act, and exit with the status codes of 'status'\n"
    "  --timeout SECONDS   the longest one reading may take (default 10)\n"
    "  --simulator         watch the simulated enclosure\n"
    "\n"
    "Events: enclosure-added enclosure-removed volume-degraded volume-offline\n"
    "volume-healthy rebuild-started rebuild-finished disk-added disk-removed\n";

struct Options {
    double intervalSeconds = 60;
    bool notify = false;
    std::optional<std::string> program;
    std::optional<std::filesystem::path> textfile;
    bool once = false;
    platform::Duration timeout = kDefaultReadingTimeout;
};

// Empty on success, else the complaint.
std::string parse(const std::vector<std::string>& args, Options& options, bool& help) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) {
                return std::nullopt;
            }
            return args[++i];
        };
        if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--notify") {
            options.notify = true;
        } else if (arg == "--once") {
            options.once = true;
        } else if (arg == "--interval") {
            const auto v = value();
            std::size_t used = 0;
            double seconds = 0;
            try {
                seconds = v ? std::stod(*v, &used) : 0;
            } catch (const std::exception&) {
                used = 0;
            }
            if (!v || used != v->size() || !std::isfinite(seconds) || seconds < 1 ||
                seconds > 86400) {
                return "--interval wants a number of seconds from 1 to 86400";
            }
            options.intervalSeconds = seconds;
        } else if (arg == "--timeout") {
            const auto v = value();
            const auto timeout = v ? parseTimeout(*v) : std::nullopt;
            if (!timeout) {
                return kTimeoutProblem;
            }
            options.timeout = *timeout;
        } else if (arg == "--program") {
            options.program = value();
            if (!options.program || options.program->empty()) {
                return "--program wants a program to run";
            }
        } else if (arg == "--textfile") {
            const auto v = value();
            if (!v || v->empty()) {
                return "--textfile wants a directory";
            }
            std::error_code error;
            if (!std::filesystem::is_directory(*v, error)) {
                return "--textfile: " + *v + " is not a directory";
            }
            options.textfile = *v;
        } else {
            return "unknown option '" + arg + "'";
        }
    }
    return {};
}

}  // namespace

int monitorVerb(std::vector<std::string> args, std::ostream& out, std::ostream& err) {
    const bool simulator = backends::takeSimulatorFlag(args);
    Options options;
    bool help = false;
    if (const std::string problem = parse(args, options, help); !problem.empty()) {
        err << "norvik-raid monitor: " << problem << "\n" << kUsage;
        return kMonitoringUsageError;
    }
    if (help) {
        out << kUsage;
        return 0;
    }

    // --once is a check: bounded as a whole, as status is.
    std::optional<ReadingTimeout> bound;
    if (options.once) {
        EnclosureReading unanswered;
        unanswered.libraryProblem = backends::kServiceNotAnswering;
        bound.emplace(options.timeout, "norvik-raid monitor: " + unanswered.libraryProblem + "\n",
                      exitStatus(assess(unanswered)));
    }
    BackendSession session(simulator);
    if (!session.backends().libraryProblem.empty()) {
        err << "norvik-raid monitor: " << session.backends().libraryProblem << "\n";
    }
    auto monitor = Monitor::create(session.loop(), platform::seconds(options.intervalSeconds));
    monitor->setReadingTimeout(options.timeout);

    // Each event: a line on stdout (for the journal), then the handlers.
    monitor->onEvent([&out](const Event& e) {
        if (!e.progressUpdate) {
            out << eventName(e.kind) << " " << e.subject << (e.detail.empty() ? "" : " " + e.detail)
                << std::endl;
        }
    });
    std::unique_ptr<DesktopNotifier> notifier;
    if (options.notify) {
        notifier = std::make_unique<DesktopNotifier>(err);
        monitor->onEvent([&](const Event& e) { notifier->notify(e); });
    }
    std::unique_ptr<ProgramHook> program;
    if (options.program) {
        program = std::make_unique<ProgramHook>(*options.program, err);
        monitor->onEvent([&](const Event& e) { program->run(e); });
    }
    if (options.textfile) {
        monitor->onReading(
            [&err, textfile = TextfileExport(*options.textfile)](const EnclosureReading& reading) {
                if (const std::string problem = textfile.write(reading); !problem.empty()) {
                    err << "norvik-raid monitor: " << problem << "\n";
                }
            });
    }

    if (options.once) {
        const Health health = monitor->readNow();
        if (const std::string problem = backends::libraryProblemNow(session.backends());
            problem != session.backends().libraryProblem) {
            err << "norvik-raid monitor: " << problem << "\n";
        }
        return exitStatus(health);
    }
    auto termination = TerminationSource::create(session.loop());
    if (termination) {
        session.loop().addSource(termination, platform::kCommonModes);
    }
    monitor->start();
    session.loop().runInMode(platform::Mode::Default);
    monitor->stop();
    if (termination) {
        session.loop().removeSource(termination);
    }
    return 0;
}

}  // namespace cli
