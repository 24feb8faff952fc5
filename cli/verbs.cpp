#include "cli/verbs.h"

#include <array>

#include "cli/texts.h"

namespace cli {

namespace {
constexpr const char* kChangeFooter = "HELP_CHANGE_EXIT_STATUS";
}  // namespace

std::span<const Verb> verbs() {
    static const std::array table{
        Verb{"devices", "VERB_DEVICES", "USAGE_DEVICES", "HELP_DEVICES"},
        Verb{"status", "VERB_STATUS", "USAGE_STATUS", "HELP_STATUS"},
        Verb{"monitor", "VERB_MONITOR", "USAGE_MONITOR", "HELP_MONITOR"},
        Verb{"configure", "VERB_CONFIGURE", "USAGE_CONFIGURE", "HELP_CONFIGURE", kChangeFooter},
        Verb{"rebuild", "VERB_REBUILD", "USAGE_REBUILD", "HELP_REBUILD", kChangeFooter},
        Verb{"cancel-rebuild", "VERB_CANCEL_REBUILD", "USAGE_CANCEL_REBUILD", "HELP_CANCEL_REBUILD",
             kChangeFooter},
    };
    return table;
}

const Verb* findVerb(const std::string& name) {
    for (const Verb& verb : verbs()) {
        if (name == verb.name) {
            return &verb;
        }
    }
    return nullptr;
}

std::string verbUsage(const Verb& verb) {
    return text(verb.usageKey) + "\n" + text("USAGE_MORE", {verb.name}) + "\n";
}

std::string verbHelp(const Verb& verb) {
    std::string help = text(verb.usageKey) + "\n\n" + text(verb.helpKey) + "\n";
    if (verb.footerKey) {
        help += "\n" + text(verb.footerKey) + "\n";
    }
    return help;
}

}  // namespace cli
