// norvik-raid's verbs. Each takes the words after its own name and writes to
// the given streams; its return value is the process's exit status.
#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <vector>

namespace cli {

using VerbFunction = int (*)(std::vector<std::string> args, std::ostream& out, std::ostream& err);

struct Verb {
    const char* name;
    const char* summary;  // one line for the usage text
    VerbFunction run;
};

// Every verb, in the order the usage text lists them.
std::span<const Verb> verbs();

// Exit status of a mistyped command line.
inline constexpr int kUsageError = 2;

}  // namespace cli
