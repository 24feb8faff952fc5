// --timeout SECONDS of status and monitor: how long one reading of the
// enclosure may take in all, as monitoring plugins' -t. Reads give up at the
// deadline, and the verb ends UNKNOWN saying the service is not answering;
// should anything else hold the process past it, a watch thread writes the
// verb's last words and ends the process with its UNKNOWN status.
#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "model/enclosure_reading.h"
#include "model/reading_deadline.h"
#include "platform/runloop/clock.h"

namespace cli {

// The seconds in `text`, or nothing when they are not a number from 1 to 3600.
std::optional<platform::Duration> parseTimeout(const std::string& text);
// The timeout the command line gave, or the default; throws UsageError.
platform::Duration readingTimeout(const std::optional<std::string>& given);

// What a check that ran out of time read: nothing, the service not answering.
EnclosureReading unansweredReading();

class ReadingTimeout {
  public:
    // How long after the deadline the watch thread ends the process.
    static constexpr platform::Duration kGrace = std::chrono::milliseconds(500);

    // Reads in the scope end within `timeout`; past it and the grace,
    // `lastWords` goes to standard output and the process exits with `status`.
    ReadingTimeout(platform::Duration timeout, std::string lastWords, int status);
    ~ReadingTimeout();
    ReadingTimeout(const ReadingTimeout&) = delete;
    ReadingTimeout& operator=(const ReadingTimeout&) = delete;

  private:
    ScopedReadingDeadline deadline_;
    std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;
    std::thread watch_;
};

}  // namespace cli
