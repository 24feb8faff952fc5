// Names are whatever bytes hardware, a file or a user gave them; printed as
// they are, control characters would drive the terminal or forge lines of a
// log. This shows them instead.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// `text` with control characters (C0, DEL, C1), bytes that are not UTF-8 and
// backslashes written as \xNN (\\ for a backslash); other text unchanged.
std::string printable(std::string_view text);

}  // namespace platform
