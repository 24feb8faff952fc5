// Text positions as the edit validation counts them: UTF-16 code units.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

struct TextRange {
    std::size_t location = 0;
    std::size_t length = 0;

    std::size_t end() const { return location + length; }
    friend bool operator==(const TextRange&, const TextRange&) = default;
};

// Invalid UTF-8 becomes U+FFFD, so nothing a user or a library hands over is lost silently
// or read past its end.
std::u16string toUtf16(std::string_view utf8);
// Unpaired surrogates (e.g. a pair cut in half by a length limit) are dropped.
std::string toUtf8(std::u16string_view utf16);

}  // namespace platform
