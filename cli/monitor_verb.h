// norvik-raid monitor [--interval SECONDS] [--notify] [--program CMD] [--textfile DIR] [--once]
//                     [--timeout SECONDS]
#pragma once

#include "cli/verbs.h"
