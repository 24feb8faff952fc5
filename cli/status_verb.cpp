#include "cli/status_verb.h"

#include <ostream>

#include "cli/backend_session.h"
#include "cli/health.h"
#include "cli/rebuild_history.h"
#include "cli/status_report.h"
#include "cli/texts.h"
#include "model/model_clock.h"

namespace cli {

namespace {

enum class Format { Text, Json, Nagios };

}  // namespace

int statusVerb(const StatusOptions& options, const GlobalOptions& global, Console& console) {
    if (options.json && options.nagios) {
        throw UsageError(text("CLI_EXCLUSIVE", {"--json", "--nagios"}));
    }
    const Format format = options.json     ? Format::Json
                          : options.nagios ? Format::Nagios
                                           : Format::Text;
    const bool simulator = global.simulator;
    std::ostream& out = console.out;

    BackendSession session(simulator);
    EnclosureReading reading = readEnclosure();
    reading.libraryProblem = session.backends().libraryProblem;
    // The model's clock: the system's, or the one a test moves.
    const std::string estimateProblem =
        RebuildHistory::atDefaultPlace().track(reading, modelClock().now());
    const Verdict verdict = judgeEnclosure(reading);

    switch (format) {
        case Format::Json:
            out << statusJson(reading, verdict, estimateProblem);
            break;
        case Format::Nagios:
            out << nagiosLine(reading, verdict);
            break;
        case Format::Text:
            out << statusText(reading, verdict);
            break;
    }
    return exitStatus(verdict.health);
}

}  // namespace cli
