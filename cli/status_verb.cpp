#include "cli/status_verb.h"

#include <ostream>

#include "cli/backend_session.h"
#include "cli/health.h"
#include "cli/reading_timeout.h"
#include "cli/rebuild_history.h"
#include "cli/status_report.h"
#include "cli/texts.h"
#include "model/model_clock.h"

namespace cli {

namespace {

enum class Format { Text, Json, Nagios };

std::string report(Format format,
                   const EnclosureReading& reading,
                   const Verdict& verdict,
                   const std::string& estimateProblem) {
    switch (format) {
        case Format::Json:
            return statusJson(reading, verdict, estimateProblem);
        case Format::Nagios:
            return nagiosLine(reading, verdict);
        case Format::Text:
            break;
    }
    return statusText(reading, verdict);
}

}  // namespace

int statusVerb(const StatusOptions& options, const GlobalOptions& global, Console& console) {
    if (options.json && options.nagios) {
        throw UsageError(text("CLI_EXCLUSIVE", {"--json", "--nagios"}));
    }
    const Format format = options.json     ? Format::Json
                          : options.nagios ? Format::Nagios
                                           : Format::Text;
    const platform::Duration timeout = readingTimeout(options.timeout);
    const bool simulator = global.simulator;

    const EnclosureReading unanswered = unansweredReading();
    const Verdict unknown = judgeEnclosure(unanswered);
    const ReadingTimeout bound(timeout, report(format, unanswered, unknown, {}),
                               exitStatus(unknown.health));

    BackendSession session(simulator);
    EnclosureReading reading = readEnclosure();
    reading.libraryProblem = backends::libraryProblemNow(session.backends());
    // The model's clock: the system's, or the one a test moves.
    const std::string estimateProblem =
        RebuildHistory::atDefaultPlace().track(reading, modelClock().now());
    const Verdict verdict = judgeEnclosure(reading);
    console.out << report(format, reading, verdict, estimateProblem);
    return exitStatus(verdict.health);
}

}  // namespace cli
