// The two UTF-8 questions the model asks of names: is it valid, and where to
// cut it without splitting a character.
#pragma once

#include <cstddef>
#include <string_view>

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no
// surrogates, nothing above U+10FFFF.
bool isValidUTF8(std::string_view text);

// The length of the longest prefix of `text` of at most `maxBytes` bytes that
// does not end inside a multi-byte character.
std::size_t utf8PrefixLength(std::string_view text, std::size_t maxBytes);
