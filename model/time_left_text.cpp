#include "model/time_left_text.h"

#include "platform/controls/bundle.h"
#include "platform/controls/string_format.h"

std::string timeLeftText(long long seconds) {
    const auto& strings = platform::Bundle::mainBundle();
    if (seconds < 60) {
        return strings.localizedString("TIME_LEFT_UNDER_A_MINUTE");
    }
    const long long minutes = (seconds + 59) / 60;
    if (minutes < 60) {
        return platform::formatString(strings.localizedString("TIME_LEFT_MINUTES"), {minutes});
    }
    return platform::formatString(strings.localizedString("TIME_LEFT_HOURS_MINUTES"),
                                  {minutes / 60, minutes % 60});
}
