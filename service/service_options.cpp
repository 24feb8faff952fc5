#include "service/service_options.h"

#include <charconv>

namespace service {

ParsedOptions parseServiceOptions(const std::vector<std::string>& arguments) {
    ServiceOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            return {std::nullopt, {}, true};
        }
        const bool takesValue = argument == "--library" || argument == "--call-limit-ms";
        if (!takesValue) {
            return {std::nullopt, "unknown argument " + argument, false};
        }
        if (i + 1 == arguments.size()) {
            return {std::nullopt, argument + " needs a value", false};
        }
        const std::string& value = arguments[++i];
        if (argument == "--library") {
            options.library = value;
            continue;
        }
        long long milliseconds = 0;
        const auto [end, error] =
            std::from_chars(value.data(), value.data() + value.size(), milliseconds);
        if (error != std::errc() || end != value.data() + value.size() || milliseconds <= 0) {
            return {std::nullopt, "--call-limit-ms takes a positive number, not " + value, false};
        }
        options.callLimit = std::chrono::milliseconds(milliseconds);
    }
    return {options, {}, false};
}

}  // namespace service
