#include "cli/verbs.h"

#include <array>

#include "cli/devices_verb.h"
#include "cli/monitor_verb.h"
#include "cli/status_verb.h"

namespace cli {

std::span<const Verb> verbs() {
    static const std::array table{
        Verb{"devices", "what the machine's device source sees", devicesVerb},
        Verb{"status", "report the volumes and disks once, with monitoring exit codes", statusVerb},
        Verb{"monitor", "watch the enclosure and act on every change", monitorVerb},
    };
    return table;
}

}  // namespace cli
