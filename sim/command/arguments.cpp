#include "sim/command/arguments.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>

namespace sim {

Arguments::Arguments(const std::string& command,
                     const std::vector<std::string>& words,
                     const std::set<std::string>& valued,
                     const std::set<std::string>& flags)
    : command_(command) {
    CLI::App parser("", command);
    // "--help" is a command of its own, only as the first word.
    parser.set_help_flag();
    parser.add_option("arguments", positionals_);
    for (const std::string& name : valued) {
        parser.add_option_function<std::string>(
            "--" + name, [this, name](const std::string& value) { options_[name] = value; });
    }
    std::map<std::string, int> counts;
    for (const std::string& name : flags) {
        parser.add_flag("--" + name, counts[name])->disable_flag_override();
    }
    std::vector<std::string> reversed(words.rbegin(), words.rend());
    try {
        parser.parse(reversed);
    } catch (const CLI::ParseError& e) {
        throw UsageError(command_ + ": " + e.what());
    }
    for (const auto& [name, count] : counts) {
        if (count > 1) {
            throw UsageError(command_ + ": --" + name + " is given twice");
        }
        if (count == 1) {
            flags_.insert(name);
        }
    }
}

void Arguments::expectPositionals(std::size_t least, std::size_t most) const {
    if (positionals_.size() < least) {
        throw UsageError(command_ + ": too few arguments");
    }
    if (positionals_.size() > most) {
        throw UsageError(command_ + ": unexpected argument \"" + positionals_[most] + "\"");
    }
}

std::optional<std::string> Arguments::option(const std::string& name) const {
    auto it = options_.find(name);
    if (it == options_.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::uint64_t parseNumber(const std::string& text,
                          const std::string& what,
                          std::uint64_t low,
                          std::uint64_t high) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error == std::errc::invalid_argument || ptr != end) {
        throw UsageError(what + " must be a whole number, not \"" + text + "\"");
    }
    if (error == std::errc::result_out_of_range || value < low || value > high) {
        throw UsageError(what + " must be between " + std::to_string(low) + " and " +
                         std::to_string(high) + ", not " + text);
    }
    return value;
}

std::uint64_t parseBytes(const std::string& text, const std::string& what) {
    std::string digits;
    for (char c : text) {
        if (c != ',' && c != '_') {
            digits.push_back(c);
        }
    }
    if (digits.empty() && !text.empty()) {
        digits = text;
    }
    // At least 1 MiB; at most 1 EiB.
    return parseNumber(digits, what, std::uint64_t{1} << 20, std::uint64_t{1} << 60);
}

double parseSeconds(const std::string& text, const std::string& what) {
    double value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || ptr != end || !std::isfinite(value) || value <= 0 ||
        value > 1e6) {
        throw UsageError(what + " must be a number of seconds above 0 and up to 1000000, not \"" +
                         text + "\"");
    }
    return value;
}

}  // namespace sim
