#include "cli/texts.h"

#include "platform/controls/bundle.h"

namespace cli {

std::string text(const std::string& key) {
    return platform::Bundle::mainBundle().localizedString(key);
}

std::string text(const std::string& key, std::initializer_list<platform::FormatArg> args) {
    return platform::formatString(text(key), args);
}

}  // namespace cli
