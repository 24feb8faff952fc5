#pragma once

#include <string_view>

namespace platform {

// Call inside a catch block: reports the exception being handled on stderr,
// naming where it escaped from.
void reportEscapedException(std::string_view where) noexcept;

}  // namespace platform
