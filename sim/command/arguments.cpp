#include "sim/command/arguments.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace sim {

Arguments::Arguments(const std::string& command,
                     const std::vector<std::string>& words,
                     const std::set<std::string>& valued,
                     const std::set<std::string>& flags)
    : command_(command) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.rfind("--", 0) != 0 || word == "--") {
            if (word.size() > 1 && word[0] == '-' &&
                !std::isdigit(static_cast<unsigned char>(word[1]))) {
                throw UsageError(command_ + ": unknown option " + word);
            }
            positionals_.push_back(word);
            continue;
        }
        std::string name = word.substr(2);
        std::optional<std::string> inlineValue;
        if (auto eq = name.find('='); eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        if (valued.count(name)) {
            if (options_.count(name)) {
                throw UsageError(command_ + ": --" + name + " is given twice");
            }
            if (inlineValue) {
                options_[name] = *inlineValue;
            } else if (i + 1 < words.size()) {
                options_[name] = words[++i];
            } else {
                throw UsageError(command_ + ": --" + name + " needs a value");
            }
        } else if (flags.count(name)) {
            if (inlineValue) {
                throw UsageError(command_ + ": --" + name + " takes no value");
            }
            if (!flags_.insert(name).second) {
                throw UsageError(command_ + ": --" + name + " is given twice");
            }
        } else {
            throw UsageError(command_ + ": unknown option --" + name);
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
