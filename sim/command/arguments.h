// Strict reading of norvik-sim's arguments: anything mistyped is a UsageError
// that says what was wrong.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace sim {

class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A subcommand's words after its name: positionals and "--name [value]" options.
class Arguments {
  public:
    // `valued` options take the next word; `flags` take none. Throws UsageError
    // for an unknown or repeated option or a missing value.
    Arguments(const std::string& command,
              const std::vector<std::string>& words,
              const std::set<std::string>& valued,
              const std::set<std::string>& flags = {});

    // Throws unless there are between `least` and `most` positionals.
    void expectPositionals(std::size_t least, std::size_t most) const;
    const std::vector<std::string>& positionals() const { return positionals_; }
    std::optional<std::string> option(const std::string& name) const;
    bool flag(const std::string& name) const { return flags_.count(name) != 0; }

  private:
    std::string command_;
    std::vector<std::string> positionals_;
    std::map<std::string, std::string> options_;
    std::set<std::string> flags_;
};

// Whole numbers in [low, high]; `what` names the value in the error.
std::uint64_t parseNumber(const std::string& text,
                          const std::string& what,
                          std::uint64_t low,
                          std::uint64_t high);
// A byte count; digits may be grouped with ',' or '_'.
std::uint64_t parseBytes(const std::string& text, const std::string& what);
double parseSeconds(const std::string& text, const std::string& what);

}  // namespace sim
