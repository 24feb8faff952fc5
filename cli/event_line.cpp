#include "cli/event_line.h"

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

}  // namespace cli
