#include "platform/controls/string_format.h"

#include <charconv>
#include <cstddef>
#include <optional>
#include <string>

namespace platform {
namespace {

// Widths and precisions beyond this are taken for a broken format, not a
// request for megabytes of padding.
constexpr std::size_t kMaxWidth = 1024;

struct Spec {
    std::optional<std::size_t> position;  // 1-based, from "%n$"
    bool leftAlign = false;
    bool plusSign = false;
    bool spaceSign = false;
    bool zeroPad = false;
    bool alternate = false;
    std::size_t width = 0;
    std::optional<std::size_t> precision;
    char conversion = 0;
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads a decimal number at `i`; nullopt when there is none or it is too large.
std::optional<std::size_t> readNumber(std::string_view text, std::size_t& i) {
    const std::size_t start = i;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
    }
    std::size_t value = 0;
    auto [end, error] = std::from_chars(text.data() + start, text.data() + i, value);
    (void)end;
    if (i == start || error != std::errc{} || value > kMaxWidth) {
        return std::nullopt;
    }
    return value;
}

// Parses the placeholder that starts at format[i] == '%'. On success `i` is
// just past it; on failure nullopt (the caller keeps the text as written).
std::optional<Spec> parseSpec(std::string_view format, std::size_t& i) {
    Spec spec;
    std::size_t j = i + 1;
    // "%n$": a position, only when the digits are followed by '$'.
    if (j < format.size() && isDigit(format[j]) && format[j] != '0') {
        std::size_t k = j;
        auto number = readNumber(format, k);
        if (number && k < format.size() && format[k] == '$') {
            spec.position = *number;
            j = k + 1;
        }
    }
    for (; j < format.size(); ++j) {
        const char c = format[j];
        if (c == '-') {
            spec.leftAlign = true;
        } else if (c == '+') {
            spec.plusSign = true;
        } else if (c == ' ') {
            spec.spaceSign = true;
        } else if (c == '0') {
            spec.zeroPad = true;
        } else if (c == '#') {
            spec.alternate = true;
        } else if (c == '\'') {
            // grouping flag: accepted, not applied
        } else {
            break;
        }
    }
    if (j < format.size() && isDigit(format[j])) {
        auto width = readNumber(format, j);
        if (!width) {
            return std::nullopt;
        }
        spec.width = *width;
    }
    if (j < format.size() && format[j] == '.') {
        ++j;
        if (j < format.size() && isDigit(format[j])) {
            auto precision = readNumber(format, j);
            if (!precision) {
                return std::nullopt;
            }
            spec.precision = *precision;
        } else {
            spec.precision = 0;
        }
    }
    while (j < format.size() &&
           std::string_view("hlqLztj").find(format[j]) != std::string_view::npos) {
        ++j;
    }
    if (j >= format.size()) {
        return std::nullopt;
    }
    spec.conversion = format[j];
    if (std::string_view("diuxXoc s@%").find(spec.conversion) == std::string_view::npos ||
        spec.conversion == ' ') {
        return std::nullopt;
    }
    i = j + 1;
    return spec;
}

std::string pad(std::string body, const Spec& spec, bool numeric) {
    if (body.size() >= spec.width) {
        return body;
    }
    const std::size_t fill = spec.width - body.size();
    if (spec.leftAlign) {
        return body + std::string(fill, ' ');
    }
    if (numeric && spec.zeroPad && !spec.precision) {
        // Zeros go after the sign or radix prefix.
        std::size_t prefix = 0;
        if (!body.empty() && (body[0] == '-' || body[0] == '+' || body[0] == ' ')) {
            prefix = 1;
        }
        if (body.size() >= prefix + 2 && body[prefix] == '0' &&
            (body[prefix + 1] == 'x' || body[prefix + 1] == 'X')) {
            prefix += 2;
        }
        return body.insert(prefix, fill, '0');
    }
    return std::string(fill, ' ') + body;
}

std::string digitsOf(std::uint64_t value, unsigned base, bool upper) {
    const char* alphabet = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string digits;
    do {
        digits.insert(digits.begin(), alphabet[value % base]);
        value /= base;
    } while (value != 0);
    return digits;
}

std::string formatInteger(std::int64_t value, const Spec& spec) {
    const char c = spec.conversion;
    // Views, not strings: GCC 12 warns falsely (-Wrestrict) on assigning literals to strings here.
    std::string_view sign;
    std::string_view prefix;
    std::string digits;
    if (c == 'd' || c == 'i') {
        const bool negative = value < 0;
        const std::uint64_t magnitude =
            negative ? ~static_cast<std::uint64_t>(value) + 1 : static_cast<std::uint64_t>(value);
        digits = digitsOf(magnitude, 10, false);
        sign = negative ? "-" : (spec.plusSign ? "+" : (spec.spaceSign ? " " : ""));
    } else {
        // Unsigned conversions of a negative value show its two's complement,
        // in 32 bits when it fits there (as an int argument would have).
        std::uint64_t bits = static_cast<std::uint64_t>(value);
        if (value < 0 && value >= INT32_MIN) {
            bits = static_cast<std::uint32_t>(value);
        }
        const unsigned base = c == 'u' ? 10 : (c == 'o' ? 8 : 16);
        digits = digitsOf(bits, base, c == 'X');
        if (spec.alternate && bits != 0 && (c == 'x' || c == 'X')) {
            prefix = c == 'x' ? "0x" : "0X";
        }
        if (spec.alternate && c == 'o' && digits[0] != '0') {
            prefix = "0";
        }
    }
    if (spec.precision) {
        if (*spec.precision == 0 && digits == "0") {
            digits.clear();
        } else if (digits.size() < *spec.precision) {
            digits.insert(0, *spec.precision - digits.size(), '0');
        }
    }
    std::string text;
    text.reserve(sign.size() + prefix.size() + digits.size());
    text.append(sign).append(prefix).append(digits);
    return pad(text, spec, true);
}

// Cuts a UTF-8 text to at most `limit` bytes without splitting a character.
std::string truncateUtf8(const std::string& text, std::size_t limit) {
    if (text.size() <= limit) {
        return text;
    }
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return text.substr(0, end);
}

std::string render(const FormatArg& arg, const Spec& spec) {
    const bool wantsText = spec.conversion == 's' || spec.conversion == '@';
    if (spec.conversion == 'c') {
        if (arg.isInteger()) {
            const auto code = std::get<std::int64_t>(arg.value());
            // Printable ASCII only; anything else would not be valid text.
            const char shown = (code >= 0x20 && code < 0x7F) ? static_cast<char>(code) : '?';
            return pad(std::string(1, shown), spec, false);
        }
        return pad(truncateUtf8(std::get<std::string>(arg.value()), 4), spec, false);
    }
    if (arg.isInteger()) {
        const auto value = std::get<std::int64_t>(arg.value());
        if (wantsText) {
            return pad(std::to_string(value), spec, false);
        }
        return formatInteger(value, spec);
    }
    // A string where a number was asked for is shown as it is.
    const std::string& text = std::get<std::string>(arg.value());
    if (wantsText && spec.precision) {
        return pad(truncateUtf8(text, *spec.precision), spec, false);
    }
    return pad(text, spec, false);
}

}  // namespace

std::string formatString(std::string_view format, std::span<const FormatArg> args) {
    std::string out;
    out.reserve(format.size());
    std::size_t nextArg = 0;
    std::size_t i = 0;
    while (i < format.size()) {
        const std::size_t percent = format.find('%', i);
        if (percent == std::string_view::npos) {
            out.append(format.substr(i));
            break;
        }
        out.append(format.substr(i, percent - i));
        std::size_t end = percent;
        const auto spec = parseSpec(format, end);
        if (!spec) {
            // Not a placeholder we know: keep the '%' and go on after it.
            out.push_back('%');
            i = percent + 1;
            continue;
        }
        if (spec->conversion == '%') {
            out.push_back('%');
        } else {
            const std::size_t index = spec->position ? *spec->position - 1 : nextArg++;
            if (index < args.size()) {
                out += render(args[index], *spec);
            } else {
                out.append(format.substr(percent, end - percent));
            }
        }
        i = end;
    }
    return out;
}

std::string formatString(std::string_view format, std::initializer_list<FormatArg> args) {
    return formatString(format, std::span<const FormatArg>(args.begin(), args.size()));
}

}  // namespace platform
