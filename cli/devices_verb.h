// norvik-raid devices [--json]: what the device source sees. Exit 0 when at
// least one enclosure is found, 1 when none, 3 on a mistyped command line.
#pragma once

#include "cli/verbs.h"
