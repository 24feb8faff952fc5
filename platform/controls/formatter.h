// Base class of text formatters: the value behind a text, and the check a
// text field runs on every edit the user makes (not on text set by the program).
#pragma once

#include <any>
#include <optional>
#include <string>

#include "platform/core/object.h"
#include "platform/controls/text_range.h"

namespace platform {

class Formatter : public Object {
  public:
    // The text for an object value; none when the formatter cannot show it.
    virtual std::optional<std::string> stringForObjectValue(const std::any& value) const;

    // The object value for a text; false (with an optional description) when
    // the text does not convert.
    virtual bool getObjectValue(std::any& value,
                                const std::string& string,
                                std::string* errorDescription) const;

    // Edit validation. `partialString` and `proposedSelectedRange` are the text
    // and selection the edit would leave; `originalString` and
    // `originalSelectedRange` those before the edit. Answering true accepts the
    // edit. Answering false refuses it; when the formatter also replaced the
    // proposed text or selection, the field shows the replacement instead.
    // All positions and lengths are UTF-16 code units.
    virtual bool isPartialStringValid(std::u16string& partialString,
                                      TextRange& proposedSelectedRange,
                                      const std::u16string& originalString,
                                      TextRange originalSelectedRange,
                                      std::string* errorDescription) const;
};

}  // namespace platform
