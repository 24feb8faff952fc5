// SIGTERM, SIGINT and SIGHUP as a run-loop source: they stop the loop instead
// of killing the process, so the monitor ends cleanly.
#pragma once

#include <memory>

#include "platform/runloop/run_loop.h"

namespace cli {

class TerminationSource final : public platform::RunLoopSource {
  public:
    // Null when the signals cannot be caught this way.
    static std::shared_ptr<TerminationSource> create(platform::RunLoop& loop);
    ~TerminationSource() override;

    int fd() const override { return fd_; }
    void perform() override;

    TerminationSource(platform::RunLoop& loop, int fd) : loop_(loop), fd_(fd) {}

  private:
    platform::RunLoop& loop_;
    int fd_;
};

}  // namespace cli
