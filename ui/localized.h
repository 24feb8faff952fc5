// Texts of the main bundle's string table, plain or used as formats.
#pragma once

#include <initializer_list>
#include <string>

#include "platform/controls/bundle.h"
#include "platform/controls/string_format.h"

inline std::string localized(const std::string& key) {
    return platform::Bundle::mainBundle().localizedString(key);
}

inline std::string localizedFormat(const std::string& key,
                                   std::initializer_list<platform::FormatArg> args) {
    return platform::formatString(localized(key), args);
}
