// norvik-raid status [--json | --nagios] [--timeout SECONDS]
#pragma once

#include "cli/verbs.h"
