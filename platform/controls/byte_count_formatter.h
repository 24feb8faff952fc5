// Byte counts as text: "Zero KB", "1 byte", "999 bytes", "1 KB", "1.2 MB",
// "12.35 GB", "2 TB", "1,000 KB".
//
// File and Decimal count in powers of 1000, Memory and Binary in powers of
// 1024. The unit is the largest (up to EB) that the unrounded size reaches;
// bytes and KB show no fraction, MB one digit, GB and above two, rounded half
// to even on the exact value, trailing zeros dropped, thousands separated by ",".
// Those are the English symbols; the session's locale gives its own ("12,35 GB").
#pragma once

#include <cstdint>
#include <string>

#include "platform/controls/number_symbols.h"

namespace platform {

enum class CountStyle : int {
    File = 0,
    Memory = 1,
    Decimal = 2,
    Binary = 3,
};

class ByteCountFormatter {
  public:
    using CountStyle = platform::CountStyle;

    // In the session's locale.
    static std::string stringFromByteCount(std::int64_t bytes, CountStyle style);
    static std::string stringFromByteCount(std::int64_t bytes,
                                           CountStyle style,
                                           const NumberSymbols& symbols);
};

}  // namespace platform
