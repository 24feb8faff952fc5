#include "platform/runloop/run_loop_pump.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <vector>

#include "platform/runloop/run_loop.h"

namespace platform {

namespace {

int pollTimeoutMs(std::optional<TimePoint> deadline, TimePoint now) {
    if (!deadline) {
        return -1;
    }
    if (*deadline <= now) {
        return 0;
    }
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(*deadline - now).count();
    return static_cast<int>(std::min<decltype(ms)>(ms, INT_MAX));
}

}  // namespace

bool PollPump::waitForWork(RunLoop& loop, std::optional<TimePoint> deadline) {
    auto sources = loop.fdSourcesInCurrentMode();
    if (!deadline && sources.empty()) {
        return false;
    }
    std::vector<pollfd> fds;
    fds.reserve(sources.size());
    for (const auto& source : sources) {
        fds.push_back(pollfd{.fd = source->fd(), .events = POLLIN, .revents = 0});
    }
    const int ready = ::poll(fds.data(), fds.size(), pollTimeoutMs(deadline, clock_.now()));
    if (ready < 0) {
        if (errno == EINTR) {
            return true;
        }
        std::perror("norvik-raid-utility: poll");
        return false;
    }
    for (std::size_t i = 0; i < fds.size(); ++i) {
        if ((fds[i].revents & POLLNVAL) != 0) {
            // Its fd was closed under the loop; watching it would spin.
            std::fprintf(stderr,
                         "norvik-raid-utility: run-loop source fd %d is not open; removed\n",
                         fds[i].fd);
            loop.removeSource(sources[i]);
        } else if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            sources[i]->signal();
        }
    }
    return true;
}

bool VirtualJumpPump::waitForWork(RunLoop&, std::optional<TimePoint> deadline) {
    if (!deadline) {
        return false;
    }
    if (*deadline > clock_.now()) {
        clock_.setNow(*deadline);
    }
    return true;
}

}  // namespace platform
