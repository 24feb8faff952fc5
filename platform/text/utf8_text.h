// Names reach the programs as bytes from hardware, files and command lines;
// these say which of them are UTF-8 text.
#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

// The length of the well-formed UTF-8 character starting at `at`, or 0 when
// the bytes there are not one (stray continuation, overlong form, surrogate,
// beyond U+10FFFF, cut short).
std::size_t utf8CharacterLength(std::string_view text, std::size_t at);

bool isUtf8(std::string_view text);

}  // namespace platform
