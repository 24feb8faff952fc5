// --program CMD: runs `CMD EVENT VOLUME-OR-DEVICE [DETAIL]` for every event,
// without a shell, one at a time so that the program sees the events in
// order. A program that takes longer than kPatience is left running (and
// reaped later) so that it cannot stop the monitoring.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/monitor_events.h"

namespace cli {

class ProgramHook {
  public:
    ProgramHook(std::string program, std::ostream& err) : program_(std::move(program)), err_(err) {}
    ~ProgramHook();
    ProgramHook(const ProgramHook&) = delete;
    ProgramHook& operator=(const ProgramHook&) = delete;

    static constexpr std::chrono::seconds kPatience{30};

    void run(const Event& event);

  private:
    void reapFinished();

    std::string program_;
    std::ostream& err_;
    std::vector<pid_t> stillRunning_;
};

}  // namespace cli
