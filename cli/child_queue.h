// Runs the monitor's helper programs (--program, sendmail) one at a time, in
// the order asked, without holding up the run loop: the readings go on while
// a program runs. Each program gets a process group of its own; one that
// runs past the limit, and any still running when the queue goes away, is
// ended with its whole group, so nothing it started is left behind.
#pragma once

#include <sys/types.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/runloop/run_loop.h"
#include "platform/runloop/timer.h"

namespace cli {

struct ChildOutcome {
    enum class Kind { Exited, Signalled, NotStarted, TimedOut };
    Kind kind = Kind::Exited;
    int code = 0;       // the exit status, or the signal
    std::string error;  // why it did not start
    bool succeeded() const { return kind == Kind::Exited && code == 0; }
};

struct ChildCommand {
    std::vector<std::string> argv;  // argv[0] is looked up in PATH without a slash
    std::string input;              // standard input; empty: /dev/null
    std::function<void(const ChildOutcome&)> done;
};

class ChildQueue {
  public:
    static constexpr platform::Duration kDefaultLimit = std::chrono::seconds(30);

    ChildQueue(platform::RunLoop& loop, platform::Duration limit = kDefaultLimit);
    // Ends the running program's group; what waits is dropped.
    ~ChildQueue();
    ChildQueue(const ChildQueue&) = delete;
    ChildQueue& operator=(const ChildQueue&) = delete;

    void enqueue(ChildCommand command);
    bool idle() const { return running_ == 0 && waiting_.empty(); }
    std::size_t waiting() const { return waiting_.size(); }
    // Called each time the last program has ended.
    void onIdle(std::function<void()> idle) { onIdle_ = std::move(idle); }
    // The running program's process ID (0: none).
    pid_t running() const { return running_; }

  private:
    class ExitSource;

    void startNext();
    void reap(bool timedOut);
    void stopWatching();

    platform::RunLoop& loop_;
    platform::Duration limit_;
    std::deque<ChildCommand> waiting_;
    pid_t running_ = 0;
    std::function<void(const ChildOutcome&)> runningDone_;
    std::shared_ptr<ExitSource> exitSource_;
    std::shared_ptr<platform::Timer> limitTimer_;
    std::shared_ptr<platform::Timer> pollTimer_;  // where no pidfd can be had
    std::function<void()> onIdle_;
};

// The program `name` would run as (searched in PATH without a slash), or why
// it cannot run; for checking programs at start.
struct ProgramLookup {
    std::string path;
    std::string problem;
};
ProgramLookup findProgram(const std::string& name);

}  // namespace cli
