// printf-style formatting of localized texts with typed arguments.
//
// Translators write the format, so it is untrusted: a placeholder without an
// argument is left in the text as written, an argument of the other kind is
// converted (an integer for %s prints in decimal, a string for %d prints as
// it is), and nothing ever reads past the arguments given.
//
// Supported: %d %i %u %x %X %o %c %s %@ %%, positions (%1$s), flags (-+ 0#),
// width and precision as digits, and length modifiers (h hh l ll q z t j L),
// which are accepted and ignored: integers are 64-bit.
#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace platform {

class FormatArg {
  public:
    template <std::integral T>
    FormatArg(T value)  // NOLINT: implicit on purpose
        : value_(static_cast<std::int64_t>(value)) {}
    FormatArg(std::string value) : value_(std::move(value)) {}                 // NOLINT
    FormatArg(std::string_view value) : value_(std::string(value)) {}          // NOLINT
    FormatArg(const char* value) : value_(std::string(value ? value : "")) {}  // NOLINT

    bool isInteger() const { return std::holds_alternative<std::int64_t>(value_); }
    const std::variant<std::int64_t, std::string>& value() const { return value_; }

  private:
    std::variant<std::int64_t, std::string> value_;
};

std::string formatString(std::string_view format, std::span<const FormatArg> args);
std::string formatString(std::string_view format, std::initializer_list<FormatArg> args);

}  // namespace platform
