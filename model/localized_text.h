// A text of the string table named by its key, with the arguments its format
// takes. The model says what to tell the user; each front end looks the text
// up in the session's language when it shows it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/controls/string_format.h"

struct LocalizedText {
    std::string key;
    std::vector<platform::FormatArg> arguments;

    LocalizedText() = default;
    LocalizedText(std::string k, std::vector<platform::FormatArg> args = {})  // NOLINT
        : key(std::move(k)), arguments(std::move(args)) {}
    LocalizedText(const char* k) : key(k) {}  // NOLINT

    // The main bundle's text for the key, used as a format with the arguments.
    std::string text() const;
};
