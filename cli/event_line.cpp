#include "cli/event_line.h"

#include <time.h>

#include <nlohmann/json.hpp>

#include "platform/text/printable.h"

namespace cli {

std::vector<std::string> eventWords(const Event& event) {
    std::vector<std::string> words{eventName(event.kind), platform::printable(event.subject)};
    if (!event.detail.empty()) {
        words.push_back(platform::printable(event.detail));
    }
    return words;
}

std::string eventLine(const Event& event) {
    std::string line;
    for (const std::string& word : eventWords(event)) {
        line += (line.empty() ? "" : " ") + word;
    }
    return line;
}

namespace {

std::string formatTime(WallTime when, bool utc, const char* format) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm parts{};
    if (utc) {
        ::gmtime_r(&seconds, &parts);
    } else {
        ::localtime_r(&seconds, &parts);
    }
    char buffer[64];
    const std::size_t n = std::strftime(buffer, sizeof buffer, format, &parts);
    return std::string(buffer, n);
}

template <class T>
nlohmann::ordered_json orNull(const std::optional<T>& value) {
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

}  // namespace

std::string localTimestamp(WallTime when) {
    return formatTime(when, false, "%Y-%m-%d %H:%M:%S ");
}

std::string eventJson(const Event& event, WallTime when) {
    nlohmann::ordered_json disk = nullptr;
    if (event.disk) {
        disk = {{"slot", event.disk->slot},
                {"model", event.disk->model},
                {"serial", event.disk->serial}};
    }
    const bool aboutVolume = !event.volume.empty();
    const nlohmann::ordered_json object = {
        {"time", formatTime(when, true, "%Y-%m-%dT%H:%M:%SZ")},
        {"event", eventName(event.kind)},
        {"subject", event.subject},
        {"controller", event.subject == kControllerLibrarySubject
                           ? nlohmann::ordered_json(nullptr)
                           : nlohmann::ordered_json(event.adapter)},
        {"volume",
         aboutVolume ? nlohmann::ordered_json(event.volume) : nlohmann::ordered_json(nullptr)},
        {"disk", disk},
        {"detail", event.detail.empty() ? nlohmann::ordered_json(nullptr)
                                        : nlohmann::ordered_json(event.detail)},
        {"reminder", event.reminder},
        {"progress_percent", orNull(event.progressPercent)},
        {"rebuild_seconds_remaining", orNull(event.secondsRemaining)},
    };
    // Names come from hardware: bytes that are not UTF-8 become U+FFFD.
    return object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace cli
