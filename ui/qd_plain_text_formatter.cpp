#include "ui/qd_plain_text_formatter.h"

#include <algorithm>

std::optional<std::string> QDPlainTextFormatter::stringForObjectValue(const std::any& value) const {
    if (const auto* s = std::any_cast<std::string>(&value)) {
        return *s;
    }
    return std::nullopt;
}

bool QDPlainTextFormatter::getObjectValue(std::any& value,
                                          const std::string& string,
                                          std::string* /*errorDescription*/) const {
    value = string;
    return true;
}

bool QDPlainTextFormatter::isPartialStringValid(std::u16string& partialString,
                                                platform::TextRange& proposedSelectedRange,
                                                const std::u16string& originalString,
                                                platform::TextRange originalSelectedRange,
                                                std::string* /*errorDescription*/) const {
    // Unsigned on purpose: a negative limit reads as no limit at all.
    if (static_cast<std::uint64_t>(partialString.size()) <=
        static_cast<std::uint64_t>(maxLength_)) {
        return true;
    }
    // A name longer than the limit (given by another tool) must still be
    // shortened by Backspace, Delete or cutting a selection.
    if (partialString.size() < originalString.size()) {
        return true;
    }

    // A range from the field should lie inside the original text; clamp it so
    // a bogus one can never read past either string.
    const std::size_t l = std::min(originalSelectedRange.location, originalString.size());
    const std::size_t n = std::min(originalSelectedRange.length, originalString.size() - l);

    // How many inserted characters still fit. Negative when the text outside
    // the edited range is already too long (set by the program, not typed):
    // then nothing is inserted, so such a text can only get shorter.
    const std::int64_t room = maxLength_ - static_cast<std::int64_t>(originalString.size()) +
                              static_cast<std::int64_t>(n);
    std::size_t keep = room > 0 ? static_cast<std::size_t>(room) : 0;
    keep = std::min(keep, partialString.size() - std::min(l, partialString.size()));

    std::u16string replacement = originalString.substr(0, l);
    replacement += partialString.substr(std::min(l, partialString.size()), keep);
    replacement += originalString.substr(l + n);

    partialString = std::move(replacement);
    proposedSelectedRange = {l + keep, 0};
    return false;
}
