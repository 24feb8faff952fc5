// What the user hears when "Open Disk Tool" opens nothing: that no disk tool
// is installed, or that the one found would not start.
#pragma once

#include "platform/controls/workspace.h"

// Shows nothing when the tool was launched.
void alertUnlessLaunched(const platform::LaunchOutcome& outcome);
