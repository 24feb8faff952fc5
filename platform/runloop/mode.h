// The run-loop modes: the loop runs in one at a time, and every timer,
// delayed perform and source is placed in a set of them.
#pragma once

#include <cstdint>

namespace platform {

enum class Mode : std::uint8_t {
    Default = 1 << 0,
    ModalPanel = 1 << 1,     // a modal alert or panel is running
    EventTracking = 1 << 2,  // a pop-up menu or a control is being tracked
};

class ModeSet {
  public:
    constexpr ModeSet() = default;
    constexpr ModeSet(Mode m)
        : bits_(static_cast<std::uint8_t>(m)) {}  // NOLINT: implicit on purpose
    constexpr ModeSet operator|(ModeSet o) const { return ModeSet(bits_ | o.bits_); }
    constexpr bool contains(Mode m) const { return (bits_ & static_cast<std::uint8_t>(m)) != 0; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr bool operator==(const ModeSet&) const = default;

  private:
    constexpr explicit ModeSet(unsigned bits) : bits_(static_cast<std::uint8_t>(bits)) {}
    std::uint8_t bits_ = 0;
};

constexpr ModeSet operator|(Mode a, Mode b) {
    return ModeSet(a) | ModeSet(b);
}

// The common-modes set: every mode.
inline constexpr ModeSet kCommonModes = Mode::Default | Mode::ModalPanel | Mode::EventTracking;

}  // namespace platform
