#include "cli/verbs.h"

#include <array>

#include "cli/monitor_verb.h"
#include "cli/status_verb.h"

namespace cli {

std::span<const Verb> verbs() {
    static const std::array<Verb, 2> table{{
        {"status", "report the volumes and disks once, with monitoring exit codes", statusVerb},
        {"monitor", "watch the enclosure and act on every change", monitorVerb},
    }};
    return table;
}

}  // namespace cli
