// norvik-raid status [--json | --nagios]
#pragma once

#include "cli/verbs.h"
