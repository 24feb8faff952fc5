#include "platform/controls/formatter.h"

namespace platform {

std::optional<std::string> Formatter::stringForObjectValue(const std::any&) const {
    return std::nullopt;
}

bool Formatter::getObjectValue(std::any&, const std::string&, std::string*) const {
    return false;
}

bool Formatter::isPartialStringValid(std::u16string&,
                                     TextRange&,
                                     const std::u16string&,
                                     TextRange,
                                     std::string*) const {
    return true;
}

}  // namespace platform
