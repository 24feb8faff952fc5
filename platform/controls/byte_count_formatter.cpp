#include "platform/controls/byte_count_formatter.h"

#include <array>
#include <string>

namespace platform {
namespace {

using u128 = unsigned __int128;

constexpr std::array<const char*, 7> kUnits = {"bytes", "KB", "MB", "GB", "TB", "PB", "EB"};

// Fraction digits shown for each unit: none for bytes and KB, one for MB, two above.
constexpr int fractionDigits(std::size_t unit) {
    return unit <= 1 ? 0 : (unit == 2 ? 1 : 2);
}

u128 power(u128 base, std::size_t exponent) {
    u128 result = 1;
    for (std::size_t i = 0; i < exponent; ++i) {
        result *= base;
    }
    return result;
}

std::string withThousandsSeparators(u128 value, const std::string& separator) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
        value /= 10;
    } while (value != 0);
    for (auto i = static_cast<std::ptrdiff_t>(digits.size()) - 3; i > 0; i -= 3) {
        digits.insert(static_cast<std::size_t>(i), separator);
    }
    return digits;
}

}  // namespace

std::string ByteCountFormatter::stringFromByteCount(std::int64_t bytes, CountStyle style) {
    return stringFromByteCount(bytes, style, NumberSymbols::session());
}

std::string ByteCountFormatter::stringFromByteCount(std::int64_t bytes,
                                                    CountStyle style,
                                                    const NumberSymbols& symbols) {
    if (bytes == 0) {
        return "Zero KB";
    }
    const bool negative = bytes < 0;
    // Negate in unsigned arithmetic so the smallest int64 does not overflow.
    const std::uint64_t magnitude =
        negative ? ~static_cast<std::uint64_t>(bytes) + 1 : static_cast<std::uint64_t>(bytes);
    const std::string sign = negative ? "-" : "";
    if (magnitude == 1) {
        return sign + "1 byte";
    }

    const bool binary = style == CountStyle::Memory || style == CountStyle::Binary;
    const u128 base = binary ? 1024 : 1000;

    // The unit comes from the unrounded size: 999999 bytes stays in KB.
    std::size_t unit = 0;
    while (unit + 1 < kUnits.size() && magnitude >= power(base, unit + 1)) {
        ++unit;
    }
    if (unit == 0) {
        return sign + withThousandsSeparators(magnitude, symbols.groupingSeparator) + " bytes";
    }

    // Exact fixed-point rounding, half to even: scaled = magnitude * 10^digits / base^unit.
    const int digits = fractionDigits(unit);
    const u128 scale = power(10, static_cast<std::size_t>(digits));
    const u128 numerator = static_cast<u128>(magnitude) * scale;
    const u128 denominator = power(base, unit);
    u128 scaled = numerator / denominator;
    const u128 remainder = numerator % denominator;
    if (remainder * 2 > denominator || (remainder * 2 == denominator && scaled % 2 == 1)) {
        ++scaled;
    }

    std::string text = withThousandsSeparators(scaled / scale, symbols.groupingSeparator);
    u128 fraction = scaled % scale;
    int shown = digits;
    while (shown > 0 && fraction % 10 == 0) {  // trailing zeros are dropped
        fraction /= 10;
        --shown;
    }
    if (shown > 0) {
        std::string fractionText(static_cast<std::size_t>(shown), '0');
        for (int i = shown - 1; i >= 0; --i) {
            fractionText[static_cast<std::size_t>(i)] =
                static_cast<char>('0' + static_cast<int>(fraction % 10));
            fraction /= 10;
        }
        text += symbols.decimalSeparator + fractionText;
    }
    return sign + text + " " + kUnits[unit];
}

}  // namespace platform
