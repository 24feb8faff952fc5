// SIGTERM, SIGINT and SIGHUP always end the program. The first one runs the
// orderly shut-down on the main thread as soon as Qt's event loop (the main
// one or a nested one: an alert, a pop-up) takes it, then ends the process
// with that signal. A second signal ends the process at once, and so does the
// first one when the loop cannot take it within the grace period (a library
// call blocking the main thread).
#pragma once

#include <chrono>
#include <functional>

namespace frontend {

inline constexpr std::chrono::seconds kTerminationGrace{5};

// Call once, after the QApplication exists. `shutDown` runs on the main
// thread, at most once; the process ends when it returns.
void handleTerminationSignals(std::function<void()> shutDown,
                              std::chrono::seconds grace = kTerminationGrace);

}  // namespace frontend
