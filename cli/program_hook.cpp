#include "cli/program_hook.h"

#include <chrono>
#include <ostream>

#include "cli/event_line.h"
#include "cli/texts.h"

namespace cli {

ProgramHook::ProgramHook(std::string program,
                         platform::RunLoop& loop,
                         std::ostream& err,
                         platform::Duration limit)
    : program_(std::move(program)), err_(err), limit_(limit), queue_(loop, limit) {}

void ProgramHook::run(const Event& event) {
    if (event.progressUpdate) {
        return;
    }
    ChildCommand command;
    command.argv = {program_};
    for (std::string& word : eventWords(event)) {
        command.argv.push_back(std::move(word));
    }
    command.done = [this, name = std::string(eventName(event.kind))](const ChildOutcome& outcome) {
        using Kind = ChildOutcome::Kind;
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(limit_).count();
        if (outcome.kind == Kind::NotStarted) {
            err_ << "norvik-raid monitor: " << text("CLI_CANNOT_RUN", {program_, outcome.error})
                 << "\n";
        } else if (outcome.kind == Kind::TimedOut) {
            err_ << "norvik-raid monitor: "
                 << text("CLI_PROGRAM_KILLED", {program_, static_cast<long long>(seconds)}) << "\n";
        } else if (!outcome.succeeded()) {
            err_ << "norvik-raid monitor: "
                 << text("CLI_PROGRAM_FAILED",
                         {program_, name,
                          outcome.kind == Kind::Signalled ? 128 + outcome.code : outcome.code})
                 << "\n";
        }
    };
    queue_.enqueue(std::move(command));
}

}  // namespace cli
