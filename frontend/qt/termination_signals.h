// SIGTERM, SIGINT and SIGHUP end the application the orderly way (the
// delegate's shut-down runs), delivered through Qt's event loop rather than
// from inside the signal handler.
#pragma once

#include <functional>

namespace frontend {

// Call once, after the QApplication exists. `terminate` runs on the main thread.
void handleTerminationSignals(std::function<void()> terminate);

}  // namespace frontend
