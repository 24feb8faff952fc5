#include "cli/backend_session.h"

#include "model/library_binding.h"

namespace cli {

BackendSession::BackendSession(bool simulatorFlag)
    : loop_(clock_),
      backends_(backends::chooseBackends(backends::BackendRequest::fromEnvironment(simulatorFlag),
                                         loop_)) {
    library_.start();
}

BackendSession::~BackendSession() {
    library_.finish();
    if (backends_.devices) {
        loop_.removeSource(backends_.devices);
    }
    bindControllerLibrary(nullptr);
}

}  // namespace cli
