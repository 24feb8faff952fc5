// Helper programs end in real time: these wait for that (without moving
// virtual time) by doing what the run loop's pump does, and look at
// processes the tests started.
#pragma once

#include <poll.h>
#include <signal.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/runloop/run_loop.h"

namespace cli::testing {

// Delivers the loop's readable fd sources (a helper's end) until `done`,
// at most `patience` long; whether `done` came true.
inline bool awaitUntil(platform::RunLoop& loop,
                       const std::function<bool()>& done,
                       std::chrono::seconds patience = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        const auto sources = loop.fdSourcesInCurrentMode();
        std::vector<pollfd> fds;
        for (const auto& source : sources) {
            fds.push_back(pollfd{source->fd(), POLLIN, 0});
        }
        ::poll(fds.data(), fds.size(), 50);
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents != 0) {
                sources[i]->signal();
            }
        }
        loop.runDue();
    }
    return done();
}

// Running, not merely a zombie waiting to be reaped.
inline bool alive(pid_t pid) {
    if (pid <= 0 || ::kill(pid, 0) != 0) {
        return false;
    }
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto close = line.rfind(')');
    return close == std::string::npos || line.substr(close + 2, 1) != "Z";
}

}  // namespace cli::testing
