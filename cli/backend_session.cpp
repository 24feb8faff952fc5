#include "cli/backend_session.h"

#include "model/guard.h"
#include "model/library_binding.h"

namespace cli {

BackendSession::BackendSession(bool simulatorFlag)
    : loop_(clock_),
      backends_(backends::chooseBackends(backends::BackendRequest::fromEnvironment(simulatorFlag),
                                         loop_)) {
    guarded(0, [] { return controllerLibrary().MV_API_Initialize(); });
}

BackendSession::~BackendSession() {
    guarded(0, [] { return controllerLibrary().MV_API_Finalize(); });
    if (backends_.devices) {
        loop_.removeSource(backends_.devices);
    }
    bindControllerLibrary(nullptr);
}

}  // namespace cli
