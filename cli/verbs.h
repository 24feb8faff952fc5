// norvik-raid's verbs and what the command line hands each of them: the
// options every verb takes, and the verb's own, already parsed.
#pragma once

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/console.h"

namespace cli {

// Options every verb takes.
struct GlobalOptions {
    bool simulator = false;
};

struct DevicesOptions {
    bool json = false;
};

struct StatusOptions {
    bool json = false;
    bool nagios = false;
    std::optional<std::string> timeout;
};

struct MonitorOptions {
    std::optional<std::string> interval;
    bool notify = false;
    std::optional<std::string> program;
    std::optional<std::string> textfile;
    bool once = false;
    std::optional<std::string> timeout;
    std::optional<std::string> config;
    std::vector<std::string> mail;
    std::optional<std::string> sendmail;
    std::optional<std::string> remind;
    bool journal = false;
    bool json = false;
    bool test = false;
};

// configure, rebuild and cancel-rebuild.
struct ChangeOptions {
    std::optional<std::string> layout;  // configure's one argument
    std::optional<std::string> name;
    std::optional<std::string> controller;
    std::optional<std::string> volume;
    bool yes = false;
    bool json = false;
};

struct Verb {
    const char* name;
    const char* summaryKey;           // one line of the main usage text
    const char* usageKey;             // the synopsis
    const char* helpKey;              // what it does, its options, its exit status
    const char* footerKey = nullptr;  // said after the help, shared by several verbs
};

// Every verb, in the order the usage text lists them.
std::span<const Verb> verbs();
const Verb* findVerb(const std::string& name);

// A value the command line gave that the verb cannot use; said with the
// verb's usage, as a mistyped command line.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Exit status of a mistyped command line, for every verb: UNKNOWN in the
// monitoring-plugin convention that status and monitor follow.
inline constexpr int kUsageError = 3;

// The verb's usage: the synopsis and where to read more.
std::string verbUsage(const Verb& verb);
// The verb's whole help text.
std::string verbHelp(const Verb& verb);

int devicesVerb(const DevicesOptions& options, const GlobalOptions& global, Console& console);
int statusVerb(const StatusOptions& options, const GlobalOptions& global, Console& console);
int monitorVerb(const MonitorOptions& options, const GlobalOptions& global, Console& console);
int configureVerb(const ChangeOptions& options, const GlobalOptions& global, Console& console);
int rebuildVerb(const ChangeOptions& options, const GlobalOptions& global, Console& console);
int cancelRebuildVerb(const ChangeOptions& options, const GlobalOptions& global, Console& console);

}  // namespace cli
