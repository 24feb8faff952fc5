#include "cli/reading_timeout.h"

#include <unistd.h>

#include <cmath>

#include "backends/backend_choice.h"
#include "cli/texts.h"
#include "cli/verbs.h"

namespace cli {

std::optional<platform::Duration> parseTimeout(const std::string& text) {
    std::size_t used = 0;
    double seconds = 0;
    try {
        seconds = std::stod(text, &used);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (used != text.size() || !std::isfinite(seconds) || seconds < 1 || seconds > 3600) {
        return std::nullopt;
    }
    return platform::seconds(seconds);
}

platform::Duration readingTimeout(const std::optional<std::string>& given) {
    if (!given) {
        return kDefaultReadingTimeout;
    }
    const auto timeout = parseTimeout(*given);
    if (!timeout) {
        throw UsageError(text("CLI_BAD_TIMEOUT", {*given}));
    }
    return *timeout;
}

EnclosureReading unansweredReading() {
    EnclosureReading reading;
    reading.libraryProblem = backends::serviceNotAnswering();
    reading.controllersRead = false;
    return reading;
}

ReadingTimeout::ReadingTimeout(platform::Duration timeout, std::string lastWords, int status)
    : deadline_(timeout) {
    // The real clock, whatever the model's: this bounds the process itself.
    const auto end = std::chrono::steady_clock::now() + timeout + kGrace;
    watch_ = std::thread([this, end, words = std::move(lastWords), status] {
        std::unique_lock lock(mutex_);
        if (!finished_.wait_until(lock, end, [this] { return done_; })) {
            // The main thread is stuck somewhere: say it without its streams.
            for (std::size_t written = 0; written < words.size();) {
                const ssize_t r =
                    ::write(STDOUT_FILENO, words.data() + written, words.size() - written);
                if (r <= 0) {
                    break;
                }
                written += static_cast<std::size_t>(r);
            }
            ::_exit(status);
        }
    });
}

ReadingTimeout::~ReadingTimeout() {
    {
        std::lock_guard lock(mutex_);
        done_ = true;
    }
    finished_.notify_one();
    watch_.join();
}

}  // namespace cli
