// norvik-raid monitor [--interval SECONDS] [--notify] [--program CMD] [--textfile DIR] [--once]
#pragma once

#include "cli/verbs.h"
