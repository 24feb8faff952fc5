#include "model/localized_text.h"

#include "platform/controls/bundle.h"

std::string LocalizedText::text() const {
    const std::string format = platform::Bundle::mainBundle().localizedString(key);
    return arguments.empty() ? format : platform::formatString(format, arguments);
}
