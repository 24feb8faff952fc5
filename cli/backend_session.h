// What a verb that reads the enclosure sets up first: a run loop on the
// system clock and the backends (controller library and device source) the
// command line and the environment ask for.
#pragma once

#include <memory>

#include "backends/backend_choice.h"
#include "model/library_session.h"
#include "platform/runloop/run_loop.h"

namespace cli {

class BackendSession {
  public:
    explicit BackendSession(bool simulatorFlag);
    ~BackendSession();
    BackendSession(const BackendSession&) = delete;
    BackendSession& operator=(const BackendSession&) = delete;

    platform::RunLoop& loop() { return loop_; }
    const backends::Backends& backends() const { return backends_; }

  private:
    platform::SystemClock clock_;
    platform::RunLoop loop_;
    backends::Backends backends_;
    LibrarySession library_;
};

}  // namespace cli
