// A one-line text field. Text the program sets is taken as it is; the
// user's edits go through the formatter's edit validation first.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/controls/formatter.h"
#include "platform/controls/observable.h"
#include "platform/controls/text_range.h"

namespace platform {

enum class EditResult {
    Accepted,  // the edit stands as made
    Replaced,  // the formatter replaced it (e.g. cut it to fit)
    Rejected,  // the text is unchanged
};

class TextField : public Observable {
  public:
    static std::shared_ptr<TextField> create(std::string value = {});

    const std::string& stringValue() const { return value_; }
    // From the program: bypasses the formatter; the caret goes to the end.
    void setStringValue(std::string value);
    // Length in UTF-16 code units.
    std::size_t length() const;

    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden);
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);

    // Shown when the pointer rests on the field; empty: none.
    const std::string& toolTip() const { return toolTip_; }
    void setToolTip(std::string toolTip);

    const std::shared_ptr<Formatter>& formatter() const { return formatter_; }
    void setFormatter(std::shared_ptr<Formatter> formatter);

    // In UTF-16 code units, clamped to the text.
    TextRange selectedRange() const { return selection_; }
    void setSelectedRange(TextRange range);

    // The user typed or pasted `text` over `range` of the current text
    // (clamped). With a formatter its edit validation decides what stays.
    // Edits of a hidden or disabled field are rejected.
    EditResult userReplaceCharacters(TextRange range, std::string_view text);
    // The user's edit given as the whole text it would leave and the
    // selection after it (what a widget's editor reports), validated against
    // the current text and selection.
    EditResult userProposeString(std::string_view proposed, TextRange proposedSelection);

  protected:
    explicit TextField(std::string value);

  private:
    EditResult applyEdit(std::u16string proposed,
                         TextRange proposedSelection,
                         TextRange originalSelection);

    std::string value_;
    TextRange selection_;
    bool hidden_ = false;
    bool enabled_ = true;
    std::string toolTip_;
    std::shared_ptr<Formatter> formatter_;
};

}  // namespace platform
