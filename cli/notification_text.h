// What a desktop notification says about an event, from the string table in
// the user's language.
#pragma once

#include <string>

#include "cli/monitor_events.h"

namespace cli {

struct NotificationText {
    std::string summary;
    std::string body;
    bool critical = false;  // degraded and offline volumes
};

NotificationText notificationFor(const Event& event);

}  // namespace cli
