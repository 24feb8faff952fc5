#include "cli/verbs.h"

#include <array>

#include "cli/devices_verb.h"

namespace cli {

std::span<const Verb> verbs() {
    static const std::array table{
        Verb{"devices", "what the machine's device source sees", devicesVerb},
    };
    return table;
}

}  // namespace cli
