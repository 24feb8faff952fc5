#include "cli/monitor_verb.h"

#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>

#include "cli/backend_session.h"
#include "cli/desktop_notifier.h"
#include "cli/event_line.h"
#include "cli/health.h"
#include "cli/monitor.h"
#include "cli/program_hook.h"
#include "cli/reading_timeout.h"
#include "cli/termination_source.h"
#include "cli/textfile_export.h"
#include "cli/texts.h"

namespace cli {

namespace {

struct Options {
    double intervalSeconds = 60;
    bool notify = false;
    std::optional<std::string> program;
    std::optional<std::filesystem::path> textfile;
    bool once = false;
    platform::Duration timeout = kDefaultReadingTimeout;
};

// Checks the values the command line gave; throws UsageError.
Options validated(const MonitorOptions& given) {
    Options options;
    options.notify = given.notify;
    options.once = given.once;
    options.timeout = readingTimeout(given.timeout);
    if (const auto& v = given.interval) {
        std::size_t used = 0;
        double seconds = 0;
        try {
            seconds = std::stod(*v, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used != v->size() || !std::isfinite(seconds) || seconds < 1 || seconds > 86400) {
            throw UsageError(text("CLI_BAD_INTERVAL", {*v}));
        }
        options.intervalSeconds = seconds;
    }
    if (given.program) {
        if (given.program->empty()) {
            throw UsageError(text("CLI_NEEDS_VALUE", {"--program"}));
        }
        options.program = given.program;
    }
    if (const auto& v = given.textfile) {
        std::error_code error;
        if (v->empty() || !std::filesystem::is_directory(*v, error)) {
            throw UsageError(text("CLI_NOT_A_DIRECTORY", {*v}));
        }
        options.textfile = *v;
    }
    return options;
}

}  // namespace

int monitorVerb(const MonitorOptions& given, const GlobalOptions& global, Console& console) {
    const Options options = validated(given);
    const bool simulator = global.simulator;
    std::ostream& out = console.out;
    std::ostream& err = console.err;

    // --once is a check: bounded as a whole, as status is.
    std::optional<ReadingTimeout> bound;
    if (options.once) {
        const EnclosureReading unanswered = unansweredReading();
        bound.emplace(options.timeout, "norvik-raid monitor: " + unanswered.libraryProblem + "\n",
                      exitStatus(judgeEnclosure(unanswered).health));
    }
    BackendSession session(simulator);
    if (!session.backends().libraryProblem.empty()) {
        err << "norvik-raid monitor: " << session.backends().libraryProblem << "\n";
    }
    auto monitor = Monitor::create(session.loop(), platform::seconds(options.intervalSeconds));
    monitor->setLibraryProblem(
        [&session] { return backends::libraryProblemNow(session.backends()); });
    monitor->setReadingTimeout(options.timeout);

    // Each event: a line on stdout (for the journal), then the handlers.
    monitor->onEvent([&out](const Event& e) {
        if (!e.progressUpdate) {
            out << eventLine(e) << std::endl;
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
