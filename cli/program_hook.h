// --program CMD: runs `CMD EVENT VOLUME-OR-DEVICE [DETAIL]` for every event,
// without a shell, one at a time so that the program sees the events in
// order, and without holding up the readings. A program still running at
// the limit is ended with everything it started.
#pragma once

#include <iosfwd>
#include <string>

#include "cli/child_queue.h"
#include "cli/monitor_events.h"

namespace cli {

class ProgramHook {
  public:
    ProgramHook(std::string program,
                platform::RunLoop& loop,
                std::ostream& err,
                platform::Duration limit = ChildQueue::kDefaultLimit);

    void run(const Event& event);
    ChildQueue& queue() { return queue_; }

  private:
    std::string program_;
    std::ostream& err_;
    platform::Duration limit_;
    ChildQueue queue_;
};

}  // namespace cli
