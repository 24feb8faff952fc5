// A rebuild's time left as the user reads it ("2 h 5 min", "12 min", "less
// than a minute"), from the string table.
#pragma once

#include <string>

std::string timeLeftText(long long seconds);
