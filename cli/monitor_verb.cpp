#include "cli/monitor_verb.h"

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>

#include "cli/backend_session.h"
#include "cli/child_queue.h"
#include "cli/desktop_notifier.h"
#include "cli/event_line.h"
#include "cli/health.h"
#include "cli/journal_channel.h"
#include "cli/mail_channel.h"
#include "cli/monitor.h"
#include "cli/monitor_config.h"
#include "cli/program_hook.h"
#include "cli/reading_timeout.h"
#include "cli/termination_source.h"
#include "cli/textfile_export.h"
#include "cli/texts.h"

namespace cli {

namespace {

// Where sd_journal_send delivers; without it there is no journal to write to.
constexpr const char* kJournalSocket = "/run/systemd/journal/socket";

struct Options {
    double intervalSeconds = 60;
    bool notify = false;
    std::optional<std::string> program;
    std::optional<std::filesystem::path> textfile;
    bool once = false;
    platform::Duration timeout = kDefaultReadingTimeout;
    std::vector<std::string> mail;
    std::string sendmail = kDefaultSendmail;
    platform::Duration remind = Monitor::kDefaultRemindInterval;
    bool journal = false;
    bool json = false;
    bool test = false;
};

// A number from `low` to `high`, or nothing.
std::optional<double> number(const std::string& text, double low, double high) {
    std::size_t used = 0;
    double value = 0;
    try {
        value = std::stod(text, &used);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (used != text.size() || !std::isfinite(value) || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

// Checks each value the command line (or one line of the configuration
// file) gave, alone; throws UsageError.
Options checkedValues(const MonitorOptions& given) {
    Options options;
    options.notify = given.notify;
    options.once = given.once;
    options.journal = given.journal;
    options.json = given.json;
    options.test = given.test;
    options.timeout = readingTimeout(given.timeout);
    if (const auto& v = given.interval) {
        const auto seconds = number(*v, 1, 86400);
        if (!seconds) {
            throw UsageError(text("CLI_BAD_INTERVAL", {*v}));
        }
        options.intervalSeconds = *seconds;
    }
    if (const auto& v = given.remind) {
        const auto hours = number(*v, 0, 8760);
        if (!hours) {
            throw UsageError(text("CLI_BAD_REMIND", {*v}));
        }
        options.remind = std::chrono::duration_cast<platform::Duration>(
            std::chrono::duration<double, std::ratio<3600>>(*hours));
    }
    if (given.program) {
        if (given.program->empty()) {
            throw UsageError(text("CLI_NEEDS_VALUE", {"--program"}));
        }
        // Checked now: a wrong name would otherwise be found out when a disk fails.
        if (const ProgramLookup found = findProgram(*given.program); !found.problem.empty()) {
            throw UsageError(text("CLI_PROGRAM_NOT_RUN", {*given.program, found.problem}));
        }
        options.program = given.program;
    }
    if (given.sendmail) {
        if (const ProgramLookup found = findProgram(*given.sendmail); !found.problem.empty()) {
            throw UsageError(text("CLI_SENDMAIL_NOT_RUN", {*given.sendmail, found.problem}));
        }
        options.sendmail = *given.sendmail;
    }
    for (const std::string& address : given.mail) {
        if (!plausibleMailAddress(address)) {
            throw UsageError(text("CLI_BAD_MAIL", {address}));
        }
    }
    options.mail = given.mail;
    if (const auto& v = given.textfile) {
        std::error_code error;
        if (v->empty() || !std::filesystem::is_directory(*v, error)) {
            throw UsageError(text("CLI_NOT_A_DIRECTORY", {*v}));
        }
        options.textfile = *v;
    }
    return options;
}

// Every value, and that mail has a sendmail to go through.
Options validated(const MonitorOptions& given) {
    Options options = checkedValues(given);
    if (!options.mail.empty() && !given.sendmail) {
        if (const ProgramLookup found = findProgram(options.sendmail); !found.problem.empty()) {
            throw UsageError(text("CLI_SENDMAIL_NOT_RUN", {options.sendmail, found.problem}));
        }
    }
    return options;
}

}  // namespace

int monitorVerb(const MonitorOptions& commandLine, const GlobalOptions& global, Console& console) {
    std::ostream& out = console.out;
    std::ostream& err = console.err;
    MonitorOptions given = commandLine;
    if (commandLine.config) {
        try {
            given = withConfigFile(commandLine, *commandLine.config,
                                   [](const MonitorOptions& alone) { checkedValues(alone); });
        } catch (const ConfigError& e) {
            err << "norvik-raid monitor: " << e.what() << "\n";
            return kUsageError;
        }
    }
    const Options options = validated(given);
    const bool simulator = global.simulator;

    // --once is a check: its reading is bounded as a whole, as status is.
    std::optional<ReadingTimeout> bound;
    if (options.once) {
        const EnclosureReading unanswered = unansweredReading();
        bound.emplace(options.timeout, "norvik-raid monitor: " + unanswered.libraryProblem + "\n",
                      exitStatus(judgeEnclosure(unanswered).health));
    }
    BackendSession session(simulator);
    platform::RunLoop& loop = session.loop();
    if (!session.backends().libraryProblem.empty()) {
        err << "norvik-raid monitor: " << session.backends().libraryProblem << "\n";
    }
    auto monitor = Monitor::create(loop, platform::seconds(options.intervalSeconds));
    monitor->setLibraryProblem(
        [&session] { return backends::libraryProblemNow(session.backends()); });
    monitor->setReadingTimeout(options.timeout);
    monitor->setRemindInterval(options.remind);

    // Each event: a line on stdout (unless stdout is the journal's stream and
    // the event goes there itself), then the channels.
    const bool useJournal =
        options.journal || (!console.outputIsTerminal && ::access(kJournalSocket, F_OK) == 0);
    if (!(useJournal && console.outputIsJournal)) {
        monitor->onEvent([&out, &options, terminal = console.outputIsTerminal](const Event& e) {
            if (e.progressUpdate) {
                return;
            }
            const auto now = std::chrono::system_clock::now();
            if (options.json) {
                out << eventJson(e, now) << std::endl;
            } else {
                out << (terminal ? localTimestamp(now) : "") << eventLine(e) << std::endl;
            }
        });
    }
    std::unique_ptr<JournalChannel> journal;
    if (useJournal) {
        journal = std::make_unique<JournalChannel>(err);
        monitor->onEvent([&](const Event& e) { journal->send(e); });
    }
    std::unique_ptr<DesktopNotifier> notifier;
    if (options.notify) {
        notifier = std::make_unique<DesktopNotifier>(err);
        monitor->onEvent([&](const Event& e) { notifier->notify(e); });
    }
    std::unique_ptr<ProgramHook> program;
    if (options.program) {
        program = std::make_unique<ProgramHook>(*options.program, loop, err);
        monitor->onEvent([&](const Event& e) { program->run(e); });
    }
    std::unique_ptr<MailChannel> mail;
    if (!options.mail.empty()) {
        mail = std::make_unique<MailChannel>(options.mail, options.sendmail, loop, err);
        monitor->onEvent([&](const Event& e) {
            mail->send(e, monitor->lastReading().value_or(EnclosureReading{}));
        });
    }
    if (options.textfile) {
        monitor->onReading(
            [&err, textfile = TextfileExport(*options.textfile)](const EnclosureReading& reading) {
                if (const std::string problem = textfile.write(reading); !problem.empty()) {
                    err << "norvik-raid monitor: " << problem << "\n";
                }
            });
    }

    auto termination = TerminationSource::create(loop);
    if (termination) {
        loop.addSource(termination, platform::kCommonModes);
    }
    int status = 0;
    if (options.once) {
        const Health health = monitor->readNow();
        bound.reset();  // the programs have a limit of their own
        if (const std::string problem = backends::libraryProblemNow(session.backends());
            problem != session.backends().libraryProblem) {
            err << "norvik-raid monitor: " << problem << "\n";
        }
        if (options.test) {
            monitor->sendTestEvents();
        }
        // The programs and mails of these events finish (or reach their
        // limit) before the check ends.
        const auto drained = [&] {
            return (!program || program->queue().idle()) && (!mail || mail->queue().idle());
        };
        for (ChildQueue* queue :
             {program ? &program->queue() : nullptr, mail ? &mail->queue() : nullptr}) {
            if (queue) {
                queue->onIdle([&] {
                    if (drained()) {
                        loop.stop();
                    }
                });
            }
        }
        if (!drained()) {
            loop.runInMode(platform::Mode::Default);
        }
        status = exitStatus(health);
    } else {
        monitor->start();
        if (options.test) {
            monitor->sendTestEvents();
        }
        loop.runInMode(platform::Mode::Default);
        monitor->stop();
    }
    if (termination) {
        loop.removeSource(termination);
    }
    return status;
}

}  // namespace cli
