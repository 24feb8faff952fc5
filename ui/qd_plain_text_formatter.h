// The formatter of the volume-name field: plain text in and out, and edits cut
// to a maximum length (UTF-16 code units, as the field counts).
#pragma once

#include <any>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/controls/formatter.h"

class QDPlainTextFormatter : public platform::Formatter {
  public:
    static constexpr std::int64_t kUnlimited = 0x7fffffff;

    std::int64_t maxLength() const { return maxLength_; }
    void setMaxLength(std::int64_t length) { maxLength_ = length; }

    std::optional<std::string> stringForObjectValue(const std::any& value) const override;
    bool getObjectValue(std::any& value,
                        const std::string& string,
                        std::string* errorDescription) const override;
    bool isPartialStringValid(std::u16string& partialString,
                              platform::TextRange& proposedSelectedRange,
                              const std::u16string& originalString,
                              platform::TextRange originalSelectedRange,
                              std::string* errorDescription) const override;

  private:
    std::int64_t maxLength_ = kUnlimited;
};
