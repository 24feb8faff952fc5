// norvik-raid monitor [--interval SECONDS] [--notify] [--program CMD] [--textfile DIR] [--once]
//                     [--timeout SECONDS] [--config FILE] [--mail ADDRESS]... [--sendmail PATH]
//                     [--remind HOURS] [--journal] [--json] [--test]
#pragma once

#include "cli/verbs.h"
